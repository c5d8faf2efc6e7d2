#pragma once

// SIGINT, SIGTERM and SIGHUP during a batch. The handler only counts the signal and
// writes a byte into a pipe; the main thread watches the pipe and turns the first
// signal into a stop of every running engine and the second into terminating the
// encoders at once. One object at a time; the previous handlers come back when it
// is destroyed.

#include <csignal>

#include "platform/unique_fd.h"

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable after a signal; the main thread polls it and drains it with drain().
    int fd() const { return readEnd.get(); }
    void drain();
    // Stop signals received since construction.
    int count() const;

private:
    UniqueFd readEnd;
    UniqueFd writeEnd;
    struct sigaction previousInt {};
    struct sigaction previousTerm {};
    struct sigaction previousHup {};
};
