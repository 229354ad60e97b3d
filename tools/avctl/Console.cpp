#include "Console.h"

#include <editline/readline.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <functional>
#include <sstream>

#include "Freeze.h"
#include "OutputCapture.h"

namespace avctl {

std::istream* OpenScript(const std::string& file, std::ifstream& storage, std::ostream& err) {
    if (file == "-") {
        return &std::cin;
    }
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        err << file << ": error: is a folder, not a scenario file\n";
        return nullptr;
    }
    storage.open(file);
    if (!storage) {
        err << file << ": error: " << std::strerror(errno) << "\n";
        return nullptr;
    }
    return &storage;
}

int UnreadableScriptStatus(const std::string& file) {
    return std::filesystem::is_directory(file) ? kExitUsage : kExitFailed;
}

bool CheckFile(const std::string& file, const Options& runOptions, std::ostream& out) {
    std::ifstream storage;
    std::istream* in = OpenScript(file, storage, out);
    if (in == nullptr) {
        return false;
    }
    Options options;
    options.quiet = true;
    options.logLevel = runOptions.logLevel;
    Interpreter interpreter(out, options);
    if (!interpreter.Run(*in, file, true)) {
        return false;
    }
    // A file that checks nothing proves nothing: it never counts as a pass.
    if (interpreter.ExpectationsChecked() == 0) {
        out << file << ": no expectation checked\n";
        return false;
    }
    return true;
}

std::vector<std::string> ScenarioFiles(const std::vector<std::string>& arguments, std::vector<std::string>& empty) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (argument == "-" || !std::filesystem::is_directory(argument, error)) {
            files.push_back(argument);
            continue;
        }
        std::vector<std::string> inFolder;
        for (const auto& entry : std::filesystem::directory_iterator(argument, error)) {
            if (entry.path().extension() == ".avs" && !entry.is_directory(error)) {
                inFolder.push_back(entry.path().string());
            }
        }
        std::sort(inFolder.begin(), inFolder.end());
        if (inFolder.empty()) {
            empty.push_back(argument);
        }
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

