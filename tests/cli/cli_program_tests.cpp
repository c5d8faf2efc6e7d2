// The real mp4avi-cli, run with the test encoder (and once with the real FFmpeg) in a
// temporary folder whose XDG folders are checked for leftovers after every test.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli_process.h"
#include "convert_core.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

int countOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(outFolder);
        ::setenv("TEST_ENCODER_LOG", encoderLog.c_str(), 1);
    }

    void TearDown() override
    {
        ::unsetenv("TEST_ENCODER_LOG");
        // Nothing the program started may outlive it.
        const std::vector<pid_t> left = processesMentioning(temp.path());
        EXPECT_TRUE(left.empty()) << left.size() << " process(es) still running";
        for (pid_t pid : left)
            ::kill(pid, SIGKILL);
        // No script or probe log may stay behind in the application-data folder.
        for (const std::string& name : listFolder(temp.path() + "/data"))
            EXPECT_EQ(name, "Media Converter") << "left in the data folder: " << name;
        EXPECT_TRUE(listFolder(temp.scriptFolder()).empty()) << "left in the script folder";
    }

    // A source for the test encoder: `key=value` lines saying how it behaves.
    std::string source(const std::string& name, const std::string& text = "")
    {
        const std::string path = temp.file(name);
        fs::create_directories(fs::path(path).parent_path());
        writeFile(path, text);
        return path;
    }
    std::string destination(const std::string& stem) const { return outFolder + "/" + stem + ".avi"; }

    // The test encoder, the output folder, then `extra`.
    std::vector<std::string> args(std::initializer_list<std::string> extra) const
    {
        std::vector<std::string> all{"--encoder", TEST_ENCODER, "-o", outFolder};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }

    // Conversions the encoder was asked for, as "convert SOURCE DESTINATION" lines.
    std::vector<std::string> conversions() const
    {
        std::vector<std::string> found;
        for (const std::string& line : linesOf(readFile(encoderLog))) {
            if (line.rfind("convert ", 0) == 0)
                found.push_back(line);
        }
        return found;
    }
    bool encoderRan() const { return fs::exists(encoderLog); }

    TempFolder temp;
    const std::string outFolder = temp.file("out");
    const std::string encoderLog = temp.file("encoder.log");
};

// --- outcomes and exit status ---

TEST_F(CliProgram, BatchReportsEveryOutcomeOnItsOwnLine)
{
    const std::string ok = source("ok.mp4");
    const std::string kept = source("kept.mp4");
    const std::string failing = source("failing.mp4", "exit=3\n");
    const std::string crashing = source("crashing.mp4", "crash=1\n");
    writeFile(destination("kept"), "the user's own file");

    const CliResult result = runCli(temp.path(), args({"--overwrite", "no", ok, kept, failing, crashing}));

    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.out, "Converted: " + ok + " -> " + destination("ok"))) << result.out;
    EXPECT_TRUE(contains(result.out, "Kept: " + kept + " (" + destination("kept"))) << result.out;
    EXPECT_TRUE(contains(result.err, "Failed: " + failing + " (exit status 3)")) << result.err;
    EXPECT_TRUE(contains(result.err, "Failed: " + crashing + " (exit status " + std::to_string(128 + SIGSEGV) + ")"))
        << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "1 converted, 1 kept, 2 failed, 0 stopped");

    EXPECT_TRUE(contains(readFile(destination("ok")), "converted from " + ok));
    EXPECT_EQ(readFile(destination("kept")), "the user's own file");
    EXPECT_FALSE(fs::exists(destination("failing")));
    EXPECT_FALSE(fs::exists(destination("crashing")));
}

TEST_F(CliProgram, FailedLineCarriesTheEncodersLastOutputLine)
{
    const std::string failing = source("failing.mp4", "exit=5\n");
    const CliResult result = runCli(temp.path(), args({failing}));
    ASSERT_EQ(result.status, 1);
    const std::string prefix = "Failed: " + failing + " (exit status 5): ";
    const size_t at = result.err.find(prefix);
    ASSERT_NE(at, std::string::npos) << result.err;
    // Something of the encoder's own output follows, on the same line.
    EXPECT_NE(result.err[at + prefix.size()], '\n');
}

