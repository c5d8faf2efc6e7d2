#include "stop_signals.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Touched by the handler, so lock-free atomics and a plain descriptor only.
std::atomic<int> signalCount{0};
std::atomic<int> signalWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onStopSignal(int)
{
    const int savedErrno = errno;
    signalCount.fetch_add(1);
    const int fd = signalWriteFd.load();
    if (fd >= 0) {
        const char byte = 's';
        // A full pipe already wakes the main thread; the byte is not needed then.
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        readEnd.reset(ends[0]);
        writeEnd.reset(ends[1]);
    }
    signalCount = 0;
    signalWriteFd = writeEnd.get();

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls keep the worker threads' reads and waits undisturbed when a
    // signal lands on them instead of on the main thread.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt);
    ::sigaction(SIGTERM, &action, &previousTerm);
    ::sigaction(SIGHUP, &action, &previousHup);
}

StopSignals::~StopSignals()
{
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::sigaction(SIGHUP, &previousHup, nullptr);
    signalWriteFd = -1;
}

void StopSignals::drain()
{
    char buffer[64];
    while (readEnd.valid() && ::read(readEnd.get(), buffer, sizeof buffer) > 0) {}
}

int StopSignals::count() const
{
    return signalCount.load();
}
