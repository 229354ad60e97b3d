// Executes scenario lines against the library and the host stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "Operations.h"
#include "host/HostControl.h"
#include "Script.h"

namespace avctl {

struct Options {
    bool trace = false;     // print every journal entry of each operation
    bool json = false;      // JSON Lines instead of text
    int logLevel = -1;      // print library log lines at or below this level
    bool quiet = false;     // print only failures and errors (run mode)
    int operationLogLevel = -1;  // text mode: also print each operation's log lines up to this level
    bool writeFiles = true;      // false: draw renders its picture but writes no file (sandboxed runs)
};

class Interpreter {
public:
    enum class Status { Ok, Failed, Error };

    // Resets the stand-in to its start-up defaults.
    Interpreter(std::ostream& out, const Options& options);

    // One line of a script. Failed: an expectation did not hold; Error: the
    // line could not be parsed or executed. Both write their message.
    Status Execute(const std::string& line, const std::string& file, int lineNo);

    // Every line of a stream; with stopOnError the first error ends it.
    // Returns true when no expectation failed and no error occurred.
    bool Run(std::istream& in, const std::string& file, bool stopOnError);

    int Failures() const { return m_failures; }
    int Errors() const { return m_errors; }
    // Expectation lines executed (held or not).
    int ExpectationsChecked() const { return m_expectationsChecked; }

    // SVG picture of the current handle's geometry (see Picture.h), under
    // this title. Throws ParseError when the handle has no size controller.
    std::string Picture(const std::string& title);
    // Writes Picture(title) to path; throws ParseError when it cannot.
    void DrawTo(const std::string& path, const std::string& title);
    // Source then destination of the last sink write on the current stream,
    // "x,y,w,h x,y,w,h"; empty before any write.
    std::string SinkText() const;

    // Operations called so far; a line that raised it called one.
    size_t OperationCount() const { return m_operationCount; }
    // The expectations that hold now for the last operation's window, as
    // script lines: result, outs, then the state it changed; with logs also
    // its library log lines at level 1 or below. Throws ParseError before
    // any operation.
    std::vector<std::string> FrozenExpectations(bool logs);

    // Command words and their usage, for help.
    static std::vector<std::pair<std::string, std::string>> CommandHelp();
    void PrintHelp();

private:
    struct Window {
        bool valid = false;
        std::string name;
        std::string owner;
        int stateBefore = 0;  // screen state of the handle's controller before the call
        OpResult result;
        // The outside calls, then the lines the library printed (NAME
        // "stdout" or "stderr", the line as the one argument), and the log
        // lines: only the last operation's are kept, so that a long script
        // runs in flat memory.
        std::vector<host::JournalEntry> journal;
        std::vector<host::LogLine> logs;
        size_t assertFrom = 0, assertTo = 0;
        size_t eventFrom = 0, eventTo = 0;
    };

    using Args = std::vector<Token>;
    using Handler = std::function<void(Interpreter&, const Args&)>;
    struct Command {
        const char* usage;
        Handler handler;
    };
    static const std::map<std::string, Command>& Commands();
    static const std::map<std::string, Command>& Expectations();

    void CallOperation(const std::string& name, const Args& args);
    void Expect(const Args& args);
    void Fail(const std::string& expected, const std::string& got);
    void PrintOperation();
    void NoteAfdWss(const std::string& name, const Args& args, const std::vector<host::JournalEntry>& journal);
    // Library log lines (and assertions) at or below --log-level, to
    // standard error, once each.
    void ShowLogs();
    // Lines the library printed outside an operation: shown in the trace.
    void ShowStrayPrints();
    void Say(const std::string& text);
    TVStream CurrentStream() const { return m_streamOn ? m_stream : nullptr; }
    const Window& LastOperation() const;

    std::ostream& m_out;
    Options m_options;
    CallContext m_context;
    TVStream m_stream;
    bool m_streamOn = true;
    // The last AFD or WSS value the library took in: read from the player
    // (the journal's read value) or passed to ChangeVideoSizeBy*.
    std::string m_lastAfdWss;
    Window m_window;
    size_t m_operationCount = 0;
    size_t m_logsShown = 0;
    size_t m_assertsShown = 0;
    // Handles whose size controller exists (so reading its state creates none).
    std::vector<ORBHandle> m_controllers;
    int m_failures = 0;
    int m_errors = 0;
    int m_expectationsChecked = 0;
    // Location and pending failure messages of the line being executed.
    std::string m_file;
    int m_line = 0;
    std::vector<std::string> m_lineFailures;
};

}  // namespace avctl
