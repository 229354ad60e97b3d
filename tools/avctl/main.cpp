// avctl: the scenario console of the TV AV module.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "Console.h"

int main(int argc, char** argv) {
    CLI::App app{"avctl: run, script and inspect the TV AV module against the host platform"};
    avctl::Options options;
    app.add_flag("--trace", options.trace, "also print every journal entry of each operation");
    app.add_flag("--json", options.json, "print operations and journal entries as JSON Lines");
    app.add_option("--log-level", options.logLevel, "print library log lines at or below this level");

    // The global options may also follow the subcommand (avctl run --log-level 2 ...).
    app.fallthrough();

    std::string outDir;
    CLI::App* demo = app.add_subcommand("demo", "the built-in narrated tour");
    demo->add_option("--out", outDir, "also write the transcript, a picture per sink change and index.html into this directory");

    std::vector<std::string> runFiles;
    CLI::App* run = app.add_subcommand("run", "run self-checking scenario files, each in a fresh process");
    run->add_option("files", runFiles, "scenario files")->required();

    std::string file;
    app.add_option("file", file, "script to execute, or - for standard input");

    CLI11_PARSE(app, argc, argv);

    if (*demo) {
        return avctl::Demo(options, outDir, std::cout);
    }
    if (*run) {
        return avctl::RunFiles(runFiles, options, std::cout);
    }
    if (!file.empty()) {
        return avctl::ExecuteFile(file, options, std::cout);
    }
    if (isatty(STDIN_FILENO)) {
        return avctl::Interactive(options);
    }
    return avctl::ExecuteFile("-", options, std::cout);
}
