#pragma once

// Answers the engines' question whether an existing destination may be replaced:
// yes or no at once for --overwrite yes/no, otherwise by asking the user. One
// question is open at a time, whichever engine asks; the others wait their turn.
//
// The question runs on an engine's worker thread. It reads its answer, a line, from
// `inputFd` (standard input, which is the terminal when the tool asks by default);
// the end of the input answers no. It never keeps a stop waiting: cancel() (the
// main thread, when a stop begins) or the asking engine leaving Running closes an
// open question with no, and every later one is answered no without being asked.

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "cli_options.h"
#include "platform/unique_fd.h"

class ConvertCore;
class ProgressDisplay;

class OverwriteQuestion {
public:
    OverwriteQuestion(OverwriteMode mode, ProgressDisplay& display, int inputFd = 0, std::FILE* prompt = stderr);

    // Worker thread. 1: replace the destination; 0: keep it.
    int32_t answer(ConvertCore& engine);
    // Any thread; lasts for the rest of the batch.
    void cancel();

private:
    // Reads one line of input; false when the input ended or the question was cancelled.
    bool readAnswer(ConvertCore& engine, std::string& line);

    const OverwriteMode mode;
    ProgressDisplay& display;
    const int inputFd;
    const bool inputIsTerminal;
    std::FILE* const prompt;

    std::mutex questionLock;   // one question at a time across the engines
    std::string pendingInput;  // read past the end of an answer; guarded by questionLock
    bool inputEnded = false;   // guarded by questionLock
    std::atomic<bool> cancelled{false};
    UniqueFd cancelRead;  // readable once cancel() has run
    UniqueFd cancelWrite;
};
