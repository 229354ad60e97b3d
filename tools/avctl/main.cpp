// avctl: the scenario console of the TV AV module.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "Console.h"
#include "Freeze.h"
#include "OutputCapture.h"

int main(int argc, char** argv) {
    CLI::App app{"avctl: run, script and inspect the TV AV module against the host platform"};
    app.set_version_flag("--version", std::string("avctl (tvav) ") + TVAV_VERSION,
                         "print the library's version and exit");
    app.footer(
        "Forms:\n"
        "  avctl [--trace|--json] [--log-level N] FILE|-  execute a script, one line per operation\n"
        "  avctl run [--diff [--logs]] FILE|DIR|-...      check scenario files; a folder runs each *.avs\n"
        "  avctl freeze [--logs] [-o OUT] FILE|-          write the expectations that hold now\n"
        "  avctl demo [--out DIR]                         the narrated tour\n"
        "  avctl                                          on a terminal: the prompt ('help', 'quit')\n"
        "\n"
        "Exit status:\n"
        "  0  success: every operation ran and every expectation held\n"
        "  1  a scenario failed: an expectation did not hold, a line could not be\n"
        "     parsed or executed, a file could not be read, or a file checked nothing\n"
        "  2  usage error: unknown option, missing argument, a folder where a file is needed");
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
    run->add_option("files", runFiles, "scenario files, folders (each *.avs in name order) or - for standard input")
        ->required();
    bool diff = false;
    bool logs = false;
    run->add_flag("--diff", diff, "after a failing file's reasons, a unified diff against its frozen form");
    run->add_flag("--logs", logs, "with --diff, freeze with the log expectations too");

    std::string freezeFile;
    std::string freezeOut;
    CLI::App* freeze = app.add_subcommand("freeze", "write a script back with the expectations that hold now");
    freeze->add_option("file", freezeFile, "script to freeze, or - for standard input")->required();
    freeze->add_option("-o", freezeOut, "write here (through a temporary file) instead of standard output");
    freeze->add_flag("--logs", logs, "also expect every library log line at level 1 or below");

    std::string file;
    app.add_option("file", file, "script to execute, or - for standard input");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help, --version
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return avctl::kExitUsage;
    }

    if (*run) {
        // Each file runs in a child process, which takes its own output.
        return avctl::RunFiles(runFiles, options, std::cout, diff, logs);
    }
    // The library's own prints become journal entries of the operation that
    // printed them; the console's output keeps the original descriptors.
    avctl::OutputCapture capture;
    if (*demo) {
        return avctl::Demo(options, outDir, std::cout);
    }
    if (*freeze) {
        return avctl::FreezeFile(freezeFile, freezeOut, options, logs, std::cout, std::cerr);
    }
    if (!file.empty()) {
        return avctl::ExecuteFile(file, options, std::cout);
    }
    if (isatty(STDIN_FILENO)) {
        return avctl::Interactive(options);
    }
    return avctl::ExecuteFile("-", options, std::cout);
}
