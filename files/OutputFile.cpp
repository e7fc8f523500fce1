#include "files/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/PathUtil.h"

namespace {

enum class Claim { Taken, Claimed, Failed };

constexpr int MaxNumberedNames = 10000;

std::string SystemError(const char* what, int err) { return std::string(what) + ": " + std::strerror(err); }

std::atomic<bool>& UnnamedAllowed()
{
    static std::atomic<bool> allowed { true };
    return allowed;
}

// A hidden name of ours in the folder; the caller claims it exclusively.
std::string RandomTempName(const std::string& folder)
{
    static thread_local std::mt19937_64 random { std::random_device {}() };
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%012llx.part", static_cast<unsigned long long>(random() & 0xffffffffffffull));
    return folder + TempFilePrefix + suffix;
}

// Walks path, title(0).ext, title(1).ext, ... until claim accepts a free one.
// The number always follows the source title: photo(1).jpg, never photo(0)(1).jpg.
template <class ClaimFn>
bool MakeUniquePath(std::string& path, ClaimFn claim, int attempts = MaxNumberedNames)
{
    const PathParts parts = SplitPath(path);
    std::string candidate = path;
    for (int n = 0; n < attempts; ++n) {
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

// The temporary file a picture or a settings file is written to. Where the file
// system can, it has no name at all until it is complete (O_TMPFILE), so a killed
// run leaves nothing; writers reach it through /proc/self/fd. Elsewhere it is a
// hidden named file. Either way we hold an flock on it for as long as it is ours,
// which is how a later run tells a file whose owner is gone (RemoveOrphans).
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (!m_named.empty())
            ::unlink(m_named.c_str());
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool Create(const std::string& folder, std::string& error)
    {
        if (UnnamedAllowed().load()) {
            const std::string dir = folder.empty() ? "." : folder;
            m_fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                ::flock(m_fd, LOCK_EX);
                m_writePath = "/proc/self/fd/" + std::to_string(m_fd);
                if (::access(m_writePath.c_str(), F_OK) == 0)
                    return m_unnamed = true;
                ::close(m_fd); // no /proc: the file could never get a name
                m_fd = -1;
            }
        }
        return CreateNamed(folder, m_named, error) && (m_writePath = m_named, true);
    }

    const std::string& WritePath() const { return m_writePath; }
    int Fd() const { return m_fd; }
    bool Unnamed() const { return m_unnamed; }
    // The named file now carries its final name: nothing to remove any more.
    void Published() { m_named.clear(); }
    // For an unnamed file: gives it the name, failing with EEXIST when something is there.
    bool Link(const std::string& path) const
    {
        return ::linkat(AT_FDCWD, m_writePath.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }

private:
    // An empty file of our own beside the output, with the permissions a new file gets,
    // locked at once.
    bool CreateNamed(const std::string& folder, std::string& temp, std::string& error)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp = RandomTempName(folder);
            m_fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                ::flock(m_fd, LOCK_EX);
                // A cleaner may have taken it for an orphan before the lock: then it has gone.
                struct stat named { };
                struct stat held { };
                if (::stat(temp.c_str(), &named) == 0 && ::fstat(m_fd, &held) == 0 && named.st_ino == held.st_ino
                    && named.st_dev == held.st_dev)
                    return true;
                ::close(m_fd);
                m_fd = -1;
                continue;
            }
            if (errno != EEXIST) {
                error = SystemError("could not write", errno);
                temp.clear();
                return false;
            }
        }
        temp.clear();
        error = "could not write: no temporary file name is free";
        return false;
    }

    int m_fd = -1;
    bool m_unnamed = false;
    std::string m_writePath;
    std::string m_named;
};

// Data first on the disk, then the name: after a crash the name holds the whole picture or nothing.
bool FlushToDisk(int fd, std::string& error)
{
    if (::fdatasync(fd) == 0)
        return true;
    error = SystemError("could not write", errno);
    return false;
}

// Temporary files of runs that were killed: ours by name, regular, and lockable, so
// no process holds them. Once per folder and process, since a batch writes many
// pictures into one folder.
void RemoveOrphans(const std::string& folder)
{
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        const std::lock_guard lock(mutex);
        if (!cleaned.insert(folder).second)
            return;
    }
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return;
    const std::string_view prefix = TempFilePrefix, suffix = ".part";
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || !name.ends_with(suffix))
            continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st { };
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Gives the finished file its final name, replacing whatever is there.
bool PublishReplacing(TempFile& temp, const std::string& path, std::string& error)
{
    if (temp.Unnamed()) {
        // A name cannot be linked over an existing one: link to a hidden name of our own,
        // still locked through our descriptor, then rename that over the target.
        const std::string folder = SplitPath(path).folder;
        std::string hidden;
        for (int attempt = 0;; ++attempt) {
            if (attempt == 100) {
                error = "could not write: no temporary file name is free";
                return false;
            }
            hidden = RandomTempName(folder);
            if (temp.Link(hidden))
                break;
            if (errno != EEXIST) {
                error = SystemError("could not write", errno);
                return false;
            }
        }
        if (::rename(hidden.c_str(), path.c_str()) != 0) {
            error = SystemError("could not write", errno);
            ::unlink(hidden.c_str());
            return false;
        }
        return true;
    }
    if (::rename(temp.WritePath().c_str(), path.c_str()) != 0) {
        error = SystemError("could not write", errno);
        return false;
    }
    temp.Published();
    return true;
}

