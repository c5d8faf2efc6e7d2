#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine_fixture.h"
#include "platform/platform.h"

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// Question functions for the overwrite callback; the user value counts the calls.
int32_t answerYes(int32_t, void* calls)
{
    ++*static_cast<std::atomic<int>*>(calls);
    return 1;
}
int32_t answerNo(int32_t, void* calls)
{
    ++*static_cast<std::atomic<int>*>(calls);
    return 0;
}

// An engine that records its end-of-run and end-of-job calls.
class RecordingCore : public ConvertCore {
public:
    void onRunEnd() override { runEnds++; }
    void onJobEnd(const ConvertJob& job) override { endedJobs.push_back(job.index); }
    std::atomic<int> runEnds{0};
    std::vector<int32_t> endedJobs;
};

}  // namespace

TEST(WorkerRun, ThreeJobsAreConvertedInOrder)
{
    EngineFixture f;
    const std::string a = f.source("a.mp4");
    const std::string b = f.source("b.two.mp4");
    const std::string c = f.source("c");
    for (const std::string& path : {a, b, c})
        f.core.addJob(path);
    f.runToEnd();

    EXPECT_EQ(f.core.state.load(), Finished);
    EXPECT_EQ(f.core.currentIndex, -1);
    EXPECT_EQ(f.core.finishedCount(), 3);
    const std::string expected[] = {f.output("a.avi"), f.output("b.two.avi"), f.output("c.avi")};
    for (int32_t i = 0; i < 3; ++i) {
        const ConvertJob job = f.job(i);
        EXPECT_EQ(job.destination, expected[i]);
        EXPECT_EQ(job.percent, 100);
        EXPECT_EQ(job.outcome, JobOutcome::Converted);
        EXPECT_EQ(job.exitStatus, 0);
        EXPECT_EQ(job.duration, 2);
        EXPECT_EQ(readFile(expected[i]), "converted from " + job.source + "\n");
    }
    EXPECT_EQ(f.encoderRuns(), (std::vector<std::string>{"probe " + a, "convert " + a + " " + expected[0],
                                                          "probe " + b, "convert " + b + " " + expected[1],
                                                          "probe " + c, "convert " + c + " " + expected[2]}));
    f.expectNothingLeft();
}

TEST(WorkerRun, AnEmptyListFinishesAtOnce)
{
    TempFolder temp;
    RecordingCore core;
    std::string traces;
    platform::setTraceSink([&traces](std::string_view text) { traces += text; });
    ASSERT_TRUE(core.start());
    core.waitForWorker();
    platform::setTraceSink({});
    EXPECT_EQ(core.state.load(), Finished);
    EXPECT_EQ(core.runEnds.load(), 1);
    EXPECT_EQ(traces.find("runProc"), std::string::npos);
}

// Every way the destination can be the source itself: nothing runs, nobody is asked.
TEST(WorkerRun, ADestinationThatIsTheSourceIsNeverConvertedOntoItself)
{
    enum class Kind { SamePath, SymbolicLink, HardLink };
    for (Kind kind : {Kind::SamePath, Kind::SymbolicLink, Kind::HardLink}) {
        EngineFixture f;
        const std::string src = f.source("movie.avi", "original");
        if (kind == Kind::SamePath)
            f.core.outputFolder = f.sources;
        else if (kind == Kind::SymbolicLink)
            fs::create_symlink(src, f.output("movie.avi"));
        else
            fs::create_hard_link(src, f.output("movie.avi"));
        std::atomic<int> asked{0};
        f.core.overwrite = {answerYes, &asked};
        f.core.addJob(src);
        f.runToEnd();
        const ConvertJob job = f.job(0);
        EXPECT_EQ(job.outcome, JobOutcome::SameFile) << static_cast<int>(kind);
        EXPECT_EQ(job.percent, 100);
        EXPECT_EQ(asked.load(), 0);
        EXPECT_TRUE(f.encoderRuns().empty());
        EXPECT_EQ(readFile(src), "original");
    }
}

TEST(WorkerRun, AnExistingDestinationIsReplacedOnlyWhenTheAnswerIsYes)
{
    struct Case {
        const char* name;
        int32_t (*ask)(int32_t, void*);
        bool unreadable;
        JobOutcome outcome;
        bool replaced;
    };
    const Case cases[] = {
        {"yes", answerYes, false, JobOutcome::Converted, true},
        {"no", answerNo, false, JobOutcome::Kept, false},
        {"no question function", nullptr, false, JobOutcome::Kept, false},
        // A file we cannot read still exists: the user is asked, not overruled.
        {"unreadable, no", answerNo, true, JobOutcome::Kept, false},
    };
    for (const Case& c : cases) {
        EngineFixture f;
        const std::string src = f.source("clip.mp4");
        writeFile(f.output("clip.avi"), "precious");
        if (c.unreadable)
            ::chmod(f.output("clip.avi").c_str(), 0);
        std::atomic<int> asked{0};
        f.core.overwrite = {c.ask, &asked};
        f.core.addJob(src);
        f.runToEnd();
        const ConvertJob job = f.job(0);
        EXPECT_EQ(job.outcome, c.outcome) << c.name;
        EXPECT_EQ(job.percent, 100) << c.name;
        EXPECT_EQ(asked.load(), c.ask != nullptr ? 1 : 0) << c.name;
        ::chmod(f.output("clip.avi").c_str(), 0600);
        EXPECT_EQ(readFile(f.output("clip.avi")) == "precious", !c.replaced) << c.name;
        f.expectNothingLeft();
    }
}

