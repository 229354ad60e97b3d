// Fuzzing harness of the console language. The input is a script: it runs
// line by line through the interpreter the way `avctl run` runs a file
// (quiet, stopping at the first line it rejects), on a stand-in reset for
// every input. Besides the sanitizers' own checks, a rejected line must be
// reported in the "FILE:LINE: error: REASON" form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "Interpreter.h"

namespace {

constexpr const char* kFile = "fuzz.avs";

[[noreturn]] void Fail(const std::string& script, const std::string& why) {
    std::fprintf(stderr, "console fuzz: %s\n--- script ---\n%s\n--- end of script ---\n", why.c_str(),
                 script.c_str());
    std::abort();
}

// True when `text` has a line "kFile:lineNo: error: " followed by a reason.
bool HasErrorLine(const std::string& text, int lineNo) {
    const std::string prefix = std::string(kFile) + ":" + std::to_string(lineNo) + ": error: ";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0 && line.size() > prefix.size()) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    std::ostringstream out;
    avctl::Options options;
    options.quiet = true;
    options.writeFiles = false;  // a fuzzed draw line must not write anywhere
    avctl::Interpreter interpreter(out, options);
    std::istringstream in(script);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        out.str("");
        if (interpreter.Execute(line, kFile, lineNo) == avctl::Interpreter::Status::Error) {
            if (!HasErrorLine(out.str(), lineNo)) {
                Fail(script, "line " + std::to_string(lineNo) + " was rejected without a \"" + kFile + ":" +
                                 std::to_string(lineNo) + ": error: REASON\" line; it printed:\n" + out.str());
            }
            break;
        }
    }
    return 0;
}
