// The scenario console: language, error reports, expectation matching and
// the run mode's verdicts and exit status.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Freeze.h"
#include "Interpreter.h"
#include "Script.h"

namespace {

using avctl::Interpreter;

TEST(AvctlScript, TokenizesQuotesAndComments) {
    const auto t = avctl::Tokenize("  vconf key \"two words\" # comment \"ignored\"");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, "vconf");
    EXPECT_EQ(t[2].text, "two words");
    EXPECT_TRUE(t[2].quoted);
    EXPECT_FALSE(t[1].quoted);
    EXPECT_TRUE(avctl::Tokenize("# only a comment").empty());
    // '#' inside a word is part of it (returned objects are named Class#N).
    EXPECT_EQ(avctl::Tokenize("expect result TCSizeControl#1 #note").size(), 3u);
    EXPECT_EQ(avctl::Tokenize("expect log \"a # b\"")[2].text, "a # b");
    EXPECT_THROW(avctl::Tokenize("say \"open"), avctl::ParseError);
}

TEST(AvctlScript, ParsesNumbersBooleansAndRectangles) {
    struct Case { const char* text; bool ok; int64_t value; };
    const Case ints[] = {{"42", true, 42},       {"-7", true, -7},  {"0x10002", true, 0x10002},
                         {"0X1f", true, 31},     {"-0x10", true, -16}, {"", false, 0},
                         {"0x", false, 0},       {"12a", false, 0}, {"1.5", false, 0},
                         {"true", false, 0}};
    for (const Case& c : ints) {
        int64_t v = 0;
        EXPECT_EQ(avctl::TryParseInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    bool b = false;
    EXPECT_TRUE(avctl::TryParseBool("1", b) && b);
    EXPECT_TRUE(avctl::TryParseBool("false", b) && !b);
    EXPECT_FALSE(avctl::TryParseBool("yes", b));

    avctl::Rect r;
    EXPECT_TRUE(avctl::TryParseRect("0,-4,0x10,1080", r));
    EXPECT_EQ(r.y, -4);
    EXPECT_EQ(r.width, 16);
    EXPECT_FALSE(avctl::TryParseRect("0,0,1920", r));
    EXPECT_FALSE(avctl::TryParseRect("0, 0,1920,1080", r));
}

TEST(AvctlScript, MatchingIsByValueWithWildcard) {
    struct Case { const char* expected; const char* actual; bool match; };
    const Case cases[] = {
        {"_", "anything", true},     {"_", "-", true},          {"1", "true", true},
        {"true", "1", true},         {"0x10", "16", true},      {"0,0,0x780,1080", "0,0,1920,1080", true},
        {"2", "3", false},           {"false", "true", false},  {"0,0,1920,1080", "0,0,1920,1081", false},
        {"text", "text", true},      {"text", "Text", false},
        // Fields of a rectangle or record: "_" stands for one field.
        {"1,_,0,132,_", "1,1,0,132,948", true}, {"_,_,_,9", "0,0,1920,1080", false},
        {"true,_", "1,5", true},     {"0,0", "0,0,0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(avctl::Matches(c.expected, c.actual), c.match) << c.expected << " vs " << c.actual;
    }
}

// Runs lines through one interpreter (operation output off unless `quiet` is
// false); returns everything printed.
std::string RunLines(const std::vector<std::string>& lines, Interpreter::Status* last = nullptr, bool quiet = true) {
    std::ostringstream out;
    avctl::Options options;
    options.quiet = quiet;
    Interpreter in(out, options);
    Interpreter::Status s = Interpreter::Status::Ok;
    for (size_t i = 0; i < lines.size(); ++i) {
        s = in.Execute(lines[i], "t.avs", static_cast<int>(i + 1));
    }
    if (last != nullptr) {
        *last = s;
    }
    return out.str();
}

TEST(AvctlInterpreter, ReportsUnparsableLinesWithFileLineAndReason) {
    struct Case { std::string line, reason; };
    const Case cases[] = {
        {"frobnicate 1", "unknown command 'frobnicate'"}, {"option 1", "wrong arguments for 'option'"},
        {"option x 1", "bad number 'x' for option number"}, {"GetSize 1", "wrong number of arguments for 'GetSize'"},
        {"SetStillMode maybe", "bad boolean 'maybe' for bStill"},
        {"CheckScreenFitOption 0,0,2 2", "bad value '0,0,2' for sourceInfo"},
        {"key colour=3", "unknown key field 'colour'"}, {"key source", "key field 'source' is not FIELD=VALUE"},
        {"handle 1 70000", "handle s must be 0..65535"}, {"expect result 1", "no operation has been called yet"},
        {"expect maybe 1", "unknown expectation 'maybe'"}, {"stream off", "wrong arguments for 'stream'"},
        {"say \"open", "unterminated quoted text"}, {"vconf k \"a\"b", "a blank must follow the closing quote"},
        {"caller app\"x\"", "a quote inside a word"},
        {"option 0 0x100000000", "value '0x100000000' is out of range for option value"},
        {"key h=-1", "value '-1' is out of range for h"},
        {"fb-audio 0102", "bad audio record '0102' (8 hexadecimal digits)"},
        {"fb 0 0 zz", "bad screen record 'zz' (32 hexadecimal digits)"},
        {"expect count GetOption many", "bad number 'many' for count"},
        {"agent-size 0 6 1 0", "resolution mode must be 0..5, got 6"},
        {"agent-size 0 0 maybe 0", "bad boolean 'maybe' for dtv"},
        {"agent default-size x", "bad number 'x' for default picture size"},
        {"agent-option 0 0 0 1,3,0", "(9 comma-separated fields: bAutoWide,screenMode,screenFit,offsetFlag,x,y,"
                                     "height,width,bPanoramaOption)"},
        {"agent-option 0 0 0 1,3,0,0,0,0,0,0,2", "bad boolean '2' for bPanoramaOption"},
        {"agent-option 0 0 0 _,3,0,0,0,0,0,0,0", "bad boolean '_' for bAutoWide"},  // no wildcard in a preset
        {"expect agent-size 0 0 1 some", "bad number 'some' for picture size"},
        {"expect agent-option 0 0 0 _,x,_,_,_,_,_,_,_", "bad number 'x' for screenMode"},
        {"expect fb 0 0 00112233445566778899aabbccddee_f",
         "bad screen record '00112233445566778899aabbccddee_f' (32 hexadecimal digits, __ for any byte)"},
        {"expect fb 0 0 0011", "bad screen record"},
        {"expect lbd maybe", "wrong arguments for 'expect lbd'"},
        // Bad bytes are quoted escaped; well-formed UTF-8 stays as it is.
        {"frob\x01\xff\xc3\xa9\xed\xa0\x80 1", "unknown command 'frob\\x01\\xff\xc3\xa9\\xed\\xa0\\x80'"},
    };
    // An editor's byte-order mark before the first line is no part of it.
    Interpreter::Status status;
    EXPECT_EQ(RunLines({"\xEF\xBB\xBFoption 0 1", "GetSize"}, &status), "");
    EXPECT_EQ(status, Interpreter::Status::Ok);
    for (const Case& c : cases) {
        Interpreter::Status s;
        const std::string out = RunLines({"# first line", c.line}, &s);
        EXPECT_EQ(s, Interpreter::Status::Error) << c.line;
        EXPECT_EQ(out.rfind("t.avs:2: error: ", 0), 0u) << out;
        EXPECT_NE(out.find(c.reason), std::string::npos) << "line: " << c.line << "\noutput: " << out;
    }
}

// Passing expectations print nothing in quiet mode (the scenarios pass the
// plain forms); a failing one reports its line, what it expected and what it
// got. Each row starts from a fresh stand-in (the interpreter resets it), so a
// row expecting "none" after one that preset the same key also checks the reset.
TEST(AvctlInterpreter, ExpectationsPassSilentlyOrReportWhatTheyGot) {
    auto afterMls = [](const std::string& line) {
        return std::vector<std::string>{"key source=13", "vconf memory/mls/state 1",
                                        "CheckExceptionScreenState 0 false", line};
    };
    const std::string record = "agent-option 0 2 1 1,3,2,1,10,20,300,400,0";
    const std::string screen = "fb 1 2 00112233445566778899aabbccddeeff";
    struct Case { std::vector<std::string> lines; std::string output; };
    const Case cases[] = {
        {{"handle 3 0", "GetSize", "expect out width 100"}, "t.avs:3: expected out width 100, got 1920\n"},
        {{"GetCropVideoInfo", "expect out dst 0,0,1920,1081"},
         "t.avs:2: expected out dst 0,0,1920,1081, got 0,0,1920,1080\n"},
        {{"GetSize", "expect out colour 1"}, "t.avs:2: error: GetSize has no out parameter 'colour'\n"},
        // Picture settings.
        {{"agent-size 0 1 true 4", "expect agent-size 0 1 false none"}, ""},  // dtv is part of the key
        {{"expect agent-size 0 1 1 4"}, "t.avs:1: expected agent-size 0 1 1 4, got none\n"},
        {{"agent-size 0 1 1 4", "expect agent-size 0 1 1 none"}, "t.avs:2: expected agent-size 0 1 1 none, got 4\n"},
        {{record, "expect agent-option 0 2 1 true,3,_,1,10,20,300,400,0"}, ""},
        {{record, "expect agent-option 0 2 1 1,3,2,1,10,20,400,300,0"},
         "t.avs:2: expected agent-option 0 2 1 1,3,2,1,10,20,400,300,0, got 1,3,2,1,10,20,300,400,0\n"},
        {{record, "expect agent-option 0 2 4 none"}, ""},
        {{"expect agent-option 0 2 1 _,_,_,_,_,_,_,_,_"},
         "t.avs:1: expected agent-option 0 2 1 _,_,_,_,_,_,_,_,_, got none\n"},
        {{screen, "expect fb 1 2 00112233445566__8899AABBCCDDEEFF"}, ""},
        {{screen, "expect fb 1 2 00112233445566__8899aabbccddee00"},
         "t.avs:2: expected fb 1 2 00112233445566__8899aabbccddee00, got 00112233445566778899aabbccddeeff\n"},
        {{"fb-audio 00000003", "expect fb-audio ______03"}, ""},
        {{"expect lbd off"}, "t.avs:1: expected lbd off, got never switched\n"},
        // Outside calls of the last operation, from the journal ("_" for any argument).
        {afterMls("expect call vconf_get_int memory/other"),
         "t.avs:4: expected call vconf_get_int memory/other, got [memory/mls/state]\n"},
        {afterMls("expect count vconf_get_int 2"), "t.avs:4: expected count vconf_get_int 2, got 1\n"},
        {afterMls("expect no-call vconf_get_int"),
         "t.avs:4: expected no-call vconf_get_int, got vconf_get_int memory/mls/state => 0 value=1\n"},
        // The set-up line before the operation is outside its window.
        {afterMls("expect call tv_stream_get_property _"),
         "t.avs:4: expected call tv_stream_get_property _, got no tv_stream_get_property call\n"},
        // The first use of a handle by an expectation constructs its controller
        // after the operation; its log line and calls are not the operation's.
        {{"handle 910 0", "GetSize", "GetSize", "handle 911 0", "expect state 0", "expect no-log \"Base Gfx Rect\"",
          "handle 912 0", "GetSize", "expect log \"[TCSizeControl-p:912,s:0] Base Gfx Rect\""},
         ""},
        // "_" as a call name stands for any outside call.
        {{"CheckExceptionScreenState 0 false", "expect count _ 0"}, "t.avs:2: expected count _ 0, got 1\n"},
        {{"CheckExceptionScreenState 0 false", "expect no-call _"},
         "t.avs:2: expected no-call _, got vconf_get_int memory/mls/state => -1\n"},
    };
    for (const Case& c : cases) {
        Interpreter::Status s;
        EXPECT_EQ(RunLines(c.lines, &s), c.output) << c.lines.back();
        const auto expected = c.output.empty()                                 ? Interpreter::Status::Ok
                              : c.output.find(": error: ") != std::string::npos ? Interpreter::Status::Error
                                                                                 : Interpreter::Status::Failed;
        EXPECT_EQ(s, expected) << c.lines.back();
    }
}

struct Outcome { int status; std::string output; };

// Standard error joins the output unless only standard output is compared
// exactly (sanitizer builds report on standard error at exit).
Outcome RunAvctl(const std::string& args, bool withStderr = true) {
    const std::string command = std::string(AVCTL_COMMAND) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    Outcome o{-1, ""};
    if (pipe == nullptr) {
        return o;
    }
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        o.output += buffer;
    }
    const int raw = pclose(pipe);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return o;
}

// The files these tests write live in one directory, removed when the test
// program ends.
const std::string& ScratchDir() {
    static const struct Dir {
        std::string path;
        Dir() {
            std::string pattern = ::testing::TempDir() + "avctl_test_XXXXXX";
            if (mkdtemp(pattern.data()) == nullptr) {
                ADD_FAILURE() << "cannot create a scratch directory under " << ::testing::TempDir();
                std::abort();
            }
            path = pattern + "/";
        }
        ~Dir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } dir;
    return dir.path;
}

std::string WriteTemp(const std::string& name, const std::string& text) {
    const std::string path = ScratchDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(AvctlRun, CountsFilesAndFailsAtTheRightLine) {
    const std::string good = WriteTemp("good.avs", "handle 1 0\nGetSize\nexpect out width 1920\n");
    const std::string bad = WriteTemp("bad.avs", "GetSize\n\nexpect out width 7\nexpect result 1\n");
    const std::string broken = WriteTemp("broken.avs", "GetSize\nnonsense here\nexpect result 2\n");

    Outcome o = RunAvctl("run " + good + " " + bad + " " + broken);
    EXPECT_EQ(o.status, 1);
    const std::string expected = "PASS " + good + "\n" +                                   //
                                 "FAIL " + bad + "\n" + bad + ":3: expected out width 7, got 1920\n" +  //
                                 "FAIL " + broken + "\n" + broken +
                                 ":2: error: unknown command 'nonsense' (try help)\n" +  // stops there
                                 "1 passed, 2 failed\n";
    EXPECT_EQ(o.output, expected);

    // Each file starts from fresh singletons (the second does not see the
    // state the first set), and the log level reaches each: both construct
    // the main controller and log it.
    const std::string a = WriteTemp("a.avs", "SetCurrentScreenState 2\nexpect state 2\n");
    const std::string b = WriteTemp("b.avs", "GetCurrentScreenState\nexpect result 0\n");
    o = RunAvctl("--log-level 4 run " + a + " " + b);
    EXPECT_EQ(o.status, 0) << o.output;
    const std::string line = "[TCSizeControl-p:1,s:0] Base Gfx Rect";
    const size_t first = o.output.find(line);
    ASSERT_NE(first, std::string::npos) << o.output;
    EXPECT_NE(o.output.find(line, first + 1), std::string::npos) << o.output;

    o = RunAvctl("run /nonexistent/file.avs");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.output.find("FAIL /nonexistent/file.avs\n/nonexistent/file.avs: error: No such file or directory\n"),
              std::string::npos)
        << o.output;
}

// A run never reports a pass it did not check: a folder runs each *.avs in
// it in name order, a file with no expectation fails, a folder without
// scenarios fails; standard input is a file like any other.
TEST(AvctlRun, FoldersRunTheirScenariosAndAFileThatChecksNothingFails) {
    const std::string dir = ScratchDir() + "folder/";
    std::filesystem::create_directories(dir + "sub.avs");  // a folder is not a scenario, even so named
    std::ofstream(dir + "b.avs") << "GetSize\nexpect result 1\n";
    std::ofstream(dir + "a.avs") << "# set-up only\noption 0 1\nGetSize\n";
    std::ofstream(dir + "c.avs") << "";
    std::ofstream(dir + "notes.txt") << "GetSize\nexpect result 0\n";
    Outcome o = RunAvctl("run " + dir, false);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.output, "FAIL " + dir + "a.avs\n" + dir + "a.avs: no expectation checked\nPASS " + dir + "b.avs\nFAIL " +
                            dir + "c.avs\n" + dir + "c.avs: no expectation checked\n1 passed, 2 failed\n");

    std::filesystem::create_directories(dir + "empty");
    o = RunAvctl("run " + dir + "empty", false);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.output, "FAIL " + dir + "empty\n" + dir + "empty: error: no *.avs file in this folder\n0 passed, 1 failed\n");

    o = RunAvctl("run - < " + dir + "b.avs", false);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.output, "PASS -\n1 passed, 0 failed\n");
    o = RunAvctl("freeze - < " + dir + "b.avs", false);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.output, "GetSize\nexpect result 1\nexpect out x 0\nexpect out y 0\nexpect out height 1080\n"
                        "expect out width 1920\nexpect no-sink-write\n");

    // The plain form and freeze take one file: a folder is a usage error,
    // and freeze writes nothing.
    for (const std::string& command : {dir, "freeze " + dir + " -o " + dir + "out.avs"}) {
        o = RunAvctl(command);
        EXPECT_EQ(o.status, 2) << command;
        EXPECT_NE(o.output.find(dir + ": error: is a folder, not a scenario file\n"), std::string::npos) << command;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "out.avs"));
}

