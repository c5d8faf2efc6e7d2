#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "convert_core.h"
#include "platform/platform.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

// A stand-in encoder that records its arguments, NUL-separated, and exits with the
// status in RECORD_STATUS.
std::string makeRecordingEncoder(const TempFolder& temp)
{
    const std::string path = temp.file("recorder");
    writeFile(path, "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$RECORD_FILE\"\nexit ${RECORD_STATUS:-0}\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

std::vector<std::string> splitNul(const std::string& text)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at = text.find('\0'); at != std::string::npos; at = text.find('\0', from)) {
        parts.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    return parts;
}

int runScript(const std::string& script)
{
    const std::string command = "/bin/sh '" + script + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(WriteScript, ConversionAndProbeFormsHaveTheFiveLineShape)
{
    TempFolder temp;
    ConvertCore core;
    core.encoderPath = "/opt/app/core/quentrel";

    const std::string convert = core.writeScript("/v/clip.mp4", std::string_view("-vcodec wmv2 -r 25"),
                                                 std::string_view("/out/clip.avi"));
    ASSERT_FALSE(convert.empty());
    EXPECT_EQ(fs::path(convert).parent_path().string(), temp.scriptFolder());
    EXPECT_EQ(fs::path(convert).filename().string().rfind("mconv", 0), 0u);
    EXPECT_EQ(fs::path(convert).extension().string(), ".sh");
    EXPECT_EQ(readFile(convert), "#!/bin/sh\n\n'/opt/app/core/quentrel' -y -i '/v/clip.mp4' -vcodec wmv2 -r 25 "
                                 "'/out/clip.avi'\n\nstatus=$?; rm -f -- '" +
                                     convert + "'; exit $status");

    const std::string probe = core.writeScript("/v/clip.mp4");
    ASSERT_FALSE(probe.empty());
    EXPECT_NE(probe, convert);
    EXPECT_EQ(readFile(probe), "#!/bin/sh\n\n'/opt/app/core/quentrel' -i '/v/clip.mp4'\n\nstatus=$?; rm -f -- '" +
                                   probe + "'; exit $status");

    // Empty preset arguments leave two blanks between source and destination.
    const std::string bare = core.writeScript("/s.mp4", std::string_view(""), std::string_view("/d.avi"));
    EXPECT_NE(readFile(bare).find("'/s.mp4'  '/d.avi'"), std::string::npos);
}

TEST(WriteScript, HostileNamesReachTheEncoderUnchangedAndRunNothing)
{
    TempFolder temp;
    const std::string canary = temp.file("canary");
    const std::vector<std::string> names = {
        "plain.mp4",
        "it's \"quoted\".mp4",
        "$(touch " + canary + ").mp4",
        "`touch " + canary + "`.mp4",
        "a; touch " + canary + " &.mp4",
        "line\nbreak & $HOME \\ back.mp4",
        "Ünïcödé ファイル.mp4",
        "-leading-dash.mp4",
        "'; touch " + canary + "; echo '.mp4",
    };
    ConvertCore core;
    core.encoderPath = makeRecordingEncoder(temp);
    const std::string record = temp.file("args");
    ::setenv("RECORD_FILE", record.c_str(), 1);
    for (const std::string& name : names) {
        const std::string source = temp.path() + "/in dir/" + name;
        const std::string destination = temp.path() + "/out $dir/" + name + ".avi";
        const std::string script = core.writeScript(source, std::string_view("-vcodec wmv2  -r 25"), destination);
        ASSERT_FALSE(script.empty()) << name;
        EXPECT_EQ(runScript(script), 0) << name;
        const std::vector<std::string> args = splitNul(readFile(record));
        const std::vector<std::string> expected = {"-y", "-i", source, "-vcodec", "wmv2", "-r", "25", destination};
        EXPECT_EQ(args, expected) << name;
        EXPECT_FALSE(fs::exists(script)) << "the script deletes itself: " << name;

        const std::string probe = core.writeScript(source);
        EXPECT_EQ(runScript(probe), 0);
        EXPECT_EQ(splitNul(readFile(record)), (std::vector<std::string>{"-i", source})) << name;
    }
    EXPECT_FALSE(fs::exists(canary)) << "a file name ran a command";
    ::unsetenv("RECORD_FILE");
}

TEST(WriteScript, TheScriptEndsWithTheEncodersExitStatus)
{
    TempFolder temp;
    ConvertCore core;
    core.encoderPath = makeRecordingEncoder(temp);
    ::setenv("RECORD_FILE", temp.file("args").c_str(), 1);
    for (int status : {0, 1, 3, 255}) {
        ::setenv("RECORD_STATUS", std::to_string(status).c_str(), 1);
        const std::string script = core.writeScript("/a.mp4", std::string_view("-x"), std::string_view("/b.avi"));
        EXPECT_EQ(runScript(script), status);
        EXPECT_FALSE(fs::exists(script));
    }
    ::unsetenv("RECORD_STATUS");
    ::unsetenv("RECORD_FILE");
}

TEST(WriteScript, ScriptsMadeAtOnceNeverShareAFileAndTheFolderIsPrivate)
{
    TempFolder temp;
    // An existing folder that others could read is made private.
    fs::create_directories(temp.scriptFolder());
    fs::permissions(temp.scriptFolder(), fs::perms(0755));

    ConvertCore first;
    ConvertCore second;
    std::vector<std::string> pathsA;
    std::vector<std::string> pathsB;
    std::thread other([&] {
        for (int i = 0; i < 200; ++i)
            pathsB.push_back(second.writeScript("/b.mp4"));
    });
    for (int i = 0; i < 200; ++i)
        pathsA.push_back(first.writeScript("/a.mp4"));
    other.join();

    std::set<std::string> unique;
    for (const auto* paths : {&pathsA, &pathsB}) {
        for (const std::string& path : *paths) {
            ASSERT_FALSE(path.empty());
            unique.insert(path);
        }
    }
    EXPECT_EQ(unique.size(), 400u);
    for (const std::string& path : pathsA)
        EXPECT_NE(readFile(path).find("'/a.mp4'"), std::string::npos);
    for (const std::string& path : pathsB)
        EXPECT_NE(readFile(path).find("'/b.mp4'"), std::string::npos);

    struct stat info {};
    ASSERT_EQ(::stat(temp.scriptFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(WriteScript, APlantedSymbolicLinkIsNeverFollowed)
{
    TempFolder temp;
    fs::create_directories(temp.scriptFolder());
    const std::string victim = temp.file("victim");
    writeFile(victim, "precious");
    // Links at every name the next few seconds could give.
    const int32_t now = platform::tickCount();
    for (int32_t tick = now; tick < now + 3000; ++tick)
        fs::create_symlink(victim, temp.scriptFolder() + "/mconv" + std::to_string(tick) + ".sh");

    ConvertCore core;
    core.encoderPath = "/enc";
    const std::string script = core.writeScript("/a.mp4");
    ASSERT_FALSE(script.empty());
    EXPECT_FALSE(fs::is_symlink(script));
    EXPECT_NE(readFile(script).find("'/a.mp4'"), std::string::npos);
    EXPECT_EQ(readFile(victim), "precious");
}

TEST(WriteScript, AnUnusableDataFolderGivesNoScript)
{
    TempFolder temp;
    writeFile(temp.scriptFolder(), "a file where the folder should be");
    ConvertCore core;
    EXPECT_EQ(core.writeScript("/a.mp4"), "");
}