TEST(WorkerRun, StopDuringTheSecondOfThreeJobsLeavesTheThirdUntouched)
{
    EngineFixture f;
    const std::string first = f.source("1.mp4");
    const std::string second = f.source("2.mp4", "duration=60\nspeed=1\n");
    const std::string third = f.source("3.mp4");
    for (const std::string& path : {first, second, third})
        f.core.addJob(path);
    ASSERT_TRUE(f.core.start());
    ASSERT_TRUE(waitFor([&] {
        ConvertJob job;
        return f.core.currentJob(job) && job.index == 1 && job.percent > 0;
    }));
    f.core.stop();
    ASSERT_TRUE(waitFor([&] { return !f.core.workerActive(); }));
    f.core.waitForWorker();

    EXPECT_EQ(f.core.state.load(), Stopped);
    EXPECT_EQ(f.job(0).outcome, JobOutcome::Converted);
    EXPECT_EQ(f.job(0).percent, 100);
    // The stopped encoder finished a shortened file: kept, but the job is not done.
    EXPECT_EQ(f.job(1).outcome, JobOutcome::Stopped);
    EXPECT_EQ(f.job(1).percent, 0);
    EXPECT_EQ(readFile(f.output("2.avi")), "stopped\n");
    EXPECT_EQ(f.job(2).outcome, JobOutcome::Pending);
    EXPECT_EQ(f.job(2).percent, 0);
    EXPECT_EQ(f.job(2).destination, "");
    EXPECT_FALSE(fs::exists(f.output("3.avi")));
    EXPECT_EQ(f.encoderRuns().size(), 4u);
    EXPECT_EQ(f.core.finishedCount(), 1);
    f.expectNothingLeft();
}

TEST(WorkerStop, OnAnIdleEngineItWaitsItsSecondAndOnAFinishedOneItsTenth)
{
    ConvertCore idle;
    auto started = std::chrono::steady_clock::now();
    idle.stop();
    EXPECT_GE(std::chrono::steady_clock::now() - started, milliseconds(1000));
    EXPECT_EQ(idle.state.load(), Idle);

    TempFolder temp;
    ConvertCore finished;
    ASSERT_TRUE(finished.start());
    finished.waitForWorker();
    started = std::chrono::steady_clock::now();
    finished.stop();
    EXPECT_GE(std::chrono::steady_clock::now() - started, milliseconds(100));
    EXPECT_EQ(finished.state.load(), Finished);
}

// Encoders that misbehave: the job ends as it really went and nothing is left behind.
TEST(WorkerMisbehaviour, FailuresAreNeverReportedAsSuccess)
{
    struct Case {
        const char* name;
        const char* settings;
        int exitStatus;
        const char* lastLine;
    };
    const Case cases[] = {
        {"fails before writing", "exit=1\n", 1, "Error opening output files: Invalid argument"},
        {"fails half way (disk full)", "exit=1\npartial=1\n", 1, "Conversion failed!"},
        {"crashes", "crash=1\n", 128 + SIGSEGV, nullptr},
        {"exit status 255", "exit=255\npartial=1\n", 255, "Conversion failed!"},
    };
    for (const Case& c : cases) {
        EngineFixture f;
        f.core.addJob(f.source("clip.mp4", c.settings));
        f.core.addJob(f.source("next.mp4"));
        f.runToEnd();
        const ConvertJob job = f.job(0);
        EXPECT_EQ(job.outcome, JobOutcome::Failed) << c.name;
        EXPECT_EQ(job.percent, 0) << c.name;
        EXPECT_EQ(job.exitStatus, c.exitStatus) << c.name;
        if (c.lastLine != nullptr) {
            EXPECT_EQ(job.lastLine, c.lastLine) << c.name;
        }
        EXPECT_FALSE(fs::exists(f.output("clip.avi"))) << c.name << ": partial file left";
        EXPECT_EQ(f.job(1).outcome, JobOutcome::Converted) << c.name << ": the batch goes on";
        EXPECT_EQ(f.core.state.load(), Finished);
        f.expectNothingLeft();
    }
}