TEST(AvctlProgram, ScriptOutputTraceAndJson) {
    const std::string script = WriteTemp("s.avs", "handle 1 0\nCheckAutoWideSupported\n");
    Outcome o = RunAvctl("--trace " + script);
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.output.find("CheckAutoWideSupported => - onOff=false\n"), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("    | TCFactoryProvider::GetOption 0"), std::string::npos) << o.output;

    o = RunAvctl("--json " + script);
    EXPECT_EQ(o.status, 0);
    // Typed values; the journal entries follow their operation, one object each.
    EXPECT_NE(o.output.find("{\"op\":\"CheckAutoWideSupported\",\"result\":null,\"out\":{\"onOff\":false}}\n"
                            "{\"call\":\"TCFactoryProvider::GetOption\",\"args\":[\"0\"],\"result\":\"0\"}\n"),
              std::string::npos)
        << o.output;

    const std::string failing = WriteTemp("f.avs", "GetSize\nexpect result 0\n");
    o = RunAvctl(failing);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.output.find(failing + ":2: expected result 0, got 1"), std::string::npos);
}

// 0 success, 1 a failed scenario, 2 a wrong command line; --help says so.
TEST(AvctlProgram, ExitStatusTellsSuccessFailureAndUsageApart) {
    const std::string good = WriteTemp("exit_good.avs", "GetSize\nexpect result 1\n");
    const std::string bad = WriteTemp("exit_bad.avs", "GetSize\nexpect result 0\n");
    struct Case { std::string args; int status; std::string output; };
    const Case cases[] = {
        {good, 0, "GetSize => 1"},
        {"--version", 0, std::string("avctl (tvav) ") + TVAV_VERSION + "\n"},
        {"--help", 0, "  2  usage error"},
        {bad, 1, ":2: expected result 0, got 1"},
        {"run " + bad, 1, "0 passed, 1 failed"},
        {"/nonexistent.avs", 1, "/nonexistent.avs: error: No such file or directory"},
        {"--bogus " + good, 2, "--bogus"},
        {"run", 2, "files is required"},
        {"freeze", 2, "file is required"},
        {"--log-level many " + good, 2, "many"},
        {"demo --out", 2, "--out"},
        {"atlas", 2, "give --out DIR, --check SNAPSHOT or both"},
        {"atlas --check " + good, 1, good + " is not an atlas"},
        {"atlas --check /nonexistent.json", 2, "cannot read the snapshot /nonexistent.json"},
    };
    for (const Case& c : cases) {
        const Outcome o = RunAvctl(c.args);
        EXPECT_EQ(o.status, c.status) << c.args << "\n" << o.output;
        EXPECT_NE(o.output.find(c.output), std::string::npos) << c.args << "\n" << o.output;
    }
}

