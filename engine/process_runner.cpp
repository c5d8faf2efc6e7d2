#include "convert_core.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/process.h"
#include "platform/unique_fd.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPollPeriod{300};
constexpr milliseconds kProbePeriod{100};
// A stop cannot hang: an encoder still running this long after the first "q" is
// terminated, and killed if it outlives the termination by the second span.
constexpr milliseconds kQuitGrace{5000};
constexpr milliseconds kTerminateGrace{2000};
// Only the end of the output is kept, for the last line of a failure report.
constexpr size_t kTailSize = 4096;
constexpr size_t kBusyOutput = 16 * 1024;
constexpr std::chrono::microseconds kGatherPause{1000};

int msUntil(Clock::time_point when)
{
    const auto left = std::chrono::duration_cast<milliseconds>(when - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

std::string lastLineOf(const std::string& text)
{
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
        --end;
    const size_t start = text.find_last_of("\r\n", end == 0 ? 0 : end - 1);
    return start == std::string::npos || end == 0 ? text.substr(0, end) : text.substr(start + 1, end - start - 1);
}

}  // namespace

bool ConvertCore::runProcess(const std::string& commandLine)
{
    lastExitStatus = -1;
    lastOutputLine.clear();
    platform::ScriptProcess process;
    if (!process.start(commandLine, platform::ScriptProcess::Mode::Piped)) {
        platform::traceCall("posix_spawn");
        return false;
    }
    platform::trace("----- ConvertCore::runProcess -----\n");

    std::string tail;
    // Everything available is read at every wake-up, so a chatty encoder never waits
    // on a full pipe. Progress is parsed only while the run goes on normally.
    auto readOutput = [&] {
        return process.drain([&](std::string_view chunk) {
            platform::trace("----------\n");
            platform::trace(chunk);
            if (trackProgress && state.load() == Running)
                parseProgress(chunk);
            if (chunk.size() >= kTailSize) {
                tail.assign(chunk.substr(chunk.size() - kTailSize));
            } else {
                tail.append(chunk);
                if (tail.size() > 2 * kTailSize)
                    tail.erase(0, tail.size() - kTailSize);
            }
        });
    };

    Clock::time_point nextTick = Clock::now() + kPollPeriod;
    std::optional<Clock::time_point> firstQuit;
    std::optional<Clock::time_point> terminated;
    bool killed = false;
    for (;;) {
        Clock::time_point wakeAt = nextTick;
        if (terminated && !killed)
            wakeAt = std::min(wakeAt, *terminated + kTerminateGrace);
        const auto event = process.wait(msUntil(wakeAt));
        const size_t bytes = readOutput();
        if (event == platform::ScriptProcess::Event::Exited)
            break;
        // An encoder that prints a lot would wake us for every line; a short pause
        // lets its text gather in the pipe and be read in large pieces, far cheaper
        // for both sides. A quiet encoder (FFmpeg's few lines a second) never pauses.
        if (bytes >= kBusyOutput)
            std::this_thread::sleep_for(kGatherPause);

        const Clock::time_point now = Clock::now();
        if (now >= nextTick) {
            nextTick = now + kPollPeriod;
            if (state.load() == StopRequested) {
                process.sendStop();
                if (!firstQuit)
                    firstQuit = now;
            }
        }
        if (!terminated && ((firstQuit && now - *firstQuit >= kQuitGrace) || terminateRequested.load())) {
            process.signalGroup(SIGTERM);
            terminated = now;
        }
        if (terminated && !killed && now - *terminated >= kTerminateGrace) {
            process.signalGroup(SIGKILL);
            killed = true;
        }
    }
    readOutput();
    lastExitStatus = process.finish();
    lastOutputLine = lastLineOf(tail);
    platform::trace("----- runProcess : CloseHandle -----\n");
    return true;
}

bool ConvertCore::runProcess2(const std::string& scriptPath, std::string& output)
{
    const std::string appData = platform::appDataFolder();
    if (appData.empty() || scriptPath.empty()) {
        platform::traceCall("posix_spawn");
        return false;
    }
    // The log is made exclusively, like the scripts: another engine's probe in the
    // same millisecond takes another name.
    std::string logPath;
    UniqueFd log(platform::createUniqueFile(appData + "/quentrel" + std::to_string(platform::tickCount()), ".txt",
                                            logPath));
    if (!log.valid())
        return false;

    {
        platform::ScriptProcess process;
        if (!process.start(scriptPath, platform::ScriptProcess::Mode::Logged, log.get())) {
            platform::traceCall("posix_spawn");
            log.reset();
            platform::deleteFile(logPath);
            return false;
        }
        platform::trace("----- ConvertCore::runProcess2 -----\n");
        while (process.wait(static_cast<int>(kProbePeriod.count())) != platform::ScriptProcess::Event::Exited) {
            if (state.load() != Running) {
                // A stop during the probe: the probe is not worth waiting for, and
                // must not outlive the run.
                process.signalGroup(SIGTERM);
                if (process.wait(static_cast<int>(kTerminateGrace.count())) != platform::ScriptProcess::Event::Exited)
                    process.signalGroup(SIGKILL);
                break;
            }
        }
        process.finish();
        platform::trace("----- runProcess2 : CloseHandle -----\n");
    }
    log.reset();

    std::string text;
    UniqueFd reader(::open(logPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (reader.valid()) {
        char piece[4096];
        for (;;) {
            const ssize_t n = ::read(reader.get(), piece, sizeof piece);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            text.append(piece, static_cast<size_t>(n));
        }
    }
    platform::deleteFile(logPath);
    output = text;
    return true;
}

int durationFromProbeText(std::string_view text)
{
    // The first "Duration:" that begins a line after blanks. FFmpeg names the source
    // in `from '<path>':` and lists metadata tags before that line, and either can
    // hold the same word.
    for (size_t at = text.find("Duration:"); at != std::string_view::npos; at = text.find("Duration:", at + 1)) {
        size_t lineStart = at;
        while (lineStart > 0 && (text[lineStart - 1] == ' ' || text[lineStart - 1] == '\t'))
            --lineStart;
        if (lineStart != 0 && text[lineStart - 1] != '\n' && text[lineStart - 1] != '\r')
            continue;
        const size_t comma = text.find(',', at);
        if (comma == std::string_view::npos)
            return 0;
        return parseClock(text.substr(at + 9, comma - at - 9));
    }
    return 0;
}

int ConvertCore::probeDuration(const std::string& source)
{
    const std::string script = writeScript(source);
    std::string text;
    runProcess2(script, text);
    platform::deleteFile(script);
    if (text.empty())
        return 0;
    return durationFromProbeText(text);
}
