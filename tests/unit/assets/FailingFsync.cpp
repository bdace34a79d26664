// Preloaded into the generator: a disk that fails as written data is flushed to it (full, or
// failing), after every write() succeeded.
#include <cerrno>

extern "C" int fsync(int)
{
    errno = ENOSPC;
    return -1;
}

extern "C" int fdatasync(int)
{
    errno = ENOSPC;
    return -1;
}