// With --json standard output holds only JSON Lines, whatever the library
// prints (its prints are journal entries "stdout" and "stderr").
TEST(AvctlProgram, JsonOutputOfEveryScenarioParsesLineByLine) {
    int scenarios = 0;
    bool printSeen = false;
    for (const auto& entry : std::filesystem::directory_iterator(SCENARIO_DIR)) {
        if (entry.path().extension() != ".avs") {
            continue;
        }
        ++scenarios;
        const Outcome o = RunAvctl("--json " + entry.path().string(), false);
        EXPECT_EQ(o.status, 0) << entry.path();
        std::istringstream lines(o.output);
        int records = 0;
        for (std::string line; std::getline(lines, line); ++records) {
            const auto value = nlohmann::json::parse(line, nullptr, false);
            ASSERT_TRUE(value.is_object()) << entry.path() << " line " << records + 1 << ": " << line;
            printSeen = printSeen || (value.contains("call") && value["call"] == "stdout" &&
                                      value["args"][0] == "ASSERT!, Func:TCSizeControl::SetSize");
        }
        EXPECT_GT(records, 10) << entry.path();
    }
    EXPECT_GE(scenarios, 9);
    EXPECT_TRUE(printSeen);
}

TEST(AvctlProgram, ScriptFilesStopAtTheFirstErrorStandardInputGoesOn) {
    const std::string text = "GetSize\nbogus\nGetCropVideoInfo\n";
    const std::string script = WriteTemp("stop.avs", text);
    Outcome o = RunAvctl(script, false);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.output, "GetSize => 1 x=0 y=0 height=1080 width=1920\n" + script +
                            ":2: error: unknown command 'bogus' (try help)\n");
    o = RunAvctl("- < " + script);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.output.find("-:2: error: unknown command 'bogus'"), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("GetCropVideoInfo => 1"), std::string::npos) << o.output;
}

