// Whole-file reads for the loaders.
#include "FileImage.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

std::string ToNativePath(const char* path)
{
    std::string native = path;
#if !defined(_WIN32)
    for (char& c : native)
        if (c == '\\')
            c = '/';
#endif
    return native;
}

FileImageResult ReadFileImage(const char* path, std::vector<std::uint8_t>& image)
{
    image.clear();
    const std::string native = ToNativePath(path);
    std::FILE* file = std::fopen(native.c_str(), "rb");
    if (!file)
        return FileImageResult::CannotOpen;

    // A directory opens on some systems and reports a nonsense size at its end.
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(native, error);
    long size = -1;
    if (regular && std::fseek(file, 0, SEEK_END) == 0)
    {
        size = std::ftell(file);
        if (std::fseek(file, 0, SEEK_SET) != 0)
            size = -1;
    }
    bool complete = false;
    if (size >= 0)
    {
        image.resize(static_cast<std::size_t>(size));
        complete = std::fread(image.data(), 1, image.size(), file) == image.size();
    }
    std::fclose(file);
    if (!complete)
    {
        image.clear();
        return FileImageResult::CannotRead;
    }
    return FileImageResult::Read;
}
