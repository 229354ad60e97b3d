// The console's program modes: scripts, run (self-checking files), demo and
// the interactive prompt.
#pragma once

#include <fstream>
#include <iosfwd>
#include <string>
#include <vector>

#include "Interpreter.h"

namespace avctl {

// Exit status of every mode: success, a failed scenario (or one that could
// not be read), a command line that is wrong.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The script to read: standard input for "-", else the opened file in
// storage. When it cannot be read (a folder included): nullptr, after
// writing "FILE: error: REASON" to err.
std::istream* OpenScript(const std::string& file, std::ifstream& storage, std::ostream& err);

// Exit status for a script OpenScript could not read: a folder is a usage
// error, any other file a failure.
int UnreadableScriptStatus(const std::string& file);

// Runs each file (a folder: each *.avs in it, in name order; "-": standard
// input) in a fresh process; prints PASS/FAIL FILE, the failure
// lines, and "N passed, N failed". Returns the exit status (0: all passed).
// Library log lines (--log-level) still go to standard error. With diff, a
// failing file's reasons are followed by a unified diff between the file
// and its frozen form (frozen with log expectations when logs is set).
int RunFiles(const std::vector<std::string>& files, const Options& options, std::ostream& out, bool diff = false,
             bool logs = false);

// Checks one file (or "-") in this process; writes only failure and error
// lines. Returns true when it passed: no error, no failed expectation and at
// least one expectation checked.
bool CheckFile(const std::string& file, const Options& options, std::ostream& out);

// Executes a script file, or standard input for "-". Returns the exit status.
int ExecuteFile(const std::string& file, const Options& options, std::ostream& out);

// Interactive prompt with line editing and history.
int Interactive(const Options& options);

// The built-in tour; with a non-empty outDir also writes the transcript, a
// picture per sink change (picture-NN.svg) and index.html there.
int Demo(const Options& options, const std::string& outDir, std::ostream& out);

}  // namespace avctl
