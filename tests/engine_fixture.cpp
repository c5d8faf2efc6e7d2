#include "engine_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

std::vector<std::string> processesMentioning(const std::string& text)
{
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string commandLine = readFile(entry.path().string() + "/cmdline");
        // A zombie keeps no command line; one waiting to be reaped is not running.
        if (commandLine.find(text) != std::string::npos)
            found.push_back(name + ": " + commandLine);
    }
    return found;
}

EngineFixture::EngineFixture(const std::string& encoder)
{
    sources = temp.path() + "/in";
    fs::create_directories(sources);
    fs::create_directories(temp.path() + "/out");
    runLog = temp.file("encoder-runs.log");
    ::setenv("TEST_ENCODER_LOG", runLog.c_str(), 1);
    core.encoderPath = encoder;
    core.outputFolder = temp.path() + "/out";
    core.outputExt = "avi";
    core.presetArgs = "-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25";
}

EngineFixture::~EngineFixture()
{
    if (core.workerActive())
        core.stop();
    core.waitForWorker();
    ::unsetenv("TEST_ENCODER_LOG");
}

std::string EngineFixture::source(const std::string& name, const std::string& settings)
{
    const std::string path = sources + "/" + name;
    writeFile(path, settings);
    return path;
}

std::vector<std::string> EngineFixture::encoderRuns() const
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(runLog));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void EngineFixture::runToEnd()
{
    ASSERT_TRUE(core.start());
    ASSERT_TRUE(waitFor([this] { return !core.workerActive(); }, std::chrono::seconds(60)));
    core.waitForWorker();
}

ConvertJob EngineFixture::job(int32_t index)
{
    ConvertJob copy;
    EXPECT_TRUE(core.jobAt(index, copy)) << index;
    return copy;
}

void EngineFixture::expectNothingLeft() const
{
    EXPECT_EQ(listFolder(temp.scriptFolder()), std::vector<std::string>{}) << "scripts left behind";
    for (const std::string& name : listFolder(temp.path() + "/data"))
        EXPECT_EQ(name.rfind("quentrel", 0), std::string::npos) << "probe log left behind: " << name;
    EXPECT_TRUE(waitFor([this] { return processesMentioning(sources).empty(); }, std::chrono::seconds(5)))
        << "encoder processes left running";
}
