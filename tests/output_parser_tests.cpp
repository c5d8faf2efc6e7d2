#include <gtest/gtest.h>

#include "convert_core.h"

TEST(ParseClock, ReadsHoursMinutesSecondsRoundedHalfUp)
{
    struct Case {
        const char* text;
        int seconds;
    };
    const Case cases[] = {
        {"00:01:23.45", 83}, {"00:01:23.50", 84}, {"0:1:2", 62},      {"0:0:0.49", 0},   {"0:0:0.5", 1},
        {"12:34", 0},        {"N/A", 0},          {"a:b:c", 0},       {"0:1:2:", 62},    {"", 0},
        {"::", 0},           {"1::", 0},          {":::", 0},         {"01:00:00.00", 3600},
        {" 00:00:10", 10},   {"-00:00:00.04", 0}, {"+0:0:3", 3},      {"0:0:1e1", 10},   {"0:0:2.5x", 3},
        {"0:0:3,5", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseClock(c.text), c.seconds) << '"' << c.text << '"';
}

namespace {

// An engine with one or more jobs and the first in hand.
struct ParserEngine {
    explicit ParserEngine(std::initializer_list<int32_t> durations)
    {
        int i = 0;
        for (int32_t duration : durations) {
            core.addJob("/clip" + std::to_string(i++) + ".mp4");
            core.jobs.back()->duration = duration;
        }
        core.currentIndex = 0;
    }
    int32_t percent(int32_t index = 0)
    {
        ConvertJob job;
        core.jobAt(index, job);
        return job.percent;
    }
    ConvertCore core;
};

}  // namespace

TEST(ParseProgress, TurnsPositionsIntoPercentOfTheDuration)
{
    struct Case {
        const char* text;
        int32_t percent;
    };
    const Case cases[] = {
        {"frame=  10 fps=0.0 q=2.0 size=1kB time=00:00:41.50 bitrate=1.0kbits/s speed=2x\r", 50},
        {"size=1kB time=00:02:00.00 bitrate=x\r", 100},                 // beyond the duration
        {"time=00:00:00.00 bitrate=x\r", 7},                            // position 0 changes nothing
        {"time=-00:00:00.04 bitrate=x\r", 7},
        {"time=00:00:41.50\r", 7},                                      // no blank after the clock
        {"time=00:00:08.30 a\ntime=00:00:41.50 b\r", 9},                // the first position counts
        {"no position here\n", 7},
    };
    for (const Case& c : cases) {
        ParserEngine engine({83});
        engine.core.setPercent(0, 7);
        engine.core.parseProgress(c.text);
        EXPECT_EQ(engine.percent(), c.percent) << c.text;
    }
}

TEST(ParseProgress, WaitsForALineEndAcrossChunks)
{
    ParserEngine engine({100});
    engine.core.parseProgress("frame=1 time=00:00:");
    EXPECT_EQ(engine.percent(), 0);
    engine.core.parseProgress("25.00 bitrate");
    EXPECT_EQ(engine.percent(), 0);
    engine.core.parseProgress("=1\r");
    EXPECT_EQ(engine.percent(), 25);
    // The accumulator was emptied: a later line stands on its own.
    engine.core.parseProgress("time=00:00:60.00 x\n");
    EXPECT_EQ(engine.percent(), 60);
}

TEST(ParseProgress, DropsChunksWhileTheDurationIsZeroAndCarriesTextToTheNextJob)
{
    ParserEngine engine({0, 200});
    engine.core.parseProgress("time=00:00:10.00 x");          // duration 0: dropped, not kept
    engine.core.parseProgress("\r");
    EXPECT_EQ(engine.percent(0), 0);

    engine.core.currentIndex = 1;
    engine.core.parseProgress("time=00:00:50.00 left");      // waits for a line end
    engine.core.currentIndex = 0;
    engine.core.parseProgress("time=00:00:01.00 dropped\r");  // duration 0 again: dropped
    engine.core.currentIndex = 1;
    engine.core.parseProgress(" over\r");
    EXPECT_EQ(engine.percent(1), 25);
}

TEST(ParseProgress, ReadsOnlyUpToTheFirstNulByte)
{
    ParserEngine engine({100});
    const std::string chunk("time=00:00:30.00 x\r\0time=00:00:90.00 y\r", 40);
    engine.core.parseProgress(chunk);
    EXPECT_EQ(engine.percent(), 30);
}
