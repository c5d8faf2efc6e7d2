#include "platform.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string appDataFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0')
        return {};
    return std::string(home) + "/.local/share";
}

int32_t tickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

bool fileExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool deleteFile(const std::string& path)
{
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool makePrivateFolder(const std::string& path)
{
    if (path.empty())
        return false;
    // Missing parents are made with the usual mode; only the last level is private.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string parent = path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
            traceCall("mkdir");
            return false;
        }
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        traceCall("mkdir");
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.c_str(), 0700) != 0) {
        traceCall("chmod");
        return false;
    }
    return true;
}

int createExclusiveFile(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

int createUniqueFile(const std::string& base, const std::string& extension, std::string& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = attempt == 0 ? base + extension : base + "-" + std::to_string(attempt) + extension;
        const int fd = createExclusiveFile(path);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            traceCall("open");
            return -1;
        }
    }
    return -1;
}

std::string executablePath()
{
    char buffer[PATH_MAX + 1];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

namespace {

std::mutex sinkLock;
TraceSink& installedSink()
{
    static TraceSink sink;
    return sink;
}

bool traceToStderr()
{
    static const bool enabled = std::getenv("MCONV_TRACE") != nullptr;
    return enabled;
}

}  // namespace

void setTraceSink(TraceSink sink)
{
    std::lock_guard<std::mutex> guard(sinkLock);
    installedSink() = std::move(sink);
}

void trace(std::string_view text)
{
    {
        std::lock_guard<std::mutex> guard(sinkLock);
        if (installedSink()) {
            installedSink()(text);
            return;
        }
    }
    if (traceToStderr()) {
        // One write per trace, so traces of two threads do not interleave mid-line.
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    }
}

void traceCall(std::string_view callName)
{
    trace(callName);
    trace("\n");
}

}  // namespace platform

namespace platform {

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    FileStamp stamp;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

}  // namespace platform
