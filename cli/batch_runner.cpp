#include "batch_runner.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "cli_engine.h"
#include "overwrite_question.h"
#include "platform/platform.h"
#include "platform/unique_fd.h"
#include "progress_display.h"
#include "stop_signals.h"

int nextFileToStart(const std::vector<BatchFile>& files)
{
    for (size_t candidate = 0; candidate < files.size(); ++candidate) {
        if (files[candidate].stage != FileStage::Waiting)
            continue;
        const bool collides = std::any_of(files.begin(), files.end(), [&](const BatchFile& other) {
            return other.stage == FileStage::Running && other.destination == files[candidate].destination;
        });
        if (!collides)
            return static_cast<int>(candidate);
    }
    return -1;
}

std::string resultLine(const ConvertJob& job, bool& error)
{
    error = false;
    switch (job.outcome) {
        case JobOutcome::Converted:
            return "Converted: " + job.source + " -> " + job.destination;
        case JobOutcome::Kept:
            return "Kept: " + job.source + " (" + job.destination + " exists and was not replaced)";
        case JobOutcome::SameFile:
            return "Kept: " + job.source + " (it is its own destination)";
        case JobOutcome::Failed: {
            error = true;
            if (job.exitStatus < 0)
                return "Failed: " + job.source + " (the encoder did not run)";
            std::string line = "Failed: " + job.source + " (exit status " + std::to_string(job.exitStatus) + ")";
            if (!job.lastLine.empty())
                line += ": " + job.lastLine;
            return line;
        }
        case JobOutcome::Stopped:
            if (!job.destination.empty() && platform::fileExists(job.destination))
                return "Stopped: " + job.source + " (" + job.destination + " is incomplete)";
            return "Stopped: " + job.source;
        case JobOutcome::Pending:
            break;
    }
    return "Stopped: " + job.source + " (not started)";
}

std::string summaryLine(const BatchCounts& counts)
{
    return std::to_string(counts.converted) + " converted, " + std::to_string(counts.kept) + " kept, " +
           std::to_string(counts.failed) + " failed, " + std::to_string(counts.stopped) + " stopped";
}

BatchRunner::BatchRunner(BatchSettings settings, ProgressDisplay& display, OverwriteQuestion& question)
    : settings(std::move(settings)), display(display), question(question)
{}

namespace {

struct EngineSlot {
    std::unique_ptr<CliEngine> engine;
    int file = -1;  // the file in hand; -1 while idle
};

void count(BatchCounts& counts, JobOutcome outcome)
{
    switch (outcome) {
        case JobOutcome::Converted:
            ++counts.converted;
            break;
        case JobOutcome::Kept:
        case JobOutcome::SameFile:
            ++counts.kept;
            break;
        case JobOutcome::Failed:
            ++counts.failed;
            break;
        case JobOutcome::Stopped:
        case JobOutcome::Pending:
            ++counts.stopped;
            break;
    }
}

// One batch in progress: the files, the engines and what the user asked for so far.
class BatchRun {
public:
    BatchRun(const BatchSettings& settings, ProgressDisplay& display, OverwriteQuestion& question,
             const std::vector<std::string>& sources)
        : display(display), question(question)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            wakeRead.reset(ends[0]);
            wakeWrite.reset(ends[1]);
        } else {
            platform::traceCall("pipe2");
        }
        const size_t engineCount = std::min(static_cast<size_t>(std::max(settings.jobs, 1)), sources.size());
        slots.resize(engineCount);
        for (EngineSlot& slot : slots) {
            slot.engine = std::make_unique<CliEngine>(wakeWrite.get(), question);
            slot.engine->encoderPath = settings.encoderPath;
            slot.engine->outputFolder = settings.outputFolder;
            slot.engine->presetArgs = settings.presetArgs;
            slot.engine->outputExt = settings.outputExt;
        }
        for (const std::string& source : sources)
            files.push_back({source, slots.front().engine->buildDestination(source, settings.outputFolder)});
    }

    BatchCounts run()
    {
        for (;;) {
            collectEndedRuns();
            reactToSignals();
            if (!stopping)
                startIdleEngines();
            const bool busy =
                std::any_of(slots.begin(), slots.end(), [](const EngineSlot& slot) { return slot.file >= 0; });
            if (!busy)
                break;
            showProgress();
            waitForNews();
        }
        // Files never started because of a stop.
        for (size_t index = 0; index < files.size(); ++index) {
            if (files[index].stage != FileStage::Waiting)
                continue;
            ConvertJob job;
            job.source = files[index].source;
            finishFile(static_cast<int>(index), job);
        }
        display.finish();
        return counts;
    }

