#pragma once

// What the command-line tool shows while a batch runs. On a terminal: a block of
// lines redrawn in place, one per running file (its number "i / n", its percent and a
// bar, its path) and one for the batch (its percent and the time left once it can be
// estimated); the per-file result lines scroll above the block. Elsewhere: only the
// result lines. Quiet: only error lines and the summary.
//
// Threads: the main thread calls everything but beginQuestion/endQuestion, which the
// overwrite question calls from a worker; a mutex keeps them apart.

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ProgressRow {
    int number = 0;      // 1-based position in the batch
    std::string source;  // the path as given
    int percent = 0;     // 0..100
};

class ProgressDisplay {
public:
    ProgressDisplay(int total, bool terminal, bool quiet, std::FILE* out = stdout, std::FILE* err = stderr);

    // Redraws the block; at most five times a second unless the set of rows changed
    // or a line has taken the block away.
    void show(const std::vector<ProgressRow>& rows, int batchPermille, std::optional<int> secondsLeft);
    // A line for standard output (left out when quiet) or standard error.
    void fileLine(const std::string& text);
    void errorLine(const std::string& text);
    // Removes the block for good; the summary follows.
    void finish();

    // The overwrite question takes the terminal: the block goes, and lines written
    // while the question is open wait until it closes.
    void beginQuestion();
    void endQuestion();

    bool drawsProgress() const { return terminal && !quiet; }

private:
    void clearBlock();
    void drawBlock();
    void writeLine(bool error, const std::string& text);

    const int total;
    const bool terminal;
    const bool quiet;
    std::FILE* const out;
    std::FILE* const err;

    std::mutex mutex;
    bool questionOpen = false;
    std::vector<std::pair<bool, std::string>> waiting;  // (to standard error, text)
    std::vector<std::string> block;                     // the lines last drawn
    std::vector<int> blockNumbers;                      // the files they show
    int drawnLines = 0;                                 // lines of the block now on screen
    std::chrono::steady_clock::time_point lastDraw{};
};

// "0:05", "12:34", "1:02:03".
std::string formatClock(int seconds);
// Seconds left for a batch `permille` done after `elapsedSeconds`; nothing until a
// second has passed and one percent is done.
std::optional<int> estimateSecondsLeft(double elapsedSeconds, int permille);
// "  3 / 8   45% [#########-----------] clip.mp4", cut to `width` columns.
std::string progressRowText(const ProgressRow& row, int total, int width);
// "Batch 30%, about 1:20 left", cut to `width` columns.
std::string batchLineText(int batchPermille, std::optional<int> secondsLeft, int width);
// Cuts UTF-8 text after `columns` characters, never inside a character.
std::string cutToColumns(const std::string& text, int columns);
