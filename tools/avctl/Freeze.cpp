#include "Freeze.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "Console.h"

namespace avctl {
namespace {

constexpr const char* kKeepMark = "# keep";
constexpr size_t kContext = 3;

bool EndsWithKeep(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.pop_back();
    }
    const size_t n = std::strlen(kKeepMark);
    return line.size() >= n && line.compare(line.size() - n, n, kKeepMark) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// A hunk's range as diff -u writes it: "START,COUNT", or "START" for one line.
std::string Range(size_t start, size_t count) {
    return count == 1 ? std::to_string(start) : std::to_string(start) + "," + std::to_string(count);
}

}  // namespace

bool Freeze(std::istream& in, const std::string& file, const Options& runOptions, bool logs, std::string& frozen,
            std::ostream& err) {
    Options options;
    options.quiet = true;
    options.logLevel = runOptions.logLevel;
    std::ostringstream messages;
    Interpreter interpreter(messages, options);
    std::string text;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        bool expectation = false;
        try {
            const std::vector<Token> tokens = Tokenize(lineNo == 1 ? WithoutByteOrderMark(line) : line);
            expectation = !tokens.empty() && !tokens[0].quoted && tokens[0].text == "expect";
        } catch (const ParseError& e) {
            err << file << ":" << lineNo << ": error: " << Printable(e.what()) << "\n";
            return false;
        }
        const bool keep = expectation && EndsWithKeep(line);
        if (expectation && !keep) {
            continue;  // replaced by the frozen expectations
        }
        const size_t operations = interpreter.OperationCount();
        // A kept expectation that no longer holds is reported, not fatal:
        // the frozen file is for a person to review.
        if (interpreter.Execute(line, file, lineNo) == Interpreter::Status::Error) {
            err << messages.str();
            return false;
        }
        err << messages.str();
        messages.str("");
        text += line + "\n";
        if (interpreter.OperationCount() != operations) {
            for (const std::string& e : interpreter.FrozenExpectations(logs)) {
                text += e + "\n";
            }
        }
    }
    frozen = text;
    return true;
}

int FreezeFile(const std::string& file, const std::string& outPath, const Options& options, bool logs,
               std::ostream& out, std::ostream& err) {
    std::ifstream storage;
    std::istream* in = OpenScript(file, storage, err);
    if (in == nullptr) {
        return UnreadableScriptStatus(file);
    }
    std::string frozen;
    const bool ok = Freeze(*in, file, options, logs, frozen, err);
    if (!ok) {
        return kExitFailed;
    }
    if (outPath.empty()) {
        out << frozen;
        return kExitOk;
    }
    const std::string temporary = outPath + ".tmp" + std::to_string(getpid());
    std::ofstream tmp(temporary, std::ios::binary | std::ios::trunc);
    tmp << frozen;
    tmp.close();
    if (!tmp || std::rename(temporary.c_str(), outPath.c_str()) != 0) {
        err << outPath << ": error: cannot write the frozen file: " << std::strerror(errno) << "\n";
        std::remove(temporary.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

std::string UnifiedDiff(const std::string& oldName, const std::string& oldText, const std::string& newName,
                        const std::string& newText) {
    const std::vector<std::string> a = Lines(oldText);
    const std::vector<std::string> b = Lines(newText);
    // lcs[i][j]: longest common subsequence of a[i..] and b[j..].
    std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;) {
        for (size_t j = b.size(); j-- > 0;) {
            lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        }
    }
    struct Edit {
        char op;        // ' ' kept, '-' removed, '+' added
        size_t ai, bi;  // positions in a and b when the edit is made
    };
    std::vector<Edit> edits;
    std::vector<size_t> changes;
    for (size_t i = 0, j = 0; i < a.size() || j < b.size();) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            edits.push_back({' ', i++, j++});
            continue;
        }
        changes.push_back(edits.size());
        if (i < a.size() && (j == b.size() || lcs[i + 1][j] >= lcs[i][j + 1])) {
            edits.push_back({'-', i++, j});
        } else {
            edits.push_back({'+', i, j++});
        }
    }
    if (changes.empty()) {
        return "";
    }
    // Hunks: every change with its context, overlapping ones merged.
    std::vector<std::pair<size_t, size_t>> hunks;
    for (size_t c : changes) {
        const size_t lo = c >= kContext ? c - kContext : 0;
        const size_t hi = std::min(edits.size() - 1, c + kContext);
        if (!hunks.empty() && lo <= hunks.back().second + 1) {
            hunks.back().second = hi;
        } else {
            hunks.emplace_back(lo, hi);
        }
    }
    std::string out = "--- " + oldName + "\n+++ " + newName + "\n";
    for (const auto& h : hunks) {
        size_t oldCount = 0;
        size_t newCount = 0;
        std::string body;
        for (size_t k = h.first; k <= h.second; ++k) {
            const Edit& e = edits[k];
            oldCount += e.op != '+';
            newCount += e.op != '-';
            body += std::string(1, e.op) + (e.op == '+' ? b[e.bi] : a[e.ai]) + "\n";
        }
        // An empty side starts at the line before it, as diff -u writes it.
        const size_t oldStart = edits[h.first].ai + (oldCount > 0 ? 1 : 0);
        const size_t newStart = edits[h.first].bi + (newCount > 0 ? 1 : 0);
        out += "@@ -" + Range(oldStart, oldCount) + " +" + Range(newStart, newCount) + " @@\n" + body;
    }
    return out;
}

}  // namespace avctl