// The page carries the very records of atlas.json and nothing from outside;
// each record is one case, set up as its id says.
TEST(AvctlProgram, AtlasWritesItsRecordsAndASelfContainedPage) {
    const std::string dir = ScratchDir() + "atlas/nested";
    const Outcome o = RunAvctl("atlas --out " + dir, false);
    ASSERT_EQ(o.status, 0) << o.output;
    const auto read = [&](const std::string& name) {
        std::stringstream text;
        text << std::ifstream(dir + "/" + name).rdbuf();
        return text.str();
    };
    const std::string text = read("atlas.json");
    const nlohmann::json atlas = nlohmann::json::parse(text);
    ASSERT_EQ(atlas["records"].size(), atlas["cases"].get<size_t>());
    EXPECT_EQ(o.output.rfind(std::to_string(atlas["records"].size()) + " cases in ", 0), 0U) << o.output;
    std::set<std::string> ids;
    for (const auto& r : atlas["records"]) {
        EXPECT_TRUE(ids.insert(r["id"].get<std::string>()).second) << r["id"];
    }
    // One line per record, so that a changed case is one changed line.
    EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')),
              atlas["records"].size() + atlas["inputs"].size() + atlas["left_out"].size() + 7);

    // The example of the picture tour: AFD 10 on a 4:3 coded frame, 16:9
    // chosen with automatic wide on, crops the centre 16:9 band.
    const auto found = std::find_if(atlas["records"].begin(), atlas["records"].end(), [](const auto& r) {
        return r["id"] == "dvb/tuner-dtv-sd-4:3/16_9/auto-wide/afd-10";
    });
    ASSERT_NE(found, atlas["records"].end());
    EXPECT_EQ((*found)["outcome"]["src"], nlohmann::json::parse("[0,72,720,432]"));
    EXPECT_EQ((*found)["outcome"]["applied"], "AUTO_16_9");

    const std::string page = read("index.html");
    std::string embedded;
    for (size_t i = 0; i < text.size(); ++i) {
        embedded += text[i];
        if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/') {
            embedded += '\\';
        }
    }
    EXPECT_NE(page.find(embedded), std::string::npos);
    for (const char* outside : {"http:", "https:", "//cdn", " src=", "@import", "url("}) {
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    }
}

