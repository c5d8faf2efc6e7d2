#include "process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform.h"

extern char** environ;

namespace platform {

namespace {

int openPidfd(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#endif
    return -1;
}

bool makePipe(UniqueFd& readEnd, UniqueFd& writeEnd)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    readEnd.reset(ends[0]);
    writeEnd.reset(ends[1]);
    return true;
}

int64_t nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

ScriptProcess::~ScriptProcess()
{
    if (pid_ > 0 && !reaped_)
        finish();
}

bool ScriptProcess::start(const std::string& script, Mode mode, int logFd)
{
    if (script.empty())
        return false;

    // Every descriptor is close-on-exec from birth; the child gets only what the
    // file actions put on 0, 1 and 2 (dup2 clears the flag on the copies).
    UniqueFd childInput;
    UniqueFd childOutput;
    UniqueFd nullIn;
    UniqueFd nullOut;
    if (mode == Mode::Piped) {
        if (!makePipe(output_, childOutput)) {
            traceCall("pipe2");
            return false;
        }
        if (!makePipe(childInput, input_)) {
            traceCall("pipe2");
            return false;
        }
        ::fcntl(output_.get(), F_SETFL, O_NONBLOCK);
        // A roomier pipe lets a chatty encoder run on while the reader catches up;
        // where the system refuses, the default size serves.
        ::fcntl(output_.get(), F_SETPIPE_SZ, 1 << 20);
        ::fcntl(input_.get(), F_SETFL, O_NONBLOCK);
    } else {
        nullIn.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        nullOut.reset(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        if (!nullIn.valid() || !nullOut.valid() || logFd < 0)
            return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (mode == Mode::Piped) {
        posix_spawn_file_actions_adddup2(&actions, childInput.get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, childOutput.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, childOutput.get(), STDERR_FILENO);
    } else {
        posix_spawn_file_actions_adddup2(&actions, nullIn.get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, nullOut.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, logFd, STDERR_FILENO);
    }
    // A group of its own: the stop escalation signals the encoder with its shell, and
    // a Ctrl-C meant for the front end does not reach the encoder behind its back.
    // Signals the front end blocks or ignores are reset for the child.
    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGQUIT, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, sig);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &empty);
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    char shell[] = "/bin/sh";
    std::string scriptArg = script;
    char* argv[] = {shell, scriptArg.data(), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        errno = error;
        output_.reset();
        input_.reset();
        return false;
    }
    pid_ = pid;
    reaped_ = false;
    pidfd_.reset(openPidfd(pid));
    // Our copies of the child's ends go now, so the output pipe reports its end once
    // the child and everything it started have closed it.
    outputOpen_ = mode == Mode::Piped;
    return true;
}

bool ScriptProcess::hasExited(int timeoutMs)
{
    if (reaped_)
        return true;
    if (pidfd_.valid()) {
        pollfd entry{pidfd_.get(), POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }
    // Without pidfd: look in short steps, leaving the child unreaped (WNOWAIT) so its
    // process group cannot be reused before we signal it for the last time.
    const int64_t end = nowMs() + timeoutMs;
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid_)
            return true;
        const int64_t left = end - nowMs();
        if (left <= 0)
            return false;
        timespec pause{0, static_cast<long>(std::min<int64_t>(left, 10)) * 1000000L};
        ::nanosleep(&pause, nullptr);
    }
}

ScriptProcess::Event ScriptProcess::wait(int timeoutMs)
{
    if (pid_ <= 0 || reaped_)
        return Event::Exited;
    if (!pidfd_.valid()) {
        if (outputOpen_) {
            pollfd entry{output_.get(), POLLIN, 0};
            if (::poll(&entry, 1, 0) > 0)
                return Event::Output;
        }
        if (hasExited(outputOpen_ ? std::min(timeoutMs, 10) : timeoutMs))
            return Event::Exited;
        return Event::Timeout;
    }
    pollfd entries[2] = {{pidfd_.get(), POLLIN, 0}, {output_.get(), POLLIN, 0}};
    const nfds_t count = outputOpen_ ? 2 : 1;
    int ready = ::poll(entries, count, timeoutMs);
    if (ready < 0 && errno == EINTR)
        return Event::Timeout;
    if (ready <= 0)
        return Event::Timeout;
    if (entries[0].revents != 0)
        return Event::Exited;
    if (count == 2 && (entries[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        // The pipe's end with nothing left to read: stop watching it, or every poll
        // would return at once.
        if ((entries[1].revents & POLLIN) == 0)
            outputOpen_ = false;
        return Event::Output;
    }
    return Event::Timeout;
}

ssize_t ScriptProcess::readSome()
{
    if (!output_.valid())
        return 0;
    for (;;) {
        const ssize_t n = ::read(output_.get(), buffer_, sizeof buffer_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            outputOpen_ = false;
        return n;
    }
}

bool ScriptProcess::sendStop()
{
    if (!input_.valid())
        return false;
    // The encoder may have gone already: block SIGPIPE for this thread around the
    // write and take back a SIGPIPE it raised, so the program is never killed by it.
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE) == 1;
    const ssize_t n = ::write(input_.get(), "q", 1);
    if (n < 0 && errno == EPIPE && !wasPending) {
        const timespec none{0, 0};
        sigtimedwait(&pipeOnly, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return n == 1;
}

void ScriptProcess::signalGroup(int signal)
{
    // Until the child is reaped its pid, and so the group id, cannot be reused.
    if (pid_ > 0 && !reaped_)
        ::kill(-pid_, signal);
}

bool ScriptProcess::running()
{
    if (pid_ <= 0 || reaped_)
        return false;
    return !hasExited(0);
}

void ScriptProcess::reap(bool block)
{
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == pid_) {
        reaped_ = true;
        if (WIFEXITED(status))
            status_ = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            status_ = 128 + WTERMSIG(status);
    } else if (got < 0) {
        reaped_ = true;  // not our child any more (reaped elsewhere); nothing to wait for
    }
}

int ScriptProcess::finish()
{
    if (pid_ <= 0)
        return -1;
    if (!reaped_) {
        // Whatever the script left behind in its group (an encoder whose shell was
        // killed, a background child) goes with it.
        if (hasExited(0)) {
            signalGroup(SIGKILL);
        } else {
            signalGroup(SIGKILL);
            hasExited(2000);
        }
        reap(true);
    }
    input_.reset();
    output_.reset();
    pidfd_.reset();
    return status_;
}

}  // namespace platform