TEST(WorkerMisbehaviour, AFailureBeforeTheEncoderTouchesAnAgreedReplacementKeepsTheOldFile)
{
    EngineFixture f;
    writeFile(f.output("clip.avi"), "precious");
    std::atomic<int> asked{0};
    f.core.overwrite = {answerYes, &asked};
    f.core.addJob(f.source("clip.mp4", "exit=1\n"));
    f.runToEnd();
    EXPECT_EQ(f.job(0).outcome, JobOutcome::Failed);
    EXPECT_EQ(readFile(f.output("clip.avi")), "precious");
}

// A stop always ends the run: whether the encoder is silent, ignores "q", or even
// ignores the termination that follows.
TEST(WorkerMisbehaviour, AStopEndsTheRunWhateverTheEncoderDoes)
{
    struct Case {
        const char* name;
        const char* settings;
        bool terminateAtOnce;
    };
    const Case cases[] = {
        {"silent", "duration=600\nspeed=1\nsilent=1\n", false},
        {"ignores q", "duration=600\nspeed=1\nignore_q=1\n", false},
        {"ignores q and SIGTERM", "duration=600\nspeed=1\nignore_q=1\nignore_term=1\n", false},
        {"terminated at once", "duration=600\nspeed=1\nignore_q=1\n", true},
    };
    for (const Case& c : cases) {
        EngineFixture f;
        f.core.addJob(f.source("clip.mp4", c.settings));
        f.core.addJob(f.source("never.mp4"));
        ASSERT_TRUE(f.core.start());
        ASSERT_TRUE(waitFor([&] {
            return f.encoderRuns().size() == 2 && !processesMentioning(f.sources).empty();
        })) << c.name;
        if (c.terminateAtOnce)
            f.core.terminateNow();
        else
            f.core.stop();
        ASSERT_TRUE(waitFor([&] { return !f.core.workerActive(); }, seconds(30))) << c.name;
        f.core.waitForWorker();
        EXPECT_EQ(f.core.state.load(), Stopped) << c.name;
        EXPECT_EQ(f.job(0).outcome, JobOutcome::Stopped) << c.name;
        EXPECT_EQ(f.job(0).percent, 0) << c.name;
        EXPECT_EQ(f.job(1).destination, "") << c.name;
        f.expectNothingLeft();
    }
}

TEST(WorkerMisbehaviour, AFloodOfOutputNeitherStallsTheEncoderNorGrowsMemory)
{
    EngineFixture f;
    f.core.addJob(f.source("chatty.mp4", "duration=4\nspeed=4\nflood=200000000\n"));
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    f.runToEnd();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(f.job(0).outcome, JobOutcome::Converted);
    // 200 MB went through the pipe; the engine keeps only a small tail of it.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes";
    f.expectNothingLeft();
}

TEST(WorkerProgress, PercentRisesWhileTheEncoderRuns)
{
    EngineFixture f;
    f.core.addJob(f.source("clip.mp4", "duration=100\nspeed=40\n"));
    ASSERT_TRUE(f.core.start());
    std::vector<int32_t> seen;
    while (f.core.workerActive()) {
        ConvertJob job;
        if (f.core.currentJob(job) && (seen.empty() || seen.back() != job.percent))
            seen.push_back(job.percent);
        std::this_thread::sleep_for(milliseconds(20));
    }
    f.core.waitForWorker();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](int32_t p) { return p > 0 && p < 100; }));
    EXPECT_EQ(f.job(0).percent, 100);
    EXPECT_EQ(f.job(0).duration, 100);
}

TEST(DurationProbe, TakesTheDurationLineNotTheFileNameOrATag)
{
    struct Case {
        const char* text;
        int seconds;
    };
    const Case cases[] = {
        {"  Duration: 00:01:23.45, start: 0.0\n", 83},
        {"  Duration: 00:01:23.50, start: 0.0\n", 84},
        {"  Duration: N/A, bitrate: N/A\n", 0},
        {"  Duration: 00:01:23.45\n", 0},
        {"Input #0, mov, from '/v/Duration: 09:00:00.00, x.mp4':\n  Duration: 00:00:12.00, start\n", 12},
        {"  Metadata:\n    comment  : Duration: 01:00:00.00, no\n  Duration: 00:00:05.00, s\n", 5},
        {"  Duration: 00:00:07.00, a\n  Duration: 00:00:08.00, b\n", 7},
        {"Duration: 00:00:03.00, at the very start\n", 3},
        {"no description at all", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(durationFromProbeText(c.text), c.seconds) << c.text;
}

TEST(DurationProbe, ASourceNamedLikeTheMarkerStillGetsItsDuration)
{
    EngineFixture f;
    const std::string src = f.source("Duration: 09:00:00.00, trick.mp4", "duration=7\n");
    EXPECT_EQ(f.core.probeDuration(src), 7);
    EXPECT_EQ(f.core.probeDuration(f.source("no-duration.mp4", "probe_fail=1\n")), 0);
    EXPECT_EQ(f.core.probeDuration(f.sources + "/missing.mp4"), 0);
    f.expectNothingLeft();
}
