#include "files/ReadFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadStatus ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, unsigned* mode)
{
    bytes.clear();
    // Opening a device can act on it (a tape rewinds), so a name that is not a regular
    // file is not opened at all. It may change before the open: opening a FIFO waits for
    // a writer unless O_NONBLOCK, and the type is checked again on what was opened.
    struct stat named { };
    if (::stat(path.c_str(), &named) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unusable;
    if (!S_ISREG(named.st_mode))
        return ReadStatus::Unusable;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unusable;
    struct stat st { };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= maxBytes;
    if (ok && mode != nullptr)
        *mode = st.st_mode & 07777;
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            ok = errno == EINTR;
            continue;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        ok = bytes.size() <= maxBytes;
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok ? ReadStatus::Read : ReadStatus::Unusable;
}
