// Test doubles of the logger and the display interfaces.
#include "Doubles.h"

#include "Logger.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

std::vector<LogLine> g_log;
std::vector<std::shared_ptr<GeometryRecord>> g_geometries;
std::vector<std::string> g_drawCalls;

Disp* g_display = nullptr;
ConstantBuffer* g_frameConstants = nullptr;
ConstantBuffer* g_objectConstants = nullptr;
ConstantBuffer* g_materialConstants = nullptr;

namespace
{
std::string Format(const char* format, va_list args)
{
    char text[4096];
    std::vsnprintf(text, sizeof text, format, args);
    return text;
}

class FakeGeometry : public Geometry
{
  public:
    FakeGeometry(std::shared_ptr<GeometryRecord> record, std::size_t index)
        : record(std::move(record)), tag(std::to_string(index) + ":")
    {
    }
    ~FakeGeometry() override { record->destroyed = true; }

    bool CreateVertexBuffer(const void* data, std::uint32_t stride, std::uint32_t count) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        record->vertexBytes.assign(bytes, bytes + std::size_t{stride} * count);
        record->stride = stride;
        record->vertexCount = count;
        record->calls.push_back("Vertices");
        return true;
    }
    bool CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count) override
    {
        record->indices.assign(data, data + count);
        record->calls.push_back("Indices");
        return true;
    }
    void BindVertexBuffer() override { Call("BindVertex"); }
    void BindIndexBuffer() override { Call("BindIndex"); }
    void Draw() override { Call("Draw"); }

  private:
    void Call(const char* name)
    {
        record->calls.push_back(name);
        g_drawCalls.push_back(tag + name);
    }

    std::shared_ptr<GeometryRecord> record;
    std::string tag;
};
} // namespace

void Logger::Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_log.push_back({false, Format(format, args)});
    va_end(args);
}

void Logger::Error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_log.push_back({true, Format(format, args)});
    va_end(args);
}

Geometry* CreateGeometry()
{
    auto record = std::make_shared<GeometryRecord>();
    g_geometries.push_back(record);
    return new FakeGeometry(record, g_geometries.size() - 1);
}

void* FakeConstantBuffer::Map()
{
    calls.push_back("Map");
    if (mapFails)
        return nullptr;
    // A discarding map hands back memory with no promise about its contents.
    std::memset(bytes.data(), 0xCD, bytes.size());
    return bytes.data();
}
