// ombrel-assets: generates every file of the presentation's data/ folder, byte for byte the same
// on every run.
#include "Assets.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <set>
#include <string>
#include <fcntl.h>
#include <unistd.h>

namespace
{

constexpr int kExitFailure = 1, kExitUsage = 2;

void PrintHelp()
{
    std::printf(
        "Usage: ombrel-assets [--out DIR] [--only NAME]... [--font-dir DIR] [--list]\n"
        "Generates the presentation's scenes, textures and music into DIR (default: data).\n"
        "\n"
        "  --out DIR       folder to write into (created if missing)\n"
        "  --only NAME     generate only this file (\"rings.bin\" or \"rings\"); repeatable\n"
        "  --font-dir DIR  folder with DejaVuSans.ttf and DejaVuSans-Bold.ttf\n"
        "                  (default: /usr/share/fonts/truetype/dejavu)\n"
        "  --list          print the file names and exit\n"
        "  --help          print this help and exit\n"
        "\n"
        "Exit status: 0 on success, 1 when a file cannot be generated or written,\n"
        "2 on a usage error.\n");
}

std::string Stem(const std::string& name)
{
    const auto dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Writes every byte, retrying short writes; false with errno set.
bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// The file is renamed into place only once its last byte is on disk, so a disk that fills (or
// fails) at any point leaves the previous file, or none, never a truncated one. False with errno
// set; the temporary file is gone then.
bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    const std::filesystem::path temp = path.string() + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && written)
    {
        written = false;
        saved = errno;
    }
    std::error_code error;
    if (written)
    {
        std::filesystem::rename(temp, path, error);
        saved = error.value();
    }
    if (!written || error)
    {
        std::filesystem::remove(temp, error);
        errno = saved;
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0)
    {
        fsync(dir);
        close(dir);
    }
    return true;
}

// The assets --only names (all of them without it) into `chosen`; false after saying which name
// is no asset's.
bool ChooseAssets(const std::set<std::string>& only, std::vector<const assets::Asset*>& chosen)
{
    for (const assets::Asset& asset : assets::AllAssets())
        if (only.empty() || only.count(asset.fileName) || only.count(Stem(asset.fileName)))
            chosen.push_back(&asset);
    for (const std::string& name : only)
    {
        bool known = false;
        for (const assets::Asset& asset : assets::AllAssets())
            known = known || name == asset.fileName || name == Stem(asset.fileName);
        if (!known)
        {
            std::fprintf(stderr, "ombrel-assets: no file named '%s' (see --list)\n", name.c_str());
            return false;
        }
    }
    return true;
}

// Generates and writes each chosen asset, with progress on stderr; the exit code.
int GenerateAll(const std::vector<const assets::Asset*>& chosen,
                const std::filesystem::path& outDir, const assets::GenerateOptions& options)
{
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    std::size_t done = 0;
    for (const assets::Asset* asset : chosen)
    {
        ++done;
        if (terminal)
            std::fprintf(stderr, "\r[%zu/%zu] %-20s", done, chosen.size(), asset->fileName.c_str());
        const auto begin = std::chrono::steady_clock::now();
        std::vector<std::uint8_t> bytes;
        try
        {
            bytes = asset->generate(options);
        }
        catch (const std::exception& e)
        {
            std::fprintf(stderr, "%sombrel-assets: %s: %s\n", terminal ? "\n" : "",
                         asset->fileName.c_str(), e.what());
            return kExitFailure;
        }
        const std::filesystem::path path = outDir / asset->fileName;
        if (!WriteFileAtomically(path, bytes))
        {
            std::fprintf(stderr, "%sombrel-assets: cannot write %s: %s\n", terminal ? "\n" : "",
                         path.string().c_str(), std::strerror(errno));
            return kExitFailure;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (!terminal)
            std::fprintf(stderr, "[%zu/%zu] %s: %zu bytes, %.2f s\n", done, chosen.size(),
                         asset->fileName.c_str(), bytes.size(), seconds);
    }
    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%sombrel-assets: wrote %zu files to %s in %.1f s\n", terminal ? "\n" : "",
                 chosen.size(), outDir.string().c_str(), total);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path outDir = "data";
    std::set<std::string> only;
    assets::GenerateOptions options;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        auto value = [&]() -> const char*
        {
            if (i + 1 >= argc)
            {
                std::fprintf(stderr, "ombrel-assets: %s needs a value (see --help)\n", arg.c_str());
                std::exit(kExitUsage);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h")
        {
            PrintHelp();
            return 0;
        }
        if (arg == "--list")
        {
            for (const assets::Asset& asset : assets::AllAssets())
                std::printf("%s\n", asset.fileName.c_str());
            return 0;
        }
        if (arg == "--out")
            outDir = value();
        else if (arg == "--only")
            only.insert(value());
        else if (arg == "--font-dir")
            options.fontDir = value();
        else
        {
            std::fprintf(stderr, "ombrel-assets: unknown argument '%s' (see --help)\n",
                         arg.c_str());
            return kExitUsage;
        }
    }

    std::vector<const assets::Asset*> chosen;
    if (!ChooseAssets(only, chosen))
        return kExitUsage;
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error)
    {
        std::fprintf(stderr, "ombrel-assets: cannot create %s: %s\n", outDir.string().c_str(),
                     error.message().c_str());
        return kExitFailure;
    }

    return GenerateAll(chosen, outDir, options);
}
