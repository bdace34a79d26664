// Recording stand-ins for the display layer, so the frame's device side runs without a GPU.
#pragma once

#include "ConstantBuffer.h"
#include "Disp.h"
#include "Geometry.h"
#include "RecordingDisp.h"
#include "Shader.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Every call of every double below, in order.
extern std::vector<std::string> g_deviceLog;

class RecordingShader final : public Shader
{
  public:
    explicit RecordingShader(std::string name) : name(std::move(name)) {}
    void Bind() override { g_deviceLog.push_back("shaders " + name); }

  private:
    std::string name;
};

// Keeps the bytes of the last update.
class RecordingConstantBuffer final : public ConstantBuffer
{
  public:
    explicit RecordingConstantBuffer(std::string name) : name(std::move(name)) {}
    bool Create(std::uint32_t) override { return true; }
    void* Map() override { return bytes; }
    void Unmap() override {}
    void Bind(std::uint32_t stage, std::uint32_t slot) override
    {
        g_deviceLog.push_back(name + " " + std::to_string(stage) + ":" + std::to_string(slot));
    }

    template <typename Block> Block As() const
    {
        Block block;
        std::memcpy(&block, bytes, sizeof block);
        return block;
    }

  private:
    std::string name;
    alignas(16) unsigned char bytes[128] = {};
};

class RecordingGeometry final : public Geometry
{
  public:
    explicit RecordingGeometry(std::string name) : name(std::move(name)) {}
    bool CreateVertexBuffer(const void*, std::uint32_t, std::uint32_t) override { return true; }
    bool CreateIndexBuffer(const std::uint16_t*, std::uint32_t) override { return true; }
    void BindVertexBuffer() override {}
    void BindIndexBuffer() override {}
    void Draw() override { g_deviceLog.push_back("draw " + name); }

  private:
    std::string name;
};
