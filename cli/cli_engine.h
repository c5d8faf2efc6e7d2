#pragma once

// One engine of the command-line tool. The batch runner gives it one file per run and
// learns of the run's end through a wake-up pipe, so a finished file is followed by
// the next one at once instead of at the next poll.

#include <atomic>

#include "convert_core.h"

class OverwriteQuestion;

class CliEngine : public ConvertCore {
public:
    // `wakeFd` is written one byte when a run ends (non-blocking, may be -1).
    // `question` answers the worker's overwrite question; it must outlive the engine.
    CliEngine(int wakeFd, OverwriteQuestion& question);

    // Worker thread: marks the run as ended and wakes the main thread.
    void onRunEnd() override;

    // Main thread, before start: the coming run has not ended.
    void prepareRun() { runEnded = false; }
    // True once the worker has published its final state for the current run.
    bool hasRunEnded() const { return runEnded.load(); }

    OverwriteQuestion& question;

private:
    int wakeFd;
    std::atomic<bool> runEnded{false};
};
