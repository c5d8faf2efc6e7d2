#pragma once

// Shared pieces of the engine suites that run real processes: a temporary folder with
// sources for the test encoder, an engine set up to convert into it, and checks that
// a run left nothing behind.

#include <string>
#include <vector>

#include "convert_core.h"
#include "test_support.h"

// Full paths of the processes whose command line mentions `text`.
std::vector<std::string> processesMentioning(const std::string& text);

class EngineFixture {
public:
    explicit EngineFixture(const std::string& encoder = TEST_ENCODER_PATH);
    ~EngineFixture();

    // Writes a source of key=value lines for the test encoder into the sources folder.
    std::string source(const std::string& name, const std::string& settings = "");
    std::string output(const std::string& name) const { return temp.path() + "/out/" + name; }
    // Lines the test encoder logged, one per run.
    std::vector<std::string> encoderRuns() const;

    // Starts a run and waits for the worker to end.
    void runToEnd();
    ConvertJob job(int32_t index);

    // No script, no probe log, no encoder process left.
    void expectNothingLeft() const;

    TempFolder temp;
    ConvertCore core;
    std::string sources;
    std::string runLog;
};
