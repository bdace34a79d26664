// Spawning ffmpeg with a pipe for its input, on POSIX systems.
#include "VideoPipe.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

std::string FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t colon = directories.find(':', start);
        std::string candidate = directories.substr(start, colon - start);
        candidate.append(candidate.empty() ? "./" : "/").append(name);
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string::npos)
            return {};
        start = colon + 1;
    }
}

VideoPipe::~VideoPipe()
{
    Finish();
}

bool VideoPipe::Start(const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0)
    {
        std::fprintf(stderr, "ombrel-capture: cannot make a pipe: %s\n", std::strerror(errno));
        return false;
    }
    child = fork();
    if (child < 0)
    {
        std::fprintf(stderr, "ombrel-capture: cannot start ffmpeg: %s\n", std::strerror(errno));
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (child == 0)
    {
        setpgid(0, 0);
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "ombrel-capture: cannot run %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    close(fds[0]);
    input = fds[1];
    fcntl(input, F_SETFD, FD_CLOEXEC);
    return true;
}

bool VideoPipe::WriteFrame(const std::uint8_t* rgba, std::size_t size)
{
    while (size > 0 && input >= 0)
    {
        const ssize_t written = write(input, rgba, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false; // EPIPE: ffmpeg has ended
        }
        rgba += written;
        size -= std::size_t(written);
    }
    return input >= 0;
}

bool VideoPipe::Finish()
{
    if (input >= 0)
    {
        close(input);
        input = -1;
    }
    if (child <= 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    child = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
