#include <thread>

#include <gtest/gtest.h>

#include "convert_core.h"

TEST(JobList, DuplicatesAreRefusedAndLetterCaseMatters)
{
    ConvertCore core;
    EXPECT_TRUE(core.addJob("/v/A.mp4"));
    EXPECT_FALSE(core.addJob("/v/A.mp4"));
    EXPECT_TRUE(core.addJob("/v/a.mp4"));
    EXPECT_TRUE(core.addJob("/v/A.mp4 "));
    ASSERT_EQ(core.jobCount(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        ConvertJob job;
        ASSERT_TRUE(core.jobAt(i, job));
        EXPECT_EQ(job.index, i);
        EXPECT_EQ(job.percent, 0);
        EXPECT_EQ(job.duration, 0);
        EXPECT_TRUE(job.destination.empty());
    }
}

TEST(JobList, ClearJobsRestartsIndexesAndKeepsSettings)
{
    ConvertCore core;
    core.encoderPath = "/enc";
    core.outputFolder = "/out";
    core.presetArgs = "-x";
    core.outputExt = "avi";
    core.addJob("/v/one.mp4");
    core.addJob("/v/two.mp4");
    core.clearJobs();
    EXPECT_EQ(core.jobCount(), 0);
    EXPECT_FALSE(core.hasJob("/v/one.mp4"));
    EXPECT_EQ(core.currentIndex, -1);
    EXPECT_EQ(core.encoderPath, "/enc");
    EXPECT_EQ(core.outputFolder, "/out");
    EXPECT_EQ(core.presetArgs, "-x");
    EXPECT_EQ(core.outputExt, "avi");
    EXPECT_EQ(core.state.load(), Idle);

    EXPECT_TRUE(core.addJob("/v/two.mp4"));
    ConvertJob job;
    ASSERT_TRUE(core.jobAt(0, job));
    EXPECT_EQ(job.index, 0);
}

TEST(JobList, SetPercentClampsAndIgnoresIndexesOutsideTheList)
{
    struct Case {
        int32_t index;
        int32_t value;
        int32_t expected;  // percent of job 0 afterwards
    };
    const Case cases[] = {{0, -5, 0}, {0, 250, 100}, {0, 42, 42}, {-1, 77, 0}, {2, 77, 0}};
    for (const Case& c : cases) {
        ConvertCore core;
        core.addJob("/a.mp4");
        core.addJob("/b.mp4");
        core.setPercent(c.index, c.value);
        ConvertJob job;
        ASSERT_TRUE(core.jobAt(0, job));
        EXPECT_EQ(job.percent, c.expected) << c.index << " " << c.value;
    }
}

TEST(JobList, FinishedCountCountsOnlyExactlyOneHundred)
{
    ConvertCore core;
    for (const char* path : {"/a.mp4", "/b.mp4", "/c.mp4", "/d.mp4"})
        core.addJob(path);
    core.setPercent(0, 100);
    core.setPercent(1, 99);
    core.setPercent(2, 1000);
    EXPECT_EQ(core.finishedCount(), 2);
}

TEST(JobList, CurrentJobNeedsAJobInHand)
{
    ConvertCore core;
    ConvertJob job;
    job.source = "untouched";
    EXPECT_FALSE(core.currentJob(job));
    core.addJob("/a.mp4");
    EXPECT_FALSE(core.currentJob(job));
    EXPECT_EQ(job.source, "untouched");
    core.currentIndex = 0;
    ASSERT_TRUE(core.currentJob(job));
    EXPECT_EQ(job.source, "/a.mp4");
    core.clearJobs();
    EXPECT_FALSE(core.currentJob(job));
}

// Two threads use the job list at once, as the worker and the progress display do.
// Run under ThreadSanitizer (MCONV_TSAN) this also checks the locking.
TEST(JobList, PercentUpdatesAndSnapshotsFromTwoThreads)
{
    ConvertCore core;
    for (int i = 0; i < 8; ++i)
        core.addJob("/clip" + std::to_string(i) + ".mp4");
    core.currentIndex = 3;
    std::thread writer([&core] {
        for (int round = 0; round < 20000; ++round)
            core.setPercent(round % 8, round % 101);
    });
    int snapshots = 0;
    for (int round = 0; round < 20000; ++round) {
        ConvertJob job;
        if (core.currentJob(job)) {
            ++snapshots;
            EXPECT_GE(job.percent, 0);
            EXPECT_LE(job.percent, 100);
            EXPECT_EQ(job.source, "/clip3.mp4");
        }
        EXPECT_LE(core.finishedCount(), 8);
    }
    writer.join();
    EXPECT_EQ(snapshots, 20000);
}
