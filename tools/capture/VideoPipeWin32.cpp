// Spawning ffmpeg with a pipe for its input, on Windows.
#include "VideoPipe.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace
{
bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One argument quoted the way the C runtime's command-line parser reads it back.
void AppendQuoted(std::string& line, const std::string& arg)
{
    if (!line.empty())
        line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
    {
        line += arg;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : arg)
    {
        if (c == '\\')
        {
            ++backslashes;
            continue;
        }
        line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}
} // namespace

std::string FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    const std::string directories = path ? path : "";
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t semicolon = directories.find(';', start);
        std::string candidate = directories.substr(start, semicolon - start);
        if (!candidate.empty())
        {
            candidate.append("\\").append(name);
            if (IsFile(candidate + ".exe"))
                return candidate + ".exe";
            if (IsFile(candidate))
                return candidate;
        }
        if (semicolon == std::string::npos)
            return {};
        start = semicolon + 1;
    }
}

VideoPipe::~VideoPipe()
{
    Finish();
}

bool VideoPipe::Start(const std::vector<std::string>& args)
{
    std::string line;
    for (const std::string& arg : args)
        AppendQuoted(line, arg);

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 20))
    {
        std::fprintf(stderr, "ombrel-capture: cannot make a pipe (error %lu)\n", GetLastError());
        return false;
    }
    // Only the read end goes to ffmpeg; our end must not, or its input never ends.
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(args[0].c_str(), line.data(), nullptr, nullptr, TRUE,
                        CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info))
    {
        std::fprintf(stderr, "ombrel-capture: cannot start %s (error %lu)\n", args[0].c_str(),
                     GetLastError());
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return false;
    }
    CloseHandle(readEnd);
    CloseHandle(info.hThread);
    process = info.hProcess;
    input = writeEnd;
    return true;
}

bool VideoPipe::WriteFrame(const std::uint8_t* rgba, std::size_t size)
{
    while (size > 0 && input)
    {
        DWORD written = 0;
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : DWORD(size);
        if (!WriteFile(input, rgba, chunk, &written, nullptr))
            return false; // a broken pipe: ffmpeg has ended
        rgba += written;
        size -= written;
    }
    return input != nullptr;
}

bool VideoPipe::Finish()
{
    if (input)
    {
        CloseHandle(input);
        input = nullptr;
    }
    if (!process)
        return false;
    WaitForSingleObject(process, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    process = nullptr;
    return code == 0;
}
