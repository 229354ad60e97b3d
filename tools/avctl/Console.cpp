#include "Console.h"

#include <editline/readline.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace avctl {

bool CheckFile(const std::string& file, std::ostream& out) {
    std::ifstream in(file);
    if (!in) {
        out << file << ":0: error: cannot open file: " << std::strerror(errno) << "\n";
        return false;
    }
    Options options;
    options.quiet = true;
    Interpreter interpreter(out, options);
    return interpreter.Run(in, file, true);
}

namespace {

// Runs CheckFile in a child process (the library's singletons then start
// fresh for every file) and collects what it wrote.
bool CheckInChild(const std::string& file, std::string& report) {
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
        const bool ok = CheckFile(file, text);
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

int RunFiles(const std::vector<std::string>& files, std::ostream& out) {
    int passed = 0;
    int failed = 0;
    for (const std::string& file : files) {
        std::string report;
        const bool ok = CheckInChild(file, report);
        out << (ok ? "PASS " : "FAIL ") << file << "\n" << report;
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

int Interactive(const Options& options) {
    Interpreter interpreter(std::cout, options);
    std::cout << "avctl: scenario console of the TV AV module. 'help' lists commands, 'quit' leaves.\n";
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
    return 0;
}

const char* DemoScript() {
    return R"(say "Size controller: one instance per pipeline handle. The main path (p 1, s 0) starts full size."
handle 1 0
GetSize
GetCropVideoInfo
GetCurrentScreenState
say "A picture-in-picture handle (p 101) starts as an application window of 1x1."
handle 101 0
GetSize
GetCurrentScreenState
say "PC-position adjustment is not supported on a TV: every such call answers 0."
handle 1 0
SetCoarse 10 true
say "Still mode remembers the previous resolution; a zero size is ignored."
SetPrevResolutionInfo 0x10002 0 480
SetPrevResolutionInfo 0x10002 720 480
say "Capability checks follow the product's region: region 1 uses the ATSC rules."
option 0 1
GetAVCheckRegion 1
say "The tuner reports SAP (3); the menu may offer SAP in the USA."
country 1
prop 20 3
CheckAnalogMTS 3
say "Exception states: a PC timing on HDMI 1 forbids normal picture sizes."
key source=13 res=0x5005B
CheckExceptionScreenState 2 false
say "Screen fit for HDMI 1 at 1080p with automatic fit."
key source=13 res=0x2000E
CheckScreenFitOption 0,0,0,0 2
say "Analog sound, USA: the user picks SAP; the tuner is set and the choice is stored."
key source=0 dtv=false
SetAnalogMTS 3 false
GetAnalogMTS
say "A DVB product (region 0): the same menu now drives dual I/II on the tuner."
option 0 0
prop 26 2
SetAnalogMTS 6 false
GetAnalogMTS
)";
}

int Demo(const Options& options, const std::string& outDir, std::ostream& out) {
    Options demoOptions = options;
    demoOptions.trace = true;
    std::ostringstream transcript;
    Interpreter interpreter(transcript, demoOptions);
    std::istringstream script(DemoScript());
    interpreter.Run(script, "demo", true);
    out << transcript.str();
    if (!outDir.empty()) {
        mkdir(outDir.c_str(), 0755);
        const std::string path = outDir + "/demo.txt";
        std::ofstream file(path);
        file << transcript.str();
        if (!file) {
            std::cerr << "avctl: cannot write " << path << "\n";
            return 1;
        }
        out << "\nTranscript written to " << path << "\n";
    }
    return interpreter.Errors() == 0 ? 0 : 1;
}

}  // namespace avctl