TEST(AvctlProgram, DemoWritesItsTranscriptPicturesAndIndex) {
    const std::string dir = ScratchDir() + "demo/nested";
    const Outcome o = RunAvctl("demo --out " + dir, false);
    EXPECT_EQ(o.status, 0) << o.output;
    const auto read = [&](const std::string& name) {
        std::stringstream text;
        text << std::ifstream(dir + "/" + name).rdbuf();
        return text.str();
    };
    const std::string transcript = read("demo.txt");
    EXPECT_NE(transcript.find("every step behaved as described"), std::string::npos);
    // One picture per sink change, numbered without gaps, each shown in order in
    // the index after the heading of the step that made the first one.
    const std::string index = read("index.html");
    size_t at = index.find("<h2>12. The road of a picture-size change</h2>");
    int pictures = 0;
    for (char name[32]; std::snprintf(name, sizeof name, "picture-%02d.svg", pictures + 1),
                        std::filesystem::exists(dir + "/" + name);
         ++pictures) {
        at = index.find(std::string("<img src=\"") + name + "\"", at);
        EXPECT_NE(at, std::string::npos) << name << "\n" << index;
    }
    EXPECT_EQ(pictures + 2, std::distance(std::filesystem::directory_iterator(dir), {}));
    EXPECT_GE(pictures, 5);
    // The terminal shows the transcript, then where everything went.
    EXPECT_EQ(o.output, transcript + "Transcript written to " + dir + "/demo.txt\n" + std::to_string(pictures) +
                            " pictures and index.html written to " + dir + "\n");
    // The first picture: after the menu's 4:3, with the panel's 21:9 output switched off.
    EXPECT_NE(read("picture-01.svg").find("picture size 3 (4:3)  |  screen state 0  |  no AFD/WSS seen  |  21:9 output off (0)"),
              std::string::npos);
}

