#include "files/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "files/PathUtil.h"

namespace {

enum class Claim { Taken, Claimed, Failed };

constexpr int MaxNumberedNames = 10000;

std::string SystemError(const char* what, int err) { return std::string(what) + ": " + std::strerror(err); }

// Walks path, title(0).ext, title(1).ext, ... until claim accepts a free one.
// The number always follows the source title: photo(1).jpg, never photo(0)(1).jpg.
template <class ClaimFn>
bool MakeUniquePath(std::string& path, ClaimFn claim)
{
    const PathParts parts = SplitPath(path);
    std::string candidate = path;
    for (int n = 0; n < MaxNumberedNames; ++n) {
        if (!PathExists(candidate)) {
            switch (claim(candidate)) {
            case Claim::Claimed:
                path = candidate;
                return true;
            case Claim::Failed:
                return false;
            case Claim::Taken:
                break; // someone else got there between the look and the claim
            }
        }
        candidate = parts.folder + parts.title + "(" + std::to_string(n) + ")" + parts.extension;
    }
    return false;
}

Claim CreateNew(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return Claim::Taken;
        error = SystemError("could not write", errno);
        return Claim::Failed;
    }
    ::close(fd);
    return Claim::Claimed;
}

// Gives the finished temporary file the name, unless something is there already.
Claim PublishNoReplace(const std::string& temp, const std::string& path, std::string& error)
{
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return Claim::Claimed;
    if (errno == EEXIST)
        return Claim::Taken;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        error = SystemError("could not write", errno);
        return Claim::Failed;
    }
    // File systems without an exclusive rename: a hard link is just as exclusive.
    if (::link(temp.c_str(), path.c_str()) == 0) {
        ::unlink(temp.c_str());
        return Claim::Claimed;
    }
    if (errno == EEXIST)
        return Claim::Taken;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) {
        error = SystemError("could not write", errno);
        return Claim::Failed;
    }
    // Neither (FAT and the like): hold the name with an empty file, then replace it.
    const Claim held = CreateNew(path, error);
    if (held != Claim::Claimed)
        return held;
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = SystemError("could not write", errno);
        ::unlink(path.c_str());
        return Claim::Failed;
    }
    return Claim::Claimed;
}

// An empty file of our own beside the output, with the permissions a new file gets.
bool CreateTempFile(const std::string& folder, std::string& temp, std::string& error)
{
    static thread_local std::mt19937_64 random { std::random_device {}() };
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(
            suffix, sizeof suffix, "%012llx.part", static_cast<unsigned long long>(random() & 0xffffffffffffull));
        temp = folder + TempFilePrefix + suffix;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
        if (errno != EEXIST) {
            error = SystemError("could not write", errno);
            return false;
        }
    }
    error = "could not write: no temporary file name is free";
    return false;
}

// Data first on the disk, then the name: after a crash the name holds the whole picture or nothing.
bool FlushToDisk(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0) {
        error = SystemError("could not write", errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace

bool PathExists(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0)
        return true;
    return errno != ENOENT && errno != ENOTDIR;
}

bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = SystemError("could not write", errno);
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0 || errno != EINTR)
            ok = false;
    }
    if (::close(fd) != 0)
        ok = false;
    if (!ok)
        error = "could not write: the disk is full or the file cannot be written";
    return ok;
}

bool WriteFileBytes(const std::string& path, std::string_view text, std::string& error)
{
    return WriteFileBytes(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

bool WriteOutputFile(std::string& path, bool overwrite, const WriteToFile& write, std::string& error)
{
    error.clear();
    std::string temp;
    if (!CreateTempFile(SplitPath(path).folder, temp, error))
        return false;
    bool ok = write(temp, error) && FlushToDisk(temp, error);
    if (ok && overwrite) {
        if (::rename(temp.c_str(), path.c_str()) != 0) {
            error = SystemError("could not write", errno);
            ok = false;
        }
    } else if (ok) {
        ok = MakeUniquePath(
            path, [&](const std::string& candidate) { return PublishNoReplace(temp, candidate, error); });
        if (!ok && error.empty())
            error
                = "could not write: every numbered name up to (" + std::to_string(MaxNumberedNames - 1) + ") is taken";
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (error.empty())
            error = "could not write";
    }
    return ok;
}
