#pragma once

// One run of a script under /bin/sh, in a process group of its own, so that the
// encoder it starts can be signalled together with it. POSIX backend in
// process_posix.cpp. Used by the worker thread only; one object per run.
//
// The object owns everything of the run: the child's pipes, its pidfd and the child
// itself. Destroying it while the child still runs kills the whole group and reaps
// it, so no encoder outlives its run.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "unique_fd.h"

namespace platform {

class ScriptProcess {
public:
    enum class Mode {
        // Standard output and standard error on one pipe, standard input from a second.
        Piped,
        // Standard input from /dev/null, standard output to /dev/null, standard error
        // into the given log file.
        Logged,
    };
    enum class Event { Exited, Output, Timeout };

    ScriptProcess() = default;
    ~ScriptProcess();
    ScriptProcess(const ScriptProcess&) = delete;
    ScriptProcess& operator=(const ScriptProcess&) = delete;

    // Starts `/bin/sh script`. `logFd` is used in Logged mode. False when the start failed.
    bool start(const std::string& script, Mode mode, int logFd = -1);

    // Waits at most `timeoutMs` for the child to end or, in Piped mode, for output.
    // Returns at once when either is already the case.
    Event wait(int timeoutMs);

    // Reads all output available now without blocking, in pieces, handing each to
    // `sink`. Returns the number of bytes read.
    template <typename Sink>
    size_t drain(Sink&& sink)
    {
        size_t total = 0;
        for (;;) {
            const ssize_t n = readSome();
            if (n <= 0)
                return total;
            total += static_cast<size_t>(n);
            sink(std::string_view(buffer_, static_cast<size_t>(n)));
        }
    }

    // Writes one "q" to the child's standard input. Never blocks and never raises
    // SIGPIPE, also when the child has already gone; false when it was not written.
    bool sendStop();

    // Sends `signal` to the child's whole process group (while it is not yet reaped).
    void signalGroup(int signal);

    // True until the child has ended and been reaped.
    bool running();

    // Kills what is left of the group, reaps the child and returns its exit status:
    // the status it exited with, 128 + the signal that ended it, or -1.
    int finish();

private:
    ssize_t readSome();
    bool hasExited(int timeoutMs);
    void reap(bool block);

    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = -1;
    UniqueFd pidfd_;
    UniqueFd output_;  // read end of the output pipe (Piped)
    UniqueFd input_;   // write end of the input pipe (Piped)
    bool outputOpen_ = false;
    char buffer_[65536];
};

}  // namespace platform