// Peak resident memory, in KB, of avctl running a script of `operations`
// picture-size changes (each journals a few dozen outside calls).
long PeakKilobytes(int operations) {
    const std::string script = ScratchDir() + "long" + std::to_string(operations) + ".avs";
    {
        std::ofstream out(script);
        out << "option 0 1\nhandle 1 0\n";
        for (int i = 0; i < operations; i += 2) {
            out << "SetPictureSize 3 true\nSetPictureSize 0 true\n";
        }
    }
    const pid_t pid = fork();
    if (pid == 0) {
        // Freed memory goes back at once, also under AddressSanitizer.
        const char* asan = std::getenv("ASAN_OPTIONS");
        const std::string options = std::string(asan != nullptr ? asan : "") + ":quarantine_size_mb=1";
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        freopen("/dev/null", "w", stdout);
        // The console as the build starts it (through the emulator of a cross build).
        std::istringstream words(AVCTL_COMMAND);
        std::vector<std::string> argv(std::istream_iterator<std::string>(words), {});
        argv.push_back(script);
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "avctl failed on " << script;
        return -1;
    }
    return usage.ru_maxrss;
}

// Only the last operation's journal is kept: 9,000 more operations cost
// less than 4 KB each (keeping every entry took about 25 KB each; a release
// build stays within a megabyte, AddressSanitizer's allocator adds ~2 KB).
TEST(AvctlProgram, MemoryStaysFlatOverALongScript) {
    const long small = PeakKilobytes(1000);
    const long large = PeakKilobytes(10000);
    ASSERT_GT(small, 0);
    EXPECT_LT(large, small + 9000 * 4) << "1,000 operations: " << small << " KB, 10,000: " << large << " KB";
}

