#include "cli_options.h"

#include <map>
#include <ostream>

#include <CLI/CLI.hpp>

std::string versionText()
{
    return std::string("mp4avi-cli ") + MCONV_VERSION + " (Orvane Free MP4 to AVI Converter)";
}

std::optional<int> parseCommandLine(int argc, const char* const* argv, int presetCount, CliOptions& options,
                                    std::ostream& out, std::ostream& err)
{
    CLI::App app{"Converts MP4 files into AVI files with the encoder tool.", "mp4avi-cli"};
    app.set_version_flag("--version", versionText());
    app.get_formatter()->column_width(26);

    app.add_option("FILE", options.files, "MP4 files to convert")->type_name("");
    app.add_option("-o,--output", options.outputFolder, "output folder (default: the current folder)")
        ->type_name("DIR");
    const int lastPreset = presetCount > 0 ? presetCount - 1 : 0;
    app.add_option("-p,--preset", options.preset, "preset index from --list-presets (default 0)")
        ->type_name("N")
        ->check(CLI::Range(0, lastPreset));
    app.add_flag("--list-presets", options.listPresets,
                 "print index, label and encoder arguments of each preset, one a line");
    const std::map<std::string, OverwriteMode> modes{
        {"ask", OverwriteMode::Ask}, {"yes", OverwriteMode::Yes}, {"no", OverwriteMode::No}};
    std::string mode;
    app.add_option("--overwrite", mode,
                   "ask | yes | no: what to do when a destination exists (default: ask on a terminal, no otherwise)")
        ->type_name("MODE")
        ->check(CLI::IsMember({"ask", "yes", "no"}));
    // Each job is an engine with its own thread and encoder; beyond a few dozen the
    // machine only thrashes.
    app.add_option("-j,--jobs", options.jobs, "convert up to N files at once (default 1)")
        ->type_name("N")
        ->check(CLI::Range(1, 64));
    app.add_option("--encoder", options.encoderPath, "the encoder tool (default: core/quentrel beside the program)")
        ->type_name("PATH");
    app.add_flag("-q,--quiet", options.quiet, "no progress display, only the summary and errors");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, out, err);
        // Help and version end successfully; every other parse error is a usage error.
        return status == 0 ? 0 : 2;
    }
    if (!mode.empty())
        options.overwrite = modes.at(mode);
    return std::nullopt;
}
