#include "convert_core.h"

#include <chrono>
#include <string>
#include <system_error>

#include "platform/platform.h"

namespace {

void traceNumber(const char* prefix, long value, const char* suffix)
{
    platform::trace(std::string(prefix) + std::to_string(value) + suffix);
}

}  // namespace

bool ConvertCore::start()
{
    // The previous worker has ended (callers wait for it); join what is left of it.
    waitForWorker();
    const int32_t previous = state.load();
    terminateRequested = false;
    workerRunning = true;
    // Running before the thread exists, so the owner's first poll already sees it.
    state = Running;
    try {
        workerThread = std::thread([this] { runProc(); });
    } catch (const std::system_error&) {
        platform::traceCall("pthread_create");
        workerRunning = false;
        state = previous;
        return false;
    }
    return true;
}

void ConvertCore::waitForWorker()
{
    if (workerThread.joinable() && workerThread.get_id() != std::this_thread::get_id())
        workerThread.join();
}

void ConvertCore::stop()
{
    int32_t expected = Running;
    state.compare_exchange_strong(expected, StopRequested);
    int slept = 0;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        slept += 100;
        const int32_t now = state.load();
        if (now != Idle && now != Running && now != StopRequested)
            break;
    } while (slept < 1000);
}

void ConvertCore::terminateNow()
{
    terminateRequested = true;
    int32_t expected = Running;
    state.compare_exchange_strong(expected, StopRequested);
}

void ConvertCore::onRunEnd() {}

void ConvertCore::onJobEnd(const ConvertJob&) {}

std::string ConvertCore::buildDestination(const std::string& source, const std::string& folder) const
{
    // The separator is always added, also after a folder that ends in one.
    std::string destination = folder + "/";
    const size_t slash = source.rfind('/');
    destination += slash == std::string::npos ? source : source.substr(slash + 1);
    if (outputExt.empty())
        return destination;
    const size_t lastDot = destination.rfind('.');
    const size_t lastSlash = destination.rfind('/');
    if (lastDot == std::string::npos || lastDot < lastSlash)
        destination += ".";
    else
        destination.erase(lastDot + 1);
    destination += outputExt;
    return destination;
}

void ConvertCore::runProc()
{
    for (int32_t index = 0; index < jobCount(); ++index) {
        if (state.load() != Running)
            break;
        traceNumber("----- runProc : ", index, " -----\n");

        std::string source;
        std::string destination;
        {
            std::lock_guard<std::mutex> guard(lock);
            ConvertJob& job = *jobs[static_cast<size_t>(index)];
            source = job.source;
            destination = buildDestination(source, outputFolder);
            job.destination = destination;
            currentIndex = index;
        }
        setPercent(index, 0);

        JobOutcome outcome = JobOutcome::Pending;
        int32_t exitStatus = -1;
        std::string lastLine;
        // The destination may be the source under another name (a link in the output
        // folder): converting it onto itself would destroy the source.
        if (destination == source || platform::sameFile(destination, source)) {
            outcome = JobOutcome::SameFile;
        } else {
            // stat, not a test open: an existing file we cannot read is still asked about.
            const std::optional<platform::FileStamp> before = platform::fileStamp(destination);
            bool replace = !before.has_value();
            if (before.has_value() && overwrite.ask != nullptr)
                replace = overwrite.ask(1, overwrite.userValue) == 1;
            if (!replace) {
                outcome = JobOutcome::Kept;
            } else {
                platform::trace("runProc : convert\n");
                convert(source, destination);
                exitStatus = lastExitStatus;
                lastLine = lastOutputLine;
                const std::optional<platform::FileStamp> after = platform::fileStamp(destination);
                if (state.load() != Running) {
                    // A stop asked the encoder to finish early: its file is shortened,
                    // so it is kept but the job is not done.
                    outcome = JobOutcome::Stopped;
                } else if (exitStatus == 0 && after.has_value()) {
                    outcome = JobOutcome::Converted;
                } else {
                    outcome = JobOutcome::Failed;
                    // A failed run's partial file goes; a file the encoder never touched
                    // (it failed before opening its output) is the user's and stays.
                    if (after.has_value() && !(before.has_value() && *before == *after))
                        platform::deleteFile(destination);
                }
            }
        }

        const bool done = outcome == JobOutcome::Converted || outcome == JobOutcome::Kept ||
                          outcome == JobOutcome::SameFile;
        setPercent(index, done ? 100 : 0);
        ConvertJob finished;
        {
            std::lock_guard<std::mutex> guard(lock);
            ConvertJob& job = *jobs[static_cast<size_t>(index)];
            job.outcome = outcome;
            job.exitStatus = exitStatus;
            job.lastLine = lastLine;
            finished = job;
        }
        onJobEnd(finished);
    }

    // Running becomes Finished; a stop request (or any other value) becomes Stopped.
    int32_t expected = Running;
    if (!state.compare_exchange_strong(expected, Finished))
        state.store(Stopped);
    onRunEnd();
    {
        std::lock_guard<std::mutex> guard(lock);
        currentIndex = -1;
    }
    workerRunning = false;
}

bool ConvertCore::convert(const std::string& source, const std::string& destination)
{
    platform::trace("----- convert -----\n");
    lastExitStatus = -1;
    lastOutputLine.clear();
    const int duration = probeDuration(source);
    {
        std::lock_guard<std::mutex> guard(lock);
        traceNumber("duration:", duration, "\n");
        if (currentIndex >= 0 && currentIndex < static_cast<int32_t>(jobs.size()))
            jobs[static_cast<size_t>(currentIndex)]->duration = duration;
        platform::trace("----------\n");
    }
    // A stop that came during the probe: the encoder is not started only to be told
    // to quit, which would leave a stub file behind.
    if (state.load() != Running)
        return true;
    const std::string script = writeScript(source, presetArgs, destination);
    trackProgress = true;
    runProcess(script);
    trackProgress = false;
    platform::deleteFile(script);
    return true;
}
