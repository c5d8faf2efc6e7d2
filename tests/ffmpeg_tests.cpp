// The engine with the real encoder: clips made at test time with FFmpeg's own test
// sources, converted, and the AVI checked with ffprobe.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "media_preset.h"

namespace fs = std::filesystem;

namespace {

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string quoted(const std::string& path)
{
    return shellQuote(path);
}

std::string capture(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}

// An H.264/AAC MP4 of `seconds` from FFmpeg's test pattern and a sine tone.
void makeClip(const std::string& path, int seconds, const std::string& size = "320x240")
{
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=" + size +
                                ":rate=25:duration=" + std::to_string(seconds) +
                                " -f lavfi -i sine=frequency=440:duration=" + std::to_string(seconds) +
                                " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest " + quoted(path);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

struct Probe {
    std::string video;
    std::string audio;
    double duration = 0;
};

Probe probe(const std::string& path)
{
    Probe result;
    std::istringstream lines(capture("ffprobe -v error -show_entries stream=codec_type,codec_name:format=duration "
                                     "-of default=nw=1 " +
                                     quoted(path)));
    std::string codec;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("codec_name=", 0) == 0)
            codec = line.substr(11);
        else if (line == "codec_type=video")
            result.video = codec;
        else if (line == "codec_type=audio")
            result.audio = codec;
        else if (line.rfind("duration=", 0) == 0)
            result.duration = std::atof(line.c_str() + 9);
    }
    return result;
}

class RealEncoder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ffmpeg = findProgram("ffmpeg");
        if (ffmpeg.empty() || findProgram("ffprobe").empty())
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    }
    std::string ffmpeg;
};

}  // namespace

TEST_F(RealEncoder, EachPresetMakesAValidAvi)
{
    EngineFixture f(ffmpeg);
    const std::string clip = f.sources + "/my clip é ü ファイル.mp4";
    makeClip(clip, 2);
    const Mp4Avi catalogue;
    for (int preset = 0; preset < catalogue.presetCount(); ++preset) {
        f.core.clearJobs();
        f.core.presetArgs = catalogue.presetArguments(preset);
        f.core.outputFolder = f.temp.path() + "/out/preset " + std::to_string(preset);
        fs::create_directories(f.core.outputFolder);
        f.core.addJob(clip);
        f.runToEnd();
        const ConvertJob job = f.job(0);
        EXPECT_EQ(job.outcome, JobOutcome::Converted) << preset << ": " << job.lastLine;
        EXPECT_EQ(job.percent, 100);
        EXPECT_EQ(job.duration, 2);
        EXPECT_EQ(job.destination, f.core.outputFolder + "/my clip é ü ファイル.avi");
        const Probe avi = probe(job.destination);
        EXPECT_EQ(avi.video, "wmv2") << preset;
        EXPECT_EQ(avi.audio, "wmav2") << preset;
        // Changing 25 frames a second into 23.97 makes FFmpeg repeat up to three frames
        // at the end (about 0.13 s); more than that would be a wrong length.
        EXPECT_NEAR(avi.duration, 2.0, 0.15) << preset;
    }
    f.expectNothingLeft();
}

TEST_F(RealEncoder, ProgressRisesAndAStopEndsTheRunWithTheJobNotDone)
{
    EngineFixture f(ffmpeg);
    const std::string clip = f.sources + "/long.mp4";
    makeClip(clip, 120, "640x480");
    f.core.addJob(clip);
    f.core.addJob(f.sources + "/never started.mp4");
    ASSERT_TRUE(f.core.start());
    std::vector<int32_t> seen;
    ASSERT_TRUE(waitFor([&] {
        ConvertJob job;
        if (f.core.currentJob(job) && job.percent > 0 && (seen.empty() || seen.back() != job.percent))
            seen.push_back(job.percent);
        return seen.size() >= 2;
    }, std::chrono::seconds(60)));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LT(seen.back(), 100);
    f.core.stop();
    ASSERT_TRUE(waitFor([&] { return !f.core.workerActive(); }));
    f.core.waitForWorker();
    EXPECT_EQ(f.core.state.load(), Stopped);
    EXPECT_EQ(f.job(0).outcome, JobOutcome::Stopped);
    EXPECT_EQ(f.job(0).percent, 0);
    EXPECT_EQ(f.job(0).duration, 120);
    EXPECT_EQ(f.job(1).destination, "");
    f.expectNothingLeft();
}
