#pragma once

// The conversion engine: the settings of a run, the job list, the run state and the
// worker that converts the jobs one after another by running the encoder tool.
//
// Threads. The owner (a window or the command-line tool) calls everything but the
// worker's own operations from one thread. During a run one worker thread runs
// runProc, convert, the runners, the parser and the overwrite question.
// `lock` guards `jobs`, every job, `jobsByPath` and `currentIndex`; it is never held
// across an encoder run, a sleep, the overwrite question or a call into the owner.
// `state` is shared without the lock.
//
// Lifetime. Nothing clears, refills, reconfigures, restarts or destroys the engine
// while a worker exists: callers wait with waitForWorker (or poll workerActive)
// first. stop is bounded, so that wait is bounded too.
//
// Paths and texts are UTF-8; two paths are equal when their bytes are.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

enum CoreState : int32_t {
    Idle = 0,           // no run has been started
    Running = 1,        // set by start, before the worker exists
    StopRequested = 2,  // set by stop while Running: end after the job in hand
    Stopped = 3,        // the worker ended after a stop request
    Finished = 4,       // the worker went through the whole list
};

// How a job ended; what the command-line tool reports for each file.
enum class JobOutcome : int32_t {
    Pending = 0,    // not started, or in hand
    Converted = 1,  // the encoder wrote the destination and exited with status 0
    Kept = 2,       // the destination existed and was left alone
    SameFile = 3,   // the destination is the source itself; nothing to do
    Failed = 4,     // the encoder failed or wrote nothing; no partial file is left
    Stopped = 5,    // a stop request ended the encoder; its file, if any, is kept
};

struct ConvertJob {
    int32_t index = 0;        // position in the list when added; shown as index + 1
    std::string source;       // exactly as passed to addJob
    std::string destination;  // empty until the worker starts the job
    int32_t duration = 0;     // whole seconds; 0 when the probe found none
    int32_t percent = 0;      // 0..100; exactly 100 means done

    JobOutcome outcome = JobOutcome::Pending;
    int32_t exitStatus = -1;  // the encoder's exit status; 128 + signal when killed; -1 when not run
    std::string lastLine;     // the encoder's last line of output, for failure reports
};

// The worker's question whether an existing destination may be replaced. Reason 1
// is the only one; an answer of exactly 1 means yes, anything else (and a null
// `ask`) means no. Called on the worker thread without the lock; it may take the
// lock itself (through currentJob) and may block until the user answers.
struct OverwriteCallback {
    int32_t (*ask)(int32_t reason, void* userValue) = nullptr;
    void* userValue = nullptr;
};

class ConvertCore {
public:
    ConvertCore();
    // Deletes the jobs. Must not run while a worker exists; it joins a finished one.
    virtual ~ConvertCore();

    ConvertCore(const ConvertCore&) = delete;
    ConvertCore& operator=(const ConvertCore&) = delete;

    virtual bool isReady();
    // Deletes every job and resets currentIndex; settings, state and overwrite stay.
    virtual bool clearJobs();
    // Converts one source into one destination (worker thread only). Returns true.
    virtual bool convert(const std::string& source, const std::string& destination);
    // Starts a run on a new worker thread; state is Running when it returns.
    // False when the thread could not be created (state is then left as it was).
    virtual bool start();
    // Called by the worker once at the end of every run, after the final state is set.
    virtual void onRunEnd();
    // Called by the worker after each job it took, with a copy of the finished job.
    virtual void onJobEnd(const ConvertJob& job);

    // --- the job list ---
    bool hasJob(const std::string& path) const;
    // False (and nothing changes) for a path already in the list.
    bool addJob(const std::string& path);
    // Copies the job in hand; false when there is none.
    bool currentJob(ConvertJob& out);
    // Ignores an index outside the list; clamps the value to 0..100.
    void setPercent(int32_t index, int32_t value);
    // Jobs whose percent is exactly 100.
    int32_t finishedCount();
    // Number of jobs, read without the lock: the list only changes while no worker exists.
    int32_t jobCount() const { return static_cast<int32_t>(jobs.size()); }
    // Copy of job `index`, taken under the lock; false when out of range.
    bool jobAt(int32_t index, ConvertJob& out);

    // --- runs ---
    // Asks a running worker to end after the job in hand (the encoder gets "q") and
    // waits for it 100 ms to 1 s. Leaves any other state alone.
    void stop();
    // Like stop, but the encoder's process group is terminated at once instead of
    // being asked with "q" first (a second interrupt from the user).
    void terminateNow();
    // True from start until the worker thread has done its last step.
    bool workerActive() const { return workerRunning.load(); }
    // Waits for the worker thread to end (returns at once when there is none).
    void waitForWorker();

    // --- the worker's own operations (worker thread) ---
    void runProc();
    std::string buildDestination(const std::string& source, const std::string& folder) const;
    // Runs the conversion script; true when it started, given after it has ended.
    bool runProcess(const std::string& commandLine);
    // Whole seconds of the source's duration; 0 when none was found.
    int probeDuration(const std::string& source);
    // Runs the probe script with its standard error into a log; `output` gets the log.
    bool runProcess2(const std::string& scriptPath, std::string& output);

    // --- scripts ---
    // Writes a script that runs the encoder once and deletes itself. With a
    // destination: the conversion form (`-y -i SOURCE ARGUMENTS DESTINATION`),
    // otherwise the probe form (`-i SOURCE`). Returns its path, empty on failure.
    std::string writeScript(std::string_view source, std::optional<std::string_view> arguments = std::nullopt,
                            std::optional<std::string_view> destination = std::nullopt);
    // `<app-data>/Media Converter/mconv<tick>`, the folder made private; empty on failure.
    std::string scriptBasePath();

    // --- the encoder's output ---
    // Turns "time=" positions in the encoder's console text into the current job's percent.
    void parseProgress(std::string_view chunk);

    // Members, public as several callers use them directly.
    std::mutex lock;
    std::thread workerThread;
    std::string encoderPath;
    std::string outputFolder;
    std::string presetArgs;
    std::string outputExt;
    std::vector<std::unique_ptr<ConvertJob>> jobs;
    std::map<std::string, ConvertJob*> jobsByPath;
    std::atomic<int32_t> state{Idle};
    int32_t currentIndex = -1;
    bool trackProgress = false;
    OverwriteCallback overwrite;

protected:
    // Per engine, so that several engines can run side by side.
    std::string progressText;             // the parser's accumulator
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> terminateRequested{false};
    int32_t lastExitStatus = -1;          // of the last conversion run (worker only)
    std::string lastOutputLine;           // of the last conversion run (worker only)
};

// Whole seconds of an hours:minutes:seconds text, rounded half up; 0 unless the
// text has exactly three fields.
int parseClock(std::string_view text);

// Quotes a path so that /bin/sh takes it literally: single quotes, ' as '\''.
std::string shellQuote(std::string_view text);

// Whole seconds of the "Duration:" that begins a line of the encoder's description
// of a source; 0 when there is none.
int durationFromProbeText(std::string_view text);