// A name does what its number does: the same operations print the same
// results and make the same outside calls (each script in a fresh process).
TEST(AvctlProgram, NamesActAsTheirNumbers) {
    struct Case { std::string named, numbered; };
    const Case cases[] = {
        {"key source=hdmi2 ar=4:3 h=720 v=576\nhandle 1 0\nSetPictureSize 4_3 true\nGetPictureSize\n",
         "key source=14 ar=2 h=720 v=576\nhandle 1 0\nSetPictureSize 3 true\nGetPictureSize\n"},
        {"key source=tuner ar=16:9\nhandle 1 0\nChangeVideoSizeByAFD 9 0\n",
         "key source=0 ar=3\nhandle 1 0\nChangeVideoSizeByAFD 9 0\n"},
        {"option 0 1\nSetAnalogMTS MULTI_SOUND_SAP\nCheckPictureSizeSubMenu zoom P_SIZESUB_SCREENFIT\n",
         "option 0 1\nSetAnalogMTS 3\nCheckPictureSizeSubMenu 1 2\n"},
    };
    for (const Case& c : cases) {
        const Outcome named = RunAvctl("--trace " + WriteTemp("named.avs", c.named), false);
        EXPECT_EQ(named.status, 0) << named.output;
        EXPECT_EQ(named.output, RunAvctl("--trace " + WriteTemp("numbered.avs", c.numbered), false).output);
    }
}

// "option N unset" undoes "option N V" (the other unset forms are used by the
// scenarios).
TEST(AvctlInterpreter, UnsetUndoesTheSetUpCommand) {
    const std::string out = RunLines({"option 0 1", "option 0 unset", "TCAVCheck::GetInstance"}, nullptr, false);
    EXPECT_NE(out.find("TCAVCheck::GetInstance => TCAVCheckDVB#"), std::string::npos) << out;
}

std::string ReadFile(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The file without its expectations, as a test engineer first writes it.
std::string Stripped(const std::string& text) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, 6, "expect") != 0) {
            out += line + "\n";
        }
    }
    return out;
}

TEST(AvctlFreeze, EveryScenarioStrippedAndFrozenPassesAndFreezesToTheSameBytes) {
    int scenarios = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SCENARIO_DIR)) {
        if (entry.path().extension() != ".avs") {
            continue;
        }
        ++scenarios;
        const std::string name = entry.path().filename().string();
        const std::string bare = WriteTemp("bare_" + name, Stripped(ReadFile(entry.path().string())));
        const std::string frozen = ScratchDir() + "frozen_" + name;
        ASSERT_EQ(RunAvctl("freeze " + bare + " -o " + frozen).status, 0) << name;
        const Outcome run = RunAvctl("run " + frozen, false);
        EXPECT_EQ(run.status, 0) << run.output;
        // Again, to standard output: the same bytes, and nothing the library prints.
        EXPECT_EQ(RunAvctl("freeze " + frozen, false).output, ReadFile(frozen)) << name;
    }
    EXPECT_GE(scenarios, 9);
}

TEST(AvctlFreeze, WritesEachKindInOrderAndKeepsMarkedLines) {
    const std::string script = WriteTemp("order.avs",
                                         "handle 1 0\nsysinfo 303 true\nsysinfo 254 14\n"
                                         "SetPictureSize 3 true\nexpect result 0\n# why\n"
                                         "expect call avoc_set_wide_screen_mode 0 0 # keep\nexpect event 99\n"
                                         "GetSize\n");
    const Outcome o = RunAvctl("freeze " + script, false);
    ASSERT_EQ(o.status, 0) << o.output;
    // Rows in the order they must appear; each must appear exactly once.
    const char* const rows[] = {"SetPictureSize 3 true\nexpect result 1\n",
                                "expect sink 0,0,1920,1080 240,0,1440,1080\n",
                                "expect event 82\n",
                                "expect fb 0 2 0300ff",
                                "expect vconf db/menu/refresh_menu 1\n",
                                "expect prop 619 1\n",
                                "expect agent-size 0 2 1 3\n",
                                "expect lbd off\n# why\nexpect call avoc_set_wide_screen_mode 0 0 # keep\nGetSize\n",
                                "expect result 1\nexpect out x 240\nexpect out y 0\n",
                                "expect out width 1440\nexpect no-sink-write\n"};
    size_t at = 0;
    for (const char* row : rows) {
        const size_t found = o.output.find(row, at);
        EXPECT_NE(found, std::string::npos) << row << "\n" << o.output;
        EXPECT_EQ(o.output.find(row, found + 1), std::string::npos) << row;
        at = found == std::string::npos ? at : found;
    }
    EXPECT_EQ(o.output.find("expect event 99"), std::string::npos);
    EXPECT_EQ(o.output.find("expect result 0"), std::string::npos);
}