namespace {

// Runs work in a child process (the library's singletons then start fresh
// for every file) and collects what it wrote.
bool InChild(const std::string& file, const std::function<bool(std::ostream&)>& work, std::string& report) {
    int fds[2];
    if (pipe(fds) != 0) {
        report = file + ": error: cannot create a pipe: " + std::strerror(errno) + "\n";
        return false;
    }
    std::cout.flush();
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        report = file + ": error: cannot fork: " + std::strerror(errno) + "\n";
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        OutputCapture capture;  // the library's prints stay in this child's journal
        std::ostringstream text;
        const bool ok = work(text);
        const std::string s = text.str();
        size_t done = 0;
        while (done < s.size()) {
            const ssize_t n = write(fds[1], s.data() + done, s.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        close(fds[1]);
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        report.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
        report += file + ": error: the scenario process died with signal " + std::to_string(WTERMSIG(status)) + "\n";
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int RunFiles(const std::vector<std::string>& arguments, const Options& options, std::ostream& out, bool diff,
             bool logs) {
    int passed = 0;
    int failed = 0;
    std::vector<std::string> emptyFolders;
    const std::vector<std::string> files = ScenarioFiles(arguments, emptyFolders);
    for (const std::string& folder : emptyFolders) {
        out << "FAIL " << folder << "\n" << folder << ": error: no *.avs file in this folder\n";
        ++failed;
    }
    for (const std::string& file : files) {
        std::string report;
        const bool ok = InChild(file, [&](std::ostream& text) { return CheckFile(file, options, text); }, report);
        out << (ok ? "PASS " : "FAIL ") << file << "\n" << report;
        if (!ok && diff && file != "-") {
            std::string frozen;
            const bool frozenOk = InChild(file, [&](std::ostream& text) {
                std::ifstream in(file);
                std::ostringstream errors;
                std::string result;
                const bool done = in && Freeze(in, file, options, logs, result, errors);
                text << (done ? result : "");
                return done;
            }, frozen);
            std::ifstream in(file);
            std::ostringstream original;
            original << in.rdbuf();
            if (frozenOk) {
                out << UnifiedDiff(file, original.str(), file + " (frozen)", frozen);
            }
        }
        (ok ? passed : failed)++;
    }
    out << passed << " passed, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}

int ExecuteFile(const std::string& file, const Options& options, std::ostream& out) {
    std::ifstream storage;
    std::istream* in = OpenScript(file, storage, out);
    if (in == nullptr) {
        return UnreadableScriptStatus(file);
    }
    Interpreter interpreter(out, options);
    // Standard input goes on after an error (it may be typed); a file stops.
    interpreter.Run(*in, file, file != "-");
    return interpreter.Failures() == 0 && interpreter.Errors() == 0 ? kExitOk : kExitFailed;
}

namespace {

// Words the prompt completes: command words, expectation kinds after
// "expect", and operation names (bare and Class::NAME).
std::vector<std::string>& CompletionWords() {
    static std::vector<std::string> words;
    return words;
}

char* NextCompletion(const char* text, int state) {
    static size_t next = 0;
    if (state == 0) {
        next = 0;
    }
    const std::string prefix(text);
    const std::vector<std::string>& words = CompletionWords();
    while (next < words.size()) {
        const std::string& word = words[next++];
        if (word.compare(0, prefix.size(), prefix) == 0) {
            return strdup(word.c_str());
        }
    }
    return nullptr;
}

char** Complete(const char* text, int start, int /*end*/) {
    rl_attempted_completion_over = 1;  // never fall back to file names
    std::vector<std::string>& words = CompletionWords();
    words.clear();
    const std::string before(rl_line_buffer, static_cast<size_t>(start));
    if (before.find_first_not_of(" \t") == std::string::npos) {
        for (const auto& command : Interpreter::CommandHelp()) {
            if (command.first.rfind("expect ", 0) != 0) {
                words.push_back(command.first);
            }
        }
        words.push_back("quit");
        for (const Operation& op : Operations()) {
            words.push_back(op.name);
            words.push_back(op.QualifiedName());
        }
    } else if (before.find_first_not_of(" \t") == before.find("expect") &&
               before.find_first_not_of(" \t", before.find("expect") + 6) == std::string::npos) {
        for (const auto& command : Interpreter::CommandHelp()) {
            if (command.first.rfind("expect ", 0) == 0) {
                words.push_back(command.first.substr(7));
            }
        }
    } else {
        return nullptr;
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return rl_completion_matches(text, NextCompletion);
}

// History survives sessions in ~/.avctl_history.
std::string HistoryFile() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + "/.avctl_history" : std::string();
}

}  // namespace

int Interactive(const Options& options) {
    Interpreter interpreter(std::cout, options);
    std::cout << "avctl: scenario console of the TV AV module. 'help' lists commands and operations,\n"
                 "Tab completes them, 'quit' leaves."
              << std::endl;
    rl_readline_name = "avctl";
    if (OutputCapture* capture = OutputCapture::Current()) {
        rl_outstream = capture->ConsoleFile();
    }
    rl_attempted_completion_function = Complete;
    const std::string history = HistoryFile();
    if (!history.empty()) {
        read_history(history.c_str());
    }
    int lineNo = 0;
    while (true) {
        char* raw = readline("avctl> ");
        if (raw == nullptr) {
            std::cout << "\n";
            break;
        }
        std::string line(raw);
        free(raw);
        ++lineNo;
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        add_history(line.c_str());
        if (line == "quit" || line == "exit") {
            break;
        }
        interpreter.Execute(line, "stdin", lineNo);
        std::cout.flush();
    }
    if (!history.empty()) {
        write_history(history.c_str());
        history_truncate_file(history.c_str(), 1000);
    }
    return 0;
}

}  // namespace avctl
