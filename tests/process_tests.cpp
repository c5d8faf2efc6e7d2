#include <csignal>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "test_support.h"

// Writing "q" to an encoder that has already gone must not kill the program: SIGPIPE
// is left at its default here, as in a program that never thought about it.
TEST(ScriptProcess, AStopWrittenAfterTheEncoderEndedDoesNotKillTheProgram)
{
    TempFolder temp;
    ASSERT_EQ(::signal(SIGPIPE, SIG_DFL), SIG_DFL);
    const std::string script = temp.file("quick.sh");
    writeFile(script, "exit 3\n");
    platform::ScriptProcess process;
    ASSERT_TRUE(process.start(script, platform::ScriptProcess::Mode::Piped));
    while (process.wait(1000) != platform::ScriptProcess::Event::Exited) {
    }
    EXPECT_FALSE(process.sendStop());
    EXPECT_FALSE(process.sendStop());
    EXPECT_EQ(process.finish(), 3);
}

TEST(ScriptProcess, AFailedStartIsReported)
{
    platform::ScriptProcess process;
    EXPECT_FALSE(process.start("", platform::ScriptProcess::Mode::Piped));
}

TEST(ScriptProcess, TheWholeGroupGoesWithTheRun)
{
    TempFolder temp;
    const std::string script = temp.file("spawner.sh");
    // The shell leaves a background child behind and ends.
    const std::string pidFile = temp.file("child.pid");
    writeFile(script, "sleep 300 &\necho $! > '" + pidFile + "'\n");
    {
        platform::ScriptProcess process;
        ASSERT_TRUE(process.start(script, platform::ScriptProcess::Mode::Piped));
        while (process.wait(1000) != platform::ScriptProcess::Event::Exited) {
        }
        EXPECT_EQ(process.finish(), 0);
    }
    // The background child had the script's group; it must be gone.
    const std::string child = readFile(pidFile);
    ASSERT_FALSE(child.empty());
    const std::string commandLine = "/proc/" + child.substr(0, child.find('\n')) + "/cmdline";
    EXPECT_TRUE(waitFor([&] { return readFile(commandLine).rfind("sleep", 0) != 0; }));
}
