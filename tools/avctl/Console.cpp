#include "Console.h"

#include <editline/readline.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <functional>
#include <sstream>

#include "Freeze.h"

namespace avctl {

bool CheckFile(const std::string& file, const Options& runOptions, std::ostream& out) {
    std::ifstream in(file);
    if (!in) {
        out << file << ":0: error: cannot open file: " << std::strerror(errno) << "\n";
        return false;
    }
    Options options;
    options.quiet = true;
    options.logLevel = runOptions.logLevel;
    Interpreter interpreter(out, options);
    return interpreter.Run(in, file, true);
}

namespace {

// Runs work in a child process (the library's singletons then start fresh
// for every file) and collects what it wrote.
bool InChild(const std::string& file, const std::function<bool(std::ostream&)>& work, std::string& report) {
    int fds[2];
    if (pipe(fds) != 0) {
        report = file + ":0: error: cannot create a pipe: " + std::strerror(errno) + "\n";
        return false;
    }
    std::cout.flush();
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        report = file + ":0: error: cannot fork: " + std::strerror(errno) + "\n";
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
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
        report += file + ":0: error: the scenario process died with signal " + std::to_string(WTERMSIG(status)) + "\n";
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int RunFiles(const std::vector<std::string>& files, const Options& options, std::ostream& out, bool diff,
             bool logs) {
    int passed = 0;
    int failed = 0;
    for (const std::string& file : files) {
        std::string report;
        const bool ok = InChild(file, [&](std::ostream& text) { return CheckFile(file, options, text); }, report);
        out << (ok ? "PASS " : "FAIL ") << file << "\n" << report;
        if (!ok && diff) {
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
    Interpreter interpreter(out, options);
    if (file == "-") {
        interpreter.Run(std::cin, "-", false);
    } else {
        std::ifstream in(file);
        if (!in) {
            out << file << ":0: error: cannot open file: " << std::strerror(errno) << "\n";
            return 1;
        }
        interpreter.Run(in, file, true);
    }
    return interpreter.Failures() == 0 && interpreter.Errors() == 0 ? 0 : 1;
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
                 "Tab completes them, 'quit' leaves.\n";
    rl_readline_name = "avctl";
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
