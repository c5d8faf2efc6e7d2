// Engine benchmarks, each a ratio against the encoder run directly in the same run:
//   1. per-job overhead: ten 1-second clips through the engine (probe + conversion
//      per job) against the same probes and conversions started directly;
//   2. output draining: an encoder that prints a flood of text, through the engine
//      against the same encoder with its output thrown away;
//   3. stop latency: from stop() to the end of a well-behaved encoder's run.
// Usage: engine_bench FFMPEG TEST_ENCODER [WORK_FOLDER]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "convert_core.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kPreset = "-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25";

// Runs a program and waits for it, its output thrown away: into /dev/null, as a user
// would run the encoder by hand, or, with `intoPipe`, into a pipe that a plain loop
// reads, which is what any front end reading the encoder's output has to pay.
int runProgram(std::vector<std::string> args, bool intoPipe = false)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int ends[2] = {-1, -1};
    if (intoPipe && pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (intoPipe) {
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (intoPipe) {
        close(ends[1]);
        if (error == 0) {
            static char buffer[65536];
            while (read(ends[0], buffer, sizeof buffer) > 0) {
            }
        }
        close(ends[0]);
    }
    if (error != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> words;
    size_t from = 0;
    while (from < text.size()) {
        const size_t blank = text.find(' ', from);
        const size_t end = blank == std::string::npos ? text.size() : blank;
        if (end > from)
            words.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return words;
}

double seconds(Clock::duration span)
{
    return std::chrono::duration<double>(span).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double runEngine(ConvertCore& core)
{
    const auto started = Clock::now();
    core.start();
    core.waitForWorker();
    return seconds(Clock::now() - started);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: engine_bench FFMPEG TEST_ENCODER [WORK_FOLDER]\n");
        return 2;
    }
    const std::string ffmpeg = argv[1];
    const std::string testEncoder = argv[2];
    const std::string work = argc > 3 ? argv[3] : (fs::temp_directory_path() / "mconv-bench").string();
    fs::remove_all(work);
    fs::create_directories(work + "/in");
    fs::create_directories(work + "/out");
    setenv("XDG_DATA_HOME", (work + "/data").c_str(), 1);
    const int rounds = 3;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // 1. Per-job overhead.
    std::vector<std::string> clips;
    for (int i = 0; i < 10; ++i) {
        const std::string clip = work + "/in/clip" + std::to_string(i) + ".mp4";
        runProgram({ffmpeg, "-nostdin", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1", "-f",
                   "lavfi", "-i", "sine=frequency=440:duration=1", "-c:v", "libx264", "-preset", "ultrafast",
                   "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", clip});
        clips.push_back(clip);
    }
    std::vector<double> engineTimes;
    std::vector<double> directTimes;
    for (int round = 0; round < rounds; ++round) {
        auto started = Clock::now();
        for (const std::string& clip : clips) {
            runProgram({ffmpeg, "-i", clip});
            std::vector<std::string> args = {ffmpeg, "-y", "-i", clip};
            for (const std::string& word : split(kPreset))
                args.push_back(word);
            args.push_back(work + "/out/" + fs::path(clip).stem().string() + ".direct.avi");
            runProgram(args);
        }
        directTimes.push_back(seconds(Clock::now() - started));

        ConvertCore core;
        core.encoderPath = ffmpeg;
        core.outputFolder = work + "/out";
        core.outputExt = "avi";
        core.presetArgs = kPreset;
        for (const std::string& clip : clips) {
            core.addJob(clip);
            fs::remove(work + "/out/" + fs::path(clip).stem().string() + ".avi");
        }
        engineTimes.push_back(runEngine(core));
        for (int i = 0; i < core.jobCount(); ++i) {
            ConvertJob job;
            core.jobAt(i, job);
            if (job.percent != 100)
                std::fprintf(stderr, "job %d was not converted: %s\n", i, job.lastLine.c_str());
        }
    }
    const double engineBatch = median(engineTimes);
    const double directBatch = median(directTimes);
    std::printf("1. ten 1-second clips: engine %.3f s, direct %.3f s, ratio %.3f (target <= 1.10)\n", engineBatch,
                directBatch, engineBatch / directBatch);

    // 2. Output draining.
    const std::string chatty = work + "/in/chatty.mp4";
    std::ofstream(chatty) << "duration=1\nspeed=1000\nflood=300000000\n";
    std::vector<double> floodEngine;
    std::vector<double> floodDirect;
    std::vector<double> floodPipe;
    for (int round = 0; round < rounds; ++round) {
        auto started = Clock::now();
        runProgram({testEncoder, "-y", "-i", chatty, "-x", work + "/out/chatty.direct.avi"});
        floodDirect.push_back(seconds(Clock::now() - started));
        started = Clock::now();
        runProgram({testEncoder, "-y", "-i", chatty, "-x", work + "/out/chatty.pipe.avi"}, true);
        floodPipe.push_back(seconds(Clock::now() - started));

        // The conversion alone, as the direct run has no probe.
        ConvertCore core;
        core.encoderPath = testEncoder;
        core.addJob(chatty);
        core.currentIndex = 0;
        core.trackProgress = true;
        const std::string script = core.writeScript(chatty, std::string_view("-x"),
                                                    std::string_view(work + "/out/chatty.avi"));
        core.state = Running;
        started = Clock::now();
        core.runProcess(script);
        floodEngine.push_back(seconds(Clock::now() - started));
        fs::remove(script);
    }
    const double engineFlood = median(floodEngine);
    const double directFlood = median(floodDirect);
    const double pipeFlood = median(floodPipe);
    std::printf("2. 300 MB of output: engine %.3f s; direct to /dev/null %.3f s, ratio %.3f; "
                "direct into a pipe read by a plain loop %.3f s, ratio %.3f (target <= 1.05)\n",
                engineFlood, directFlood, engineFlood / directFlood, pipeFlood, engineFlood / pipeFlood);

    // 3. Stop latency with the real encoder on a long clip.
    const std::string longClip = work + "/in/long.mp4";
    runProgram({ffmpeg, "-nostdin", "-y", "-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=300", "-f",
               "lavfi", "-i", "sine=frequency=440:duration=300", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt",
               "yuv420p", "-c:a", "aac", "-shortest", longClip});
    std::vector<double> latencies;
    for (int round = 0; round < 5; ++round) {
        ConvertCore core;
        core.encoderPath = ffmpeg;
        core.outputFolder = work + "/out";
        core.outputExt = "avi";
        core.presetArgs = kPreset;
        core.addJob(longClip);
        fs::remove(work + "/out/long.avi");
        core.start();
        for (;;) {
            ConvertJob job;
            if (core.currentJob(job) && job.percent > 0)
                break;
            if (!core.workerActive()) {
                std::fprintf(stderr, "the long clip did not convert\n");
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Somewhere inside the runner's 300 ms period, as a user's click would be.
        std::this_thread::sleep_for(std::chrono::milliseconds(37 * round + 20));
        const auto started = Clock::now();
        std::thread stopper([&core] { core.stop(); });
        while (core.workerActive())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        latencies.push_back(seconds(Clock::now() - started));
        stopper.join();
        core.waitForWorker();
    }
    std::printf("3. stop latency with ffmpeg: median %.3f s, worst %.3f s (target < 0.5 s)\n", median(latencies),
                *std::max_element(latencies.begin(), latencies.end()));
    fs::remove_all(work);
    return 0;
}