OutputResult WriteThroughTemp(std::string& path, const OutputRules& rules, const WriteToFile& write,
    std::optional<mode_t> mode, std::string& error, std::uint64_t* bytes = nullptr)
{
    error.clear();
    const std::string folder = SplitPath(path).folder;
    RemoveOrphans(folder);
    TempFile temp;
    if (!temp.Create(folder, error))
        return OutputResult::Failed;
    bool ok = write(temp.WritePath(), error);
    if (ok && mode && ::fchmod(temp.Fd(), *mode) != 0) {
        error = SystemError("could not write", errno);
        ok = false;
    }
    if (ok && rules.modified) {
        // Set on the finished file: naming it (link, rename) leaves the time as it is.
        const timespec times[2] = { { 0, UTIME_OMIT },
            { static_cast<time_t>(rules.modified->seconds), static_cast<long>(rules.modified->nanoseconds) } };
        if (::futimens(temp.Fd(), times) != 0) {
            error = SystemError("could not write", errno);
            ok = false;
        }
    }
    ok = ok && FlushToDisk(temp.Fd(), error);
    struct stat st { };
    const std::uint64_t size = ok && ::fstat(temp.Fd(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (bytes)
        *bytes = size;
    if (rules.beforeNaming)
        rules.beforeNaming();
    if (ok && rules.maxBytes > 0 && size > rules.maxBytes)
        return OutputResult::TooLarge;
    // Keep claims the one name only, exclusively: a name taken meanwhile is kept just the same.
    bool kept = false;
    if (ok && rules.existing == ExistingOutput::Replace) {
        ok = PublishReplacing(temp, path, error);
    } else if (ok) {
        const bool numbered = rules.existing == ExistingOutput::Number;
        ok = MakeUniquePath(
            path,
            [&](const std::string& candidate) {
                Claim claim = Claim::Taken;
                if (temp.Unnamed()) {
                    if (temp.Link(candidate))
                        claim = Claim::Claimed;
                    else if (errno != EEXIST) {
                        error = SystemError("could not write", errno);
                        claim = Claim::Failed;
                    }
                } else {
                    claim = PublishNoReplace(temp.WritePath(), candidate, error);
                    if (claim == Claim::Claimed)
                        temp.Published();
                }
                if (claim == Claim::Taken && !numbered) {
                    kept = true;
                    return Claim::Failed;
                }
                return claim;
            },
            numbered ? MaxNumberedNames : 1);
        if (kept || (!ok && !numbered && error.empty()))
            return OutputResult::Kept;
        if (!ok && error.empty())
            error
                = "could not write: every numbered name up to (" + std::to_string(MaxNumberedNames - 1) + ") is taken";
    }
    if (!ok && error.empty())
        error = "could not write";
    return ok ? OutputResult::Written : OutputResult::Failed;
}

} // namespace

bool PathExists(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0)
        return true;
    return errno != ENOENT && errno != ENOTDIR;
}

std::optional<FileTime> ModifiedTime(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileTime { st.st_mtim.tv_sec, st.st_mtim.tv_nsec };
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

bool WriteOutputFile(std::string& path, bool overwrite, const WriteToFile& write, std::string& error,
    const std::function<void()>& beforeNaming)
{
    const OutputRules rules { overwrite ? ExistingOutput::Replace : ExistingOutput::Number, 0, beforeNaming, {} };
    return WriteThroughTemp(path, rules, write, std::nullopt, error) == OutputResult::Written;
}

OutputResult WriteOutputFileWith(
    std::string& path, const OutputRules& rules, const WriteToFile& write, std::string& error, std::uint64_t* bytes)
{
    return WriteThroughTemp(path, rules, write, std::nullopt, error, bytes);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, unsigned mode, std::string& error)
{
    std::string target = path;
    return WriteThroughTemp(
               target, { ExistingOutput::Replace, 0, {}, {} },
               [&](const std::string& temp, std::string& e) { return WriteFileBytes(temp, bytes, e); },
               static_cast<mode_t>(mode & 07777), error)
        == OutputResult::Written;
}

void AllowUnnamedTempFiles(bool allowed) { UnnamedAllowed() = allowed; }