private:
    void finishFile(int index, ConvertJob job)
    {
        files[static_cast<size_t>(index)].stage = FileStage::Done;
        if (job.source.empty())
            job.source = files[static_cast<size_t>(index)].source;
        count(counts, job.outcome);
        bool error = false;
        const std::string line = resultLine(job, error);
        if (error)
            display.errorLine(line);
        else
            display.fileLine(line);
    }

    void collectEndedRuns()
    {
        for (EngineSlot& slot : slots) {
            if (slot.file < 0 || !slot.engine->hasRunEnded())
                continue;
            // The worker is past its last call into us, so joining it is short.
            slot.engine->waitForWorker();
            ConvertJob job;
            slot.engine->jobAt(0, job);
            const int index = slot.file;
            slot.file = -1;
            finishFile(index, job);
        }
    }

    void reactToSignals()
    {
        if (signals.count() >= 1 && !stopping) {
            stopping = true;
            counts.interrupted = true;
            question.cancel();
            display.errorLine("Stopping after the files in hand; press Ctrl-C again to end them at once.");
            for (EngineSlot& slot : slots) {
                // stop() waits up to a second for its engine; a second signal meanwhile
                // turns the remaining stops into terminations below.
                if (slot.file >= 0 && !slot.engine->hasRunEnded() && signals.count() < 2)
                    slot.engine->stop();
            }
        }
        if (signals.count() >= 2 && !terminating) {
            terminating = true;
            for (EngineSlot& slot : slots) {
                if (slot.file >= 0 && !slot.engine->hasRunEnded())
                    slot.engine->terminateNow();
            }
        }
    }

    void startIdleEngines()
    {
        for (EngineSlot& slot : slots) {
            // An engine whose thread cannot be started fails its file and takes the next.
            while (slot.file < 0) {
                const int index = nextFileToStart(files);
                if (index < 0)
                    return;
                BatchFile& file = files[static_cast<size_t>(index)];
                CliEngine& engine = *slot.engine;
                engine.clearJobs();
                engine.addJob(file.source);
                engine.prepareRun();
                file.stage = FileStage::Running;
                if (!engine.start()) {
                    ConvertJob job;
                    engine.jobAt(0, job);
                    job.outcome = JobOutcome::Failed;
                    job.destination = file.destination;
                    finishFile(index, job);
                    continue;
                }
                slot.file = index;
            }
        }
    }

    void showProgress()
    {
        if (!display.drawsProgress())
            return;
        std::vector<ProgressRow> rows;
        long long progress = 0;
        for (const BatchFile& file : files) {
            if (file.stage == FileStage::Done)
                progress += 100;
        }
        for (EngineSlot& slot : slots) {
            if (slot.file < 0)
                continue;
            ConvertJob job;
            slot.engine->jobAt(0, job);
            rows.push_back({slot.file + 1, files[static_cast<size_t>(slot.file)].source, job.percent});
            progress += std::clamp(job.percent, 0, 100);
        }
        std::sort(rows.begin(), rows.end(),
                  [](const ProgressRow& a, const ProgressRow& b) { return a.number < b.number; });
        const int permille = static_cast<int>(progress * 10 / static_cast<long long>(files.size()));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
        display.show(rows, permille, estimateSecondsLeft(elapsed, permille));
    }

    void waitForNews()
    {
        pollfd watched[2] = {{signals.fd(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}};
        // The wake-up pipe and the signal pipe end the wait at once; the time-out
        // paces the progress display and covers a pipe that could not be made.
        ::poll(watched, 2, display.drawsProgress() ? 200 : 1000);
        signals.drain();
        char buffer[64];
        while (wakeRead.valid() && ::read(wakeRead.get(), buffer, sizeof buffer) > 0) {}
    }

    ProgressDisplay& display;
    OverwriteQuestion& question;
    // Declared before the engines, which write to it until they are destroyed.
    UniqueFd wakeRead;
    UniqueFd wakeWrite;
    std::vector<EngineSlot> slots;
    std::vector<BatchFile> files;
    BatchCounts counts;
    bool stopping = false;
    bool terminating = false;
    const std::chrono::steady_clock::time_point startTime = std::chrono::steady_clock::now();
    StopSignals signals;
};

}  // namespace

BatchCounts BatchRunner::run(const std::vector<std::string>& sources)
{
    if (sources.empty())
        return {};
    BatchRun batch(settings, display, question, sources);
    return batch.run();
}
