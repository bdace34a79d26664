// Stand-ins for the logger and display layer under the fuzzers: they touch every byte handed to
// them, so a read past what the loaders supply shows up under AddressSanitizer.
#include "ConstantBuffer.h"
#include "Disp.h"
#include "Geometry.h"
#include "Logger.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

Disp* g_display = nullptr;
ConstantBuffer* g_frameConstants = nullptr;
ConstantBuffer* g_objectConstants = nullptr;
ConstantBuffer* g_materialConstants = nullptr;

volatile std::uint32_t g_fuzzSink = 0;

void TouchBytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum += bytes[i];
    g_fuzzSink = g_fuzzSink + sum;
}

namespace
{
void Discard(const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    TouchBytes(text, 1);
}

class TouchingGeometry : public Geometry
{
  public:
    bool CreateVertexBuffer(const void* data, std::uint32_t stride, std::uint32_t count) override
    {
        TouchBytes(data, std::size_t{stride} * count);
        vertexCount = count;
        return true;
    }
    // A GPU would read outside the vertex buffer for an index past it: a finding.
    bool CreateIndexBuffer(const std::uint16_t* data, std::uint32_t count) override
    {
        TouchBytes(data, std::size_t{2} * count);
        for (std::uint32_t i = 0; i < count; ++i)
            if (data[i] >= vertexCount)
                __builtin_trap();
        return true;
    }
    void BindVertexBuffer() override {}
    void BindIndexBuffer() override {}
    void Draw() override {}

  private:
    std::uint32_t vertexCount = 0;
};
} // namespace

void Logger::Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Discard(format, args);
    va_end(args);
}

void Logger::Error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Discard(format, args);
    va_end(args);
}

Geometry* CreateGeometry()
{
    return new TouchingGeometry;
}
