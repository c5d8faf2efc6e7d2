#pragma once

// The engine's narrow view of the operating system: folders, clock, files and the
// trace sink. The POSIX backend is platform_posix.cpp; a Windows backend would go
// beside it. Every function may be called from any thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The user's application-data folder: $XDG_DATA_HOME, else $HOME/.local/share.
// Empty when neither can be determined. Not created.
std::string appDataFolder();

// Milliseconds of the monotonic clock, wrapped to a signed 32-bit number (it goes
// negative after about 24.8 days, as temporary file names then show).
int32_t tickCount();

// True when something exists at `path` (stat: a file that cannot be read still exists).
bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);
// Removes a file (never a folder). False when nothing was removed.
bool deleteFile(const std::string& path);
// True when both paths name the same existing file (links included).
bool sameFile(const std::string& a, const std::string& b);

// Creates `path` (and missing parents) and makes its last level private to the
// user (0700). Refuses a last level that is a symbolic link or not a folder.
bool makePrivateFolder(const std::string& path);

// Creates a new file exclusively (never an existing one, never through a symbolic
// link), readable and writable by the user only. Returns the descriptor, close-on-exec,
// or -1 with errno set (EEXIST when the name is taken).
int createExclusiveFile(const std::string& path);

// Creates a new file `<base><extension>` exclusively as above; when another run took
// that name, `<base>-1<extension>`, `<base>-2<extension>` and so on. Sets `path` to the
// name taken. Returns the descriptor, or -1.
int createUniqueFile(const std::string& base, const std::string& extension, std::string& path);

// Full path of the running executable; empty when it cannot be read.
std::string executablePath();

// Diagnostic traces. By default a trace goes to standard error only when the
// environment variable MCONV_TRACE is set; a test may install its own sink
// (an empty function restores the default).
using TraceSink = std::function<void(std::string_view)>;
void setTraceSink(TraceSink sink);
void trace(std::string_view text);
// A failing system call: its name, then a separate "\n".
void traceCall(std::string_view callName);

}  // namespace platform

namespace platform {

// What identifies one version of a file: a rewrite in place changes the time or size.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at `path` (stat); nothing when no file exists there.
std::optional<FileStamp> fileStamp(const std::string& path);

}  // namespace platform