TEST(AvctlFreeze, AnUnparsableLineStopsItAndLeavesTheOutputAlone) {
    struct Case { const char* text; const char* error; };
    const Case cases[] = {
        {"GetSize\nbogus\n", ":2: error: unknown command 'bogus'"},
        {"GetSize\nsay \"open\n", ":2: error: unterminated quoted text"},
        {"GetSize\nexpect out nosuch 1 # keep\n", ":2: error: GetSize has no out parameter 'nosuch'"},
    };
    for (const Case& c : cases) {
        const std::string script = WriteTemp("broken_freeze.avs", c.text);
        const std::string out = WriteTemp("broken_out.avs", "old\n");
        const Outcome o = RunAvctl("freeze " + script + " -o " + out);
        EXPECT_EQ(o.status, 1) << c.text;
        EXPECT_NE(o.output.find(script + c.error), std::string::npos) << o.output;
        EXPECT_EQ(ReadFile(out), "old\n") << c.text;
    }
    for (const auto& entry : std::filesystem::directory_iterator(ScratchDir())) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "left behind: " << entry.path();
    }
}

TEST(AvctlFreeze, RunDiffShowsEveryExpectationAChangedSetUpLineBreaks) {
    const std::string bare = WriteTemp("apply_bare.avs", Stripped(ReadFile(SCENARIO_DIR "/picture_apply.avs")));
    const std::string frozen = ScratchDir() + "apply_frozen.avs";
    ASSERT_EQ(RunAvctl("freeze " + bare + " -o " + frozen).status, 0);
    std::string text = ReadFile(frozen);
    const std::string from = "h=1920 v=1080";
    ASSERT_NE(text.find(from), std::string::npos);
    text.replace(text.find(from), from.size(), "h=1280 v=720");
    const std::string changed = WriteTemp("apply_changed.avs", text);

    Outcome o = RunAvctl("run " + changed, false);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.output.find("--- "), std::string::npos) << "a diff only with --diff";
    o = RunAvctl("run --diff " + changed, false);
    EXPECT_EQ(o.status, 1);
    const std::string rows[] = {changed + ":16: expected sink 0,0,1920,1080 240,0,1440,1080, got 0,0,1280,720",
                                "--- " + changed + "\n+++ " + changed + " (frozen)\n@@ -13,7 +13,7 @@\n",
                                "-expect sink 0,0,1920,1080 240,0,1440,1080\n+expect sink 0,0,1280,720 240,0,1440,1080\n",
                                "-expect out src 0,0,1920,1080\n+expect out src 0,0,1280,720\n",
                                "-expect sink 0,140,1920,800 0,0,1920,1080\n+expect sink 0,140,1280,440 0,0,1920,1080\n",
                                "0 passed, 1 failed\n"};
    size_t at = 0;
    for (const std::string& row : rows) {
        at = o.output.find(row, at);
        ASSERT_NE(at, std::string::npos) << row << "\n" << o.output;
    }
}

TEST(AvctlFreeze, UnifiedDiffHunks) {
    struct Case { const char* from; const char* to; const char* hunks; };
    const Case cases[] = {
        {"a\nb\n", "a\nb\n", ""},
        {"a\nb\nc\n", "a\nx\nc\n", "@@ -1,3 +1,3 @@\n a\n-b\n+x\n c\n"},
        {"", "a\n", "@@ -0,0 +1 @@\n+a\n"},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "0\n2\n3\n4\n5\n6\n7\n8\n9\n",
         "@@ -1,4 +1,4 @@\n-1\n+0\n 2\n 3\n 4\n@@ -7,4 +7,3 @@\n 7\n 8\n 9\n-10\n"},
        {"1\n2\n3\n4\n5\n", "1\n2\n4\n5\n", "@@ -1,5 +1,4 @@\n 1\n 2\n-3\n 4\n 5\n"},
    };
    for (const Case& c : cases) {
        const std::string want = *c.hunks != '\0' ? std::string("--- o\n+++ n\n") + c.hunks : "";
        EXPECT_EQ(avctl::UnifiedDiff("o", c.from, "n", c.to), want) << c.from << "=>" << c.to;
    }
}

}  // namespace
