// Whole-file reads for the loaders, with the system's "data\name" paths made native.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The system names files with '\' separators; elsewhere than Windows they become '/'.
std::string ToNativePath(const char* path);

enum class FileImageResult
{
    Read,
    CannotOpen,
    CannotRead, // opened, but not a regular file or not read whole
};

// Reads the file at path (in the system's spelling) into image with one read call.
FileImageResult ReadFileImage(const char* path, std::vector<std::uint8_t>& image);
