#pragma once

// Runs one batch of the command-line tool on up to `jobs` engines side by side.
//
// Each engine converts one file per run. Whenever an engine is idle the runner
// hands it the first file not yet started whose destination no running file
// writes, so a long file never holds the other engines back and two files never
// write the same destination at once: the later of two colliding files waits, then
// finds the destination existing and is asked about it (or follows --overwrite).
//
// Everything here runs on the main thread except the engines' workers, which only
// call the overwrite question and wake the main thread when a run ends. The first
// SIGINT/SIGTERM/SIGHUP stops every running engine and starts no new file; the
// second terminates the encoders at once. The batch returns only when every worker
// has ended.

#include <string>
#include <vector>

#include "convert_core.h"

class OverwriteQuestion;
class ProgressDisplay;

struct BatchSettings {
    std::string encoderPath;
    std::string outputFolder;
    std::string presetArgs;
    std::string outputExt;
    int jobs = 1;
};

struct BatchCounts {
    int converted = 0;
    int kept = 0;
    int failed = 0;
    int stopped = 0;
    bool interrupted = false;  // a stop signal came while files were running or waiting
};

enum class FileStage { Waiting, Running, Done };

struct BatchFile {
    std::string source;
    std::string destination;
    FileStage stage = FileStage::Waiting;
};

// The first waiting file whose destination no running file has; -1 when there is none.
int nextFileToStart(const std::vector<BatchFile>& files);

// The line that says how a file ended; `error` tells whether it belongs on standard error.
std::string resultLine(const ConvertJob& job, bool& error);
// "3 converted, 1 kept, 0 failed, 0 stopped".
std::string summaryLine(const BatchCounts& counts);

class BatchRunner {
public:
    BatchRunner(BatchSettings settings, ProgressDisplay& display, OverwriteQuestion& question);
    BatchCounts run(const std::vector<std::string>& sources);

private:
    BatchSettings settings;
    ProgressDisplay& display;
    OverwriteQuestion& question;
};