TEST_F(CliProgram, ExitStatusFollowsTheWorstOutcome)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> sources;  // name, text
        bool existingDestination;                                  // for the first source
        int status;
    };
    const Case cases[] = {
        {"all converted", {{"a.mp4", ""}, {"b.mp4", ""}}, false, 0},
        {"converted and kept", {{"a.mp4", ""}, {"b.mp4", ""}}, true, 0},
        {"one failed", {{"a.mp4", ""}, {"b.mp4", "exit=1\n"}}, false, 1},
        {"one refused", {{"a.mp4", ""}, {"b.txt", ""}}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(outFolder);
        fs::create_directories(outFolder);
        std::vector<std::string> all = args({"--overwrite", "no"});
        for (const auto& [name, text] : c.sources)
            all.push_back(source(name, text));
        if (c.existingDestination)
            writeFile(destination("a"), "kept");
        EXPECT_EQ(runCli(temp.path(), all).status, c.status);
    }
}

// --- sources and the window's checks ---

TEST_F(CliProgram, RefusedSourcesAreReportedAndSkipped)
{
    const std::string ok = source("ok.mp4");
    const std::string upper = source("UPPER.MP4");
    const std::string text = source("notes.txt");
    const std::string folder = temp.file("folder.mp4");
    fs::create_directories(folder);
    const std::string missing = temp.file("missing.mp4");

    const CliResult result = runCli(temp.path(), args({ok, text, missing, folder, ok, upper}));

    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, text)) << result.err;
    EXPECT_TRUE(contains(result.err, missing)) << result.err;
    EXPECT_TRUE(contains(result.err, folder)) << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "2 converted, 0 kept, 0 failed, 0 stopped");
    // The repeated path is converted once.
    const std::vector<std::string> runs = conversions();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], "convert " + ok + " " + destination("ok"));
    EXPECT_EQ(runs[1], "convert " + upper + " " + destination("UPPER"));
}

