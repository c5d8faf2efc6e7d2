#include "cli_main.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <unistd.h>

#include "batch_runner.h"
#include "cli_options.h"
#include "media_preset.h"
#include "overwrite_question.h"
#include "platform/platform.h"
#include "progress_display.h"
#include "source_list.h"

namespace {

constexpr int exitConverted = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int exitStopped = 130;

void printError(const std::string& text)
{
    std::fflush(stdout);
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// In-place redrawing needs a terminal that understands cursor movement.
bool progressTerminal()
{
    if (::isatty(STDOUT_FILENO) != 1)
        return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

}  // namespace

std::string encoderToolPath()
{
    const std::string program = platform::executablePath();
    const size_t slash = program.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : program.substr(0, slash);
    return folder + "/core/quentrel";
}

int runCli(int argc, char** argv)
{
    // Writing to a closed pipe (the tool piped into `head`) must not end the batch
    // half way; the write fails instead and the conversions go on.
    std::signal(SIGPIPE, SIG_IGN);

    const Mp4Avi catalogue;
    CliOptions options;
    if (const std::optional<int> status =
            parseCommandLine(argc, argv, catalogue.presetCount(), options, std::cout, std::cerr)) {
        std::cout.flush();
        return *status;
    }

    if (options.listPresets) {
        for (int index = 0; index < catalogue.presetCount(); ++index) {
            std::printf("%d\t%s\t%s\n", index, catalogue.presetLabel(index).c_str(),
                        catalogue.presetArguments(index).c_str());
        }
        std::fflush(stdout);
        return exitConverted;
    }

    const CheckedSources sources = checkSources(options.files);
    for (const RefusedSource& refused : sources.refused)
        printError(refusalText(refused));
    for (const std::string& path : sources.repeated)
        printError("Listed more than once, converted once: " + path);

    // The Convert command's checks, in its order and with its messages.
    if (sources.accepted.empty()) {
        printError("Please add source files.");
        return exitUsage;
    }
    if (options.outputFolder.empty()) {
        printError("Please select output folder.");
        return exitUsage;
    }
    if (!platform::isDirectory(options.outputFolder)) {
        printError("The output folder doesn't exist.");
        return exitUsage;
    }
    const std::string encoder = options.encoderPath.empty() ? encoderToolPath() : options.encoderPath;
    if (!platform::fileExists(encoder) || platform::isDirectory(encoder)) {
        printError("There isn't a core file.");
        return exitUsage;
    }

    // Asking needs someone to answer: by default only when input and the question's
    // output are a terminal.
    const OverwriteMode mode = options.overwrite.value_or(
        ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1 ? OverwriteMode::Ask : OverwriteMode::No);

    const int total = static_cast<int>(sources.accepted.size());
    ProgressDisplay display(total, progressTerminal(), options.quiet);
    OverwriteQuestion question(mode, display);

    BatchSettings settings;
    settings.encoderPath = encoder;
    settings.outputFolder = options.outputFolder;
    settings.presetArgs = catalogue.presetArguments(options.preset);
    settings.outputExt = catalogue.outputExtension(options.preset);
    settings.jobs = options.jobs;

    BatchRunner runner(settings, display, question);
    const BatchCounts counts = runner.run(sources.accepted);

    std::printf("%s\n", summaryLine(counts).c_str());
    std::fflush(stdout);

    if (counts.interrupted)
        return exitStopped;
    if (counts.failed > 0 || !sources.refused.empty())
        return exitFailed;
    return exitConverted;
}
