// A read position in an untrusted byte image that never moves past its end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

static_assert(std::endian::native == std::endian::little, "file images are read as they lie");

// Once a read would pass the end, the cursor stays failed: every later read fails too and the
// offset keeps the position of the first read that did not fit.
class ByteCursor
{
  public:
    explicit ByteCursor(std::span<const std::uint8_t> image) : image(image) {}

    bool Skip(std::size_t count)
    {
        if (!Fits(count))
            return false;
        offset += count;
        return true;
    }

    bool ReadBytes(void* destination, std::size_t count)
    {
        if (!Fits(count))
            return false;
        if (count > 0)
            std::memcpy(destination, image.data() + offset, count);
        offset += count;
        return true;
    }

    template <typename T> bool Read(T& value) { return ReadBytes(&value, sizeof value); }

    // Whether count more bytes are there; reports nothing and changes nothing.
    bool Holds(std::uint64_t count) const { return !failed && count <= image.size() - offset; }

    std::size_t Offset() const { return offset; }
    std::size_t Size() const { return image.size(); }
    bool Failed() const { return failed; }

    // Marks the cursor failed as if a read had run out of bytes.
    void Fail() { failed = true; }

  private:
    bool Fits(std::uint64_t count)
    {
        if (!Holds(count))
            failed = true;
        return !failed;
    }

    std::span<const std::uint8_t> image;
    std::size_t offset = 0;
    bool failed = false;
};
