// Test doubles of the logger and the display interfaces: they record what the scene code did.
#pragma once

#include "ConstantBuffer.h"
#include "Disp.h"
#include "Geometry.h"
#include "RecordingDisp.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct LogLine
{
    bool error; // through Logger::Error (log line and box) rather than Logger::Print
    std::string text;

    friend bool operator==(const LogLine&, const LogLine&) = default;
};

inline LogLine Printed(std::string text)
{
    return {false, std::move(text)};
}
inline LogLine Reported(std::string text)
{
    return {true, std::move(text)};
}

// Every Logger call of the run, in order; tests clear it first.
extern std::vector<LogLine> g_log;

// What one geometry received; outlives the geometry so tests can see what was destroyed.
struct GeometryRecord
{
    std::vector<std::uint8_t> vertexBytes;
    std::uint32_t stride = 0;
    std::uint32_t vertexCount = 0;
    std::vector<std::uint16_t> indices;
    std::vector<std::string> calls; // "Vertices", "Indices", "BindVertex", "BindIndex", "Draw"
    bool destroyed = false;
};

// Records of every geometry made by CreateGeometry, in creation order; tests clear it first.
extern std::vector<std::shared_ptr<GeometryRecord>> g_geometries;
// Every bind and draw call of every geometry, in order, as "<creation index>:<call>".
extern std::vector<std::string> g_drawCalls;

class FakeConstantBuffer : public ConstantBuffer
{
  public:
    explicit FakeConstantBuffer(std::uint32_t size) : bytes(size, 0xCD) {}
    bool Create(std::uint32_t) override { return true; }
    void* Map() override;
    void Unmap() override { calls.push_back("Unmap"); }
    void Bind(std::uint32_t stage, std::uint32_t slot) override
    {
        calls.push_back("Bind " + std::to_string(stage) + " " + std::to_string(slot));
    }

    std::vector<std::uint8_t> bytes; // 0xCD wherever nothing was written
    std::vector<std::string> calls;
    bool mapFails = false;
};