TEST_F(CliProgram, ChecksComeInTheWindowsOrderWithItsMessages)
{
    const std::string ok = source("ok.mp4");
    const std::string text = source("notes.txt");
    const std::string aFile = source("plain-file");
    const std::string noFolder = temp.file("no-such-folder");
    const std::string noEncoder = temp.file("no-such-encoder");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--encoder", TEST_ENCODER}, "Please add source files."},
        {{"--encoder", TEST_ENCODER, text}, "Please add source files."},
        {{"--encoder", noEncoder, "-o", noFolder}, "Please add source files."},
        {{"--encoder", TEST_ENCODER, "-o", "", ok}, "Please select output folder."},
        {{"--encoder", TEST_ENCODER, "-o", noFolder, ok}, "The output folder doesn't exist."},
        {{"--encoder", TEST_ENCODER, "-o", aFile, ok}, "The output folder doesn't exist."},
        {{"--encoder", noEncoder, "-o", noFolder, ok}, "The output folder doesn't exist."},
        {{"--encoder", noEncoder, "-o", outFolder, ok}, "There isn't a core file."},
        {{"--encoder", outFolder, "-o", outFolder, ok}, "There isn't a core file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const CliResult result = runCli(temp.path(), c.args);
        EXPECT_EQ(result.status, 2);
        ASSERT_FALSE(linesOf(result.err).empty());
        EXPECT_EQ(linesOf(result.err).back(), c.message);
        // Only the first failing check speaks.
        for (const Case& other : cases) {
            if (std::string(other.message) != c.message) {
                EXPECT_FALSE(contains(result.err, other.message)) << result.err;
            }
        }
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
    EXPECT_FALSE(encoderRan());
    EXPECT_TRUE(listFolder(outFolder).empty());
}

TEST_F(CliProgram, UsageErrorsEndWithStatusTwoAndRunNothing)
{
    const std::string ok = source("ok.mp4");
    const std::vector<std::vector<std::string>> cases = {
        {"--preset", "4", ok},        {"--preset", "-1", ok},   {"--jobs", "0", ok},
        {"--overwrite", "maybe", ok}, {"--no-such-option", ok}, {"--jobs", "two", ok},
    };
    for (const std::vector<std::string>& extra : cases) {
        SCOPED_TRACE(extra.front());
        std::vector<std::string> all = args({});
        all.insert(all.end(), extra.begin(), extra.end());
        const CliResult result = runCli(temp.path(), all);
        EXPECT_EQ(result.status, 2);
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_FALSE(encoderRan());
}

TEST_F(CliProgram, ListsPresetsAndVersion)
{
    const CliResult presets = runCli(temp.path(), {"--list-presets"});
    EXPECT_EQ(presets.status, 0);
    const std::vector<std::string> lines = linesOf(presets.out);
    ASSERT_EQ(lines.size(), 4u) << presets.out;
    EXPECT_EQ(lines[0], "0\tXviD FullScreen\t-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25");
    EXPECT_EQ(lines[3],
              "3\tMS Compatible AVI\t-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 23.97 -vf scale=320:240");

    const CliResult version = runCli(temp.path(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(contains(version.out, "1.0.0.1")) << version.out;
}

TEST_F(CliProgram, PresetArgumentsReachTheEncoder)
{
    // The test encoder's log holds no arguments, but a preset with a filter the test
    // encoder ignores still converts; the destination keeps the ".avi" name.
    const std::string ok = source("clip.mp4");
    const CliResult result = runCli(temp.path(), args({"-p", "3", ok}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(destination("clip")));
}

TEST_F(CliProgram, DefaultOutputFolderIsTheCurrentFolder)
{
    const std::string ok = source("clip.mp4");
    const CliResult result = runCli(temp.path(), {"--encoder", TEST_ENCODER, "clip.mp4"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(contains(readFile(temp.file("clip.avi")), "converted from clip.mp4"));
}

// --- existing destinations ---

TEST_F(CliProgram, OverwriteModesDecideAboutAnExistingDestination)
{
    struct Case {
        const char* name;
        std::vector<std::string> options;
        CliInput input;
        const char* answers;  // written to a piped input, which then ends
        bool replaced;
        bool asked;
    };
    const Case cases[] = {
        {"yes", {"--overwrite", "yes"}, CliInput::Null, "", true, false},
        {"no", {"--overwrite", "no"}, CliInput::Null, "", false, false},
        {"default without a terminal", {}, CliInput::Null, "", false, false},
        {"ask, answered y", {"--overwrite", "ask"}, CliInput::Pipe, "y\n", true, true},
        {"ask, answered yes", {"--overwrite", "ask"}, CliInput::Pipe, "  Yes\n", true, true},
        {"ask, answered n", {"--overwrite", "ask"}, CliInput::Pipe, "n\n", false, true},
        {"ask, empty answer", {"--overwrite", "ask"}, CliInput::Pipe, "\n", false, true},
        {"ask, input ended", {"--overwrite", "ask"}, CliInput::Pipe, "", false, true},
    };
    const std::string clip = source("clip.mp4");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(destination("clip"), "the user's own file");
        std::vector<std::string> all = args({});
        all.insert(all.end(), c.options.begin(), c.options.end());
        all.push_back(clip);
        CliProcess process(temp.path(), all, c.input);
        process.write(c.answers);
        process.closeInput();
        ASSERT_EQ(process.wait(), 0) << process.err();
        const std::string question = "'" + destination("clip") + "' already exists.\nDo you want to replace it?";
        EXPECT_EQ(contains(process.err(), question), c.asked) << process.err();
        if (c.replaced) {
            EXPECT_TRUE(contains(readFile(destination("clip")), "converted from " + clip));
            EXPECT_TRUE(contains(process.out(), "Converted: " + clip));
        } else {
            EXPECT_EQ(readFile(destination("clip")), "the user's own file");
            EXPECT_TRUE(contains(process.out(), "Kept: " + clip));
        }
    }
}

TEST_F(CliProgram, EachQuestionTakesItsOwnAnswerLine)
{
    const std::string first = source("first.mp4");
    const std::string second = source("second.mp4");
    writeFile(destination("first"), "old first");
    writeFile(destination("second"), "old second");
    CliProcess process(temp.path(), args({"--overwrite", "ask", first, second}), CliInput::Pipe);
    process.write("n\ny\n");
    process.closeInput();
    ASSERT_EQ(process.wait(), 0) << process.err();
    EXPECT_EQ(readFile(destination("first")), "old first");
    EXPECT_TRUE(contains(readFile(destination("second")), "converted from " + second));
}

// Two sources with one file name in different folders share a destination: the
// later one must find the earlier one's file and be asked about it, also when the
// two could run side by side.
TEST_F(CliProgram, CollidingDestinationsAreNeverSilentlyReplaced)
{
    // The first takes a while, so two engines running them at once would overlap.
    const std::string a = source("a/clip.mp4", "duration=2\nspeed=4\n");
    const std::string b = source("b/clip.mp4");
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("--jobs ") + jobs);
        fs::remove(destination("clip"));
        const CliResult kept = runCli(temp.path(), args({"-j", jobs, "--overwrite", "no", a, b}));
        EXPECT_EQ(kept.status, 0) << kept.err;
        EXPECT_TRUE(contains(kept.out, "Converted: " + a)) << kept.out;
        EXPECT_TRUE(contains(kept.out, "Kept: " + b)) << kept.out;
        EXPECT_TRUE(contains(readFile(destination("clip")), "converted from " + a));

        fs::remove(destination("clip"));
        const CliResult replaced = runCli(temp.path(), args({"-j", jobs, "--overwrite", "yes", a, b}));
        EXPECT_EQ(replaced.status, 0) << replaced.err;
        EXPECT_EQ(linesOf(replaced.out).back(), "2 converted, 0 kept, 0 failed, 0 stopped");
        EXPECT_TRUE(contains(readFile(destination("clip")), "converted from " + b));

        fs::remove(destination("clip"));
        CliProcess asked(temp.path(), args({"-j", jobs, "--overwrite", "ask", a, b}), CliInput::Pipe);
        asked.write("n\n");
        asked.closeInput();
        EXPECT_EQ(asked.wait(), 0) << asked.err();
        EXPECT_EQ(countOf(asked.err(), "already exists"), 1) << asked.err();
        EXPECT_TRUE(contains(readFile(destination("clip")), "converted from " + a));
    }
}

// --- output ---

TEST_F(CliProgram, WithoutATerminalEachFileGetsOneLine)
{
    std::vector<std::string> all = args({});
    for (const char* name : {"one.mp4", "two.mp4", "three.mp4"})
        all.push_back(source(name, "duration=3\nspeed=30\n"));
    const CliResult result = runCli(temp.path(), all);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(lines[static_cast<size_t>(index)].rfind("Converted: ", 0), 0u) << lines[static_cast<size_t>(index)];
    EXPECT_EQ(result.out.find_first_of("\r\x1b"), std::string::npos);
}

TEST_F(CliProgram, QuietShowsOnlyErrorsAndTheSummary)
{
    const std::string ok = source("ok.mp4");
    const std::string failing = source("failing.mp4", "exit=2\n");
    const CliResult result = runCli(temp.path(), args({"-q", ok, failing}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "1 converted, 0 kept, 1 failed, 0 stopped\n");
    EXPECT_TRUE(contains(result.err, "Failed: " + failing)) << result.err;
}

TEST_F(CliProgram, OnATerminalProgressIsDrawnInPlaceAndTheQuestionIsAsked)
{
    const std::string clip = source("clip.mp4", "duration=4\nspeed=8\n");
    writeFile(destination("clip"), "the user's own file");
    // No --overwrite: on a terminal the default is to ask.
    CliProcess process(temp.path(), args({clip}), CliInput::Terminal);
    ASSERT_TRUE(waitFor([&] { return contains(process.out(), "Do you want to replace it?"); })) << process.out();
    process.write("y\n");
    ASSERT_EQ(process.wait(), 0) << process.out();
    const std::string shown = process.out();
    EXPECT_TRUE(contains(shown, "1 / 1")) << shown;
    EXPECT_TRUE(contains(shown, "Batch ")) << shown;
    EXPECT_TRUE(contains(shown, "\x1b[2K")) << shown;
    EXPECT_TRUE(contains(shown, "Converted: " + clip)) << shown;
    EXPECT_TRUE(contains(shown, "1 converted, 0 kept, 0 failed, 0 stopped")) << shown;
    EXPECT_TRUE(contains(readFile(destination("clip")), "converted from " + clip));
}

TEST_F(CliProgram, OnATerminalEachRunningFileHasItsOwnLine)
{
    const std::string first = source("first.mp4", "duration=4\nspeed=8\n");
    const std::string second = source("second.mp4", "duration=4\nspeed=8\n");
    CliProcess process(temp.path(), args({"-j", "2", first, second}), CliInput::Terminal);
    ASSERT_EQ(process.wait(), 0) << process.out();
    // Both files start before the first drawing, so it has a line for each.
    const std::string shown = process.out();
    const std::string firstBlock = shown.substr(0, shown.find("Batch "));
    EXPECT_TRUE(contains(firstBlock, "  1 / 2 ")) << shown;
    EXPECT_TRUE(contains(firstBlock, "  2 / 2 ")) << shown;
    EXPECT_TRUE(contains(firstBlock, first)) << shown;
    EXPECT_TRUE(contains(firstBlock, second)) << shown;
    EXPECT_TRUE(contains(shown, "2 converted, 0 kept, 0 failed, 0 stopped")) << shown;
}

// --- stopping ---

TEST_F(CliProgram, StopSignalsEndTheBatchWithNothingLeftRunning)
{
    struct Case {
        const char* name;
        std::vector<int> signals;
        const char* longSource;
    };
    const Case cases[] = {
        {"SIGINT", {SIGINT}, "duration=600\nspeed=1\n"},
        {"SIGTERM", {SIGTERM}, "duration=600\nspeed=1\n"},
        {"SIGHUP", {SIGHUP}, "duration=600\nspeed=1\n"},
        {"SIGINT twice, encoder deaf to q", {SIGINT, SIGINT}, "duration=600\nspeed=1\nignore_q=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(outFolder);
        fs::create_directories(outFolder);
        fs::remove(encoderLog);
        const std::string longer = source("long.mp4", c.longSource);
        const std::string next = source("next.mp4");
        const std::string last = source("last.mp4");
        CliProcess process(temp.path(), args({longer, next, last}));
        ASSERT_TRUE(waitFor([&] { return conversions().size() == 1; })) << process.err();

        process.signal(c.signals[0]);
        for (size_t more = 1; more < c.signals.size(); ++more) {
            ASSERT_TRUE(waitFor([&] { return contains(process.err(), "Stopping"); })) << process.err();
            process.signal(c.signals[more]);
        }

        ASSERT_EQ(process.wait(), 130) << process.err();
        const std::string out = process.out();
        EXPECT_TRUE(contains(out, "Stopped: " + longer)) << out;
        EXPECT_TRUE(contains(out, "Stopped: " + next + " (not started)")) << out;
        EXPECT_TRUE(contains(out, "Stopped: " + last + " (not started)")) << out;
        EXPECT_EQ(linesOf(out).back(), "0 converted, 0 kept, 0 failed, 3 stopped");
        EXPECT_EQ(conversions().size(), 1u);
        EXPECT_TRUE(processesMentioning(temp.path()).empty());
    }
}

TEST_F(CliProgram, StopWhileTheQuestionIsOpenEndsAtOnce)
{
    const std::string clip = source("clip.mp4");
    writeFile(destination("clip"), "the user's own file");
    // The input stays open and unanswered.
    CliProcess process(temp.path(), args({"--overwrite", "ask", clip}), CliInput::Pipe);
    ASSERT_TRUE(waitFor([&] { return contains(process.err(), "already exists"); })) << process.err();
    process.signal(SIGINT);
    ASSERT_EQ(process.wait(), 130) << process.err();
    EXPECT_EQ(readFile(destination("clip")), "the user's own file");
    EXPECT_TRUE(conversions().empty());
}

// --- several engines ---

TEST_F(CliProgram, TwoJobsConvertABatch)
{
    std::vector<std::string> all = args({"--jobs", "2"});
    std::vector<std::string> sources;
    const char* speeds[] = {"40", "10", "20", "40", "15", "30"};
    for (int index = 0; index < 6; ++index) {
        sources.push_back(
            source("clip" + std::to_string(index) + ".mp4", std::string("speed=") + speeds[index] + "\n"));
        all.push_back(sources.back());
    }
    const CliResult result = runCli(temp.path(), all);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "6 converted, 0 kept, 0 failed, 0 stopped");
    EXPECT_EQ(conversions().size(), 6u);
    for (int index = 0; index < 6; ++index) {
        const std::string made = readFile(destination("clip" + std::to_string(index)));
        EXPECT_TRUE(contains(made, "converted from " + sources[static_cast<size_t>(index)])) << index;
        EXPECT_TRUE(contains(result.out, "Converted: " + sources[static_cast<size_t>(index)]));
    }
}

TEST_F(CliProgram, ALongFileDoesNotHoldTheOtherEngineBack)
{
    const std::string longer = source("long.mp4", "duration=600\nspeed=1\n");
    std::vector<std::string> all = args({"--jobs", "2", longer});
    for (int index = 0; index < 4; ++index)
        all.push_back(source("short" + std::to_string(index) + ".mp4"));
    CliProcess process(temp.path(), all);
    // The other engine goes through all four short files while the long one runs.
    ASSERT_TRUE(waitFor([&] { return countOf(process.out(), "Converted: ") == 4; }, std::chrono::seconds(60)))
        << process.out() << process.err();
    EXPECT_TRUE(process.running());
    process.signal(SIGINT);
    ASSERT_EQ(process.wait(), 130) << process.err();
    EXPECT_EQ(linesOf(process.out()).back(), "4 converted, 0 kept, 0 failed, 1 stopped");
}

// --- the real encoder ---

bool haveTool(const char* name)
{
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string commandOutput(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, count);
        ::pclose(pipe);
    }
    return text;
}

TEST_F(CliProgram, RealEncoderConvertsNamesWithSpacesAndAccents)
{
    const std::string core = fs::path(MP4AVI_CLI).parent_path().string() + "/core/quentrel";
    if (!haveTool("ffmpeg") || !haveTool("ffprobe") || !fs::exists(core))
        GTEST_SKIP() << "needs ffmpeg, ffprobe and core/quentrel beside the program";

    std::vector<std::string> sources;
    for (const char* name : {"my clip.mp4", "café ünï's.mp4"}) {
        const std::string path = temp.file(name);
        const std::string make =
            "ffmpeg -v error -nostdin -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10"
            " -f lavfi -i sine=duration=1 -c:v mpeg4 -c:a aac -shortest " +
            shellQuote(path);
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        sources.push_back(path);
    }
    const std::string folder = temp.file("sortie vidéo");
    fs::create_directories(folder);

    // No --encoder: the default, core/quentrel beside the program, is the real FFmpeg.
    const CliResult result = runCli(temp.path(), {"-j", "2", "-o", folder, sources[0], sources[1]});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "2 converted, 0 kept, 0 failed, 0 stopped");

    for (const char* stem : {"my clip", "café ünï's"}) {
        SCOPED_TRACE(stem);
        const std::string avi = folder + "/" + stem + ".avi";
        ASSERT_TRUE(fs::exists(avi));
        const std::string probe =
            "ffprobe -v error -show_entries stream=codec_name:format=format_name,duration"
            " -of default=noprint_wrappers=1 " +
            shellQuote(avi);
        const std::string described = commandOutput(probe);
        EXPECT_TRUE(contains(described, "codec_name=wmv2")) << described;
        EXPECT_TRUE(contains(described, "codec_name=wmav2")) << described;
        EXPECT_TRUE(contains(described, "format_name=avi")) << described;
        const size_t at = described.find("duration=");
        ASSERT_NE(at, std::string::npos) << described;
        const double seconds = std::atof(described.c_str() + at + 9);
        EXPECT_GT(seconds, 0.5);
        EXPECT_LT(seconds, 1.5);
    }
}

}  // namespace
