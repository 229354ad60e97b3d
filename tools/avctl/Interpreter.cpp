#include "Interpreter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include <nlohmann/json.hpp>

#include "Names.h"
#include "OutputCapture.h"
#include "Picture.h"
#include <tvav/SizeControl.h>
#include "host/HostControl.h"

#include "ScriptArgs.h"

namespace avctl {

using namespace script;

namespace {

// One JSON Lines record; text that is not UTF-8 never stops the output.
std::string JsonLine(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// A journal entry as one JSON object; "value" only after a read.
std::string JournalJson(const host::JournalEntry& e) {
    nlohmann::ordered_json entry{{"call", e.name}, {"args", e.args}, {"result", e.result}};
    if (!e.value.empty()) {
        entry["value"] = e.value;
    }
    return JsonLine(entry);
}

}  // namespace


Interpreter::Interpreter(std::ostream& out, const Options& options) : m_out(out), m_options(options) {
    host::Reset();
    // Log lines are shown here (ShowLogs), on the console's own standard
    // error, rather than printed by the stand-in, whose prints are captured.
    host::SetLogThreshold(-1);
    m_stream = host::DefaultStream();
    m_context.key.source = 0;
    m_context.key.dtv = true;
    m_context.key.resolution = 0x10002;
    m_context.key.resolutionInfo.horizontal = 1920;
    m_context.key.resolutionInfo.vertical = 1080;
    m_context.key.resolutionInfo.aspectratio = 3;
}

const std::map<std::string, Interpreter::Command>& Interpreter::Commands() {
    static const std::map<std::string, Command> commands = {
        {"option", {"option N V | option N unset",
                    [](Interpreter&, const Args& a) {
                        NeedCount(a, 2, "option", "option N V | option N unset");
                        const int n = Int(a[0], "option number");
                        if (a[1].text == "unset") {
                            host::UnsetOption(n);
                        } else {
                            host::SetOption(n, Int(a[1], "option value"));
                        }
                    }}},
        {"country", {"country V | country unset",
                     [](Interpreter&, const Args& a) {
                         NeedCount(a, 1, "country", "country V | country unset");
                         if (a[0].text == "unset") {
                             host::UnsetSpecTag(1);
                         } else {
                             host::SetSpecTag(1, Int(a[0], "country"));
                         }
                     }}},
        {"analog-country", {"analog-country V",
                            [](Interpreter&, const Args& a) {
                                NeedCount(a, 1, "analog-country", "analog-country V");
                                host::SetAnalogCountry(Int(a[0], "analog country"));
                            }}},
        {"sysinfo", {"sysinfo KEY V | sysinfo KEY unset",
                     [](Interpreter&, const Args& a) {
                         NeedCount(a, 2, "sysinfo", "sysinfo KEY V | sysinfo KEY unset");
                         const int key = Int(a[0], "system-information key");
                         if (a[1].text == "unset") {
                             host::UnsetSysInfo(key);
                         } else if (key == 303) {
                             host::SetSysInfoBool(key, ParseBool(a[1].text, "key 303"));
                         } else {
                             host::SetSysInfoInt(key, Int(a[1], "system-information value"));
                         }
                     }}},
        {"vconf", {"vconf KEY V | vconf KEY \"TEXT\" | vconf KEY unset | vconf KEY fail",
                   [](Interpreter&, const Args& a) {
                       NeedCount(a, 2, "vconf", "vconf KEY V | vconf KEY \"TEXT\" | vconf KEY unset | vconf KEY fail");
                       const std::string& key = a[0].text;
                       if (a[1].quoted) {
                           host::SetVconfStr(key, a[1].text);
                       } else if (a[1].text == "unset") {
                           host::UnsetVconf(key);
                       } else if (a[1].text == "fail") {
                           host::FailVconf(key);
                       } else {
                           host::SetVconfInt(key, Int(a[1], "configuration value"));
                       }
                   }}},
        {"prop", {"prop ID V | prop ID unset",
                  [](Interpreter& in, const Args& a) {
                      NeedCount(a, 2, "prop", "prop ID V | prop ID unset");
                      const int id = Int(a[0], "property id");
                      if (a[1].text == "unset") {
                          host::UnsetProp(in.m_stream, id);
                      } else {
                          bool b = false;
                          const int64_t v = TryParseBool(a[1].text, b) ? (b ? 1 : 0) : ParseInt(a[1].text, "property value");
                          host::SetProp(in.m_stream, id, v);
                      }
                  }}},
        {"prop-result", {"prop-result ID R",
                         [](Interpreter& in, const Args& a) {
                             NeedCount(a, 2, "prop-result", "prop-result ID R");
                             host::SetPropResult(in.m_stream, Int(a[0], "property id"), Int(a[1], "result"));
                         }}},
        {"stream-type", {"stream-type T",
                         [](Interpreter& in, const Args& a) {
                             NeedCount(a, 1, "stream-type", "stream-type T");
                             host::SetStreamType(in.m_stream, Int(a[0], "stream type"));
                         }}},
        {"stream", {"stream on | stream null",
                    [](Interpreter& in, const Args& a) {
                        NeedCount(a, 1, "stream", "stream on | stream null");
                        if (a[0].text == "on") {
                            in.m_streamOn = true;
                        } else if (a[0].text == "null") {
                            in.m_streamOn = false;
                        } else {
                            Usage("stream", "stream on | stream null");
                        }
                    }}},
        {"avoc", {"avoc pc-mode V | avoc picture-mode V|fail | avoc hdr-plus V|fail",
                  [](Interpreter&, const Args& a) {
                      const char* usage = "avoc pc-mode V | avoc picture-mode V|fail | avoc hdr-plus V|fail";
                      NeedCount(a, 2, "avoc", usage);
                      const bool fail = a[1].text == "fail";
                      if (a[0].text == "pc-mode" && !fail) {
                          host::SetAvocPcMode(Int(a[1], "PC mode"));
                      } else if (a[0].text == "picture-mode") {
                          fail ? host::FailAvocPictureMode() : host::SetAvocPictureMode(Int(a[1], "picture mode"));
                      } else if (a[0].text == "hdr-plus") {
                          fail ? host::FailAvocHdrPlus() : host::SetAvocHdrPlus(Int(a[1], "HDR+ mode"));
                      } else {
                          Usage("avoc", usage);
                      }
                  }}},
        {"lookup", {"lookup picture-size CODE RECT | lookup crop CODE RECT",
                    [](Interpreter&, const Args& a) {
                        const char* usage = "lookup picture-size CODE RECT | lookup crop CODE RECT";
                        NeedCount(a, 3, "lookup", usage);
                        const int code = Int(a[1], "geometry code");
                        const Rect r = ParseRect(a[2].text, "lookup rectangle");
                        const KOVARect_t rect{r.x, r.y, r.width, r.height};
                        if (a[0].text == "picture-size") {
                            host::SetLookupPictureSize(code, rect);
                        } else if (a[0].text == "crop") {
                            host::SetLookupCrop(code, rect);
                        } else {
                            Usage("lookup", usage);
                        }
                    }}},
        {"fb", {"fb SRC RES HEX",
                [](Interpreter&, const Args& a) {
                    NeedCount(a, 3, "fb", "fb SRC RES HEX");
                    host::SetFbScreen(Int(a[0], "fast-boot source"), Int(a[1], "fast-boot resolution"),
                                      HexBytes<16>(a[2].text, "screen record"));
                }}},
        {"fb-audio", {"fb-audio HEX",
                      [](Interpreter&, const Args& a) {
                          NeedCount(a, 1, "fb-audio", "fb-audio HEX");
                          host::SetFbAudio(HexBytes<4>(a[0].text, "audio record"));
                      }}},
        {"fb-terminate", {"fb-terminate R",
                          [](Interpreter&, const Args& a) {
                              NeedCount(a, 1, "fb-terminate", "fb-terminate R");
                              host::SetFbTerminateResult(Int(a[0], "result"));
                          }}},
        {"agent", {"agent aspect-ratio on|off | agent atsc3-fastvideo on|off|absent | agent default-size N",
                   [](Interpreter&, const Args& a) {
                       const char* usage =
                           "agent aspect-ratio on|off | agent atsc3-fastvideo on|off|absent | agent default-size N";
                       NeedCount(a, 2, "agent", usage);
                       if (a[0].text == "aspect-ratio") {
                           host::SetAspectRatioAgentPresent(OnOff(a[1], "agent", usage));
                       } else if (a[0].text == "default-size") {
                           host::SetAspectRatioDefaultPictureSize(Int(a[1], "default picture size"));
                       } else if (a[0].text == "atsc3-fastvideo") {
                           if (a[1].text == "absent") {
                               host::SetAtsc3Agent(host::Atsc3Agent::Absent);
                           } else {
                               host::SetAtsc3Agent(OnOff(a[1], "agent", usage) ? host::Atsc3Agent::On
                                                                                : host::Atsc3Agent::Off);
                           }
                       } else {
                           Usage("agent", usage);
                       }
                   }}},
        {"agent-size", {"agent-size SRC MODE DTV SIZE",
                        [](Interpreter&, const Args& a) {
                            NeedCount(a, 4, "agent-size", "agent-size SRC MODE DTV SIZE");
                            const int source = Int(a[0], "source");
                            const int mode = ResolutionMode(a[1]);
                            const bool dtv = ParseBool(a[2].text, "dtv");
                            host::SetAgentPictureSize(source, mode, dtv, Int(a[3], "picture size"));
                        }}},
        {"agent-option", {"agent-option SRC MODE SIZE FIELDS",
                          [](Interpreter&, const Args& a) {
                              NeedCount(a, 4, "agent-option", "agent-option SRC MODE SIZE FIELDS");
                              const int source = Int(a[0], "source");
                              const int mode = ResolutionMode(a[1]);
                              const int size = Int(a[2], "picture size");
                              host::SetAgentDetailOption(source, mode, size,
                                                         OptionOf(ParseOptionFields(a[3].text, false)));
                          }}},
        {"event-manager", {"event-manager on|off",
                           [](Interpreter&, const Args& a) {
                               NeedCount(a, 1, "event-manager", "event-manager on|off");
                               host::SetEventManagerPresent(OnOff(a[0], "event-manager", "event-manager on|off"));
                           }}},
        {"caller", {"caller NAME",
                    [](Interpreter&, const Args& a) {
                        NeedCount(a, 1, "caller", "caller NAME");
                        host::SetCallerName(a[0].text);
                    }}},
        {"recording", {"recording on|off",
                       [](Interpreter&, const Args& a) {
                           NeedCount(a, 1, "recording", "recording on|off");
                           host::SetRecording(OnOff(a[0], "recording", "recording on|off"));
                       }}},
        {"handle", {"handle P S",
                    [](Interpreter& in, const Args& a) {
                        NeedCount(a, 2, "handle", "handle P S");
                        const int64_t s = ParseInt(a[1].text, "handle s");
                        if (s < 0 || s > 0xFFFF) {
                            throw ParseError("handle s must be 0..65535, got " + a[1].text);
                        }
                        in.m_context.handle = ORBHandle(Int(a[0], "handle p"), static_cast<uint16_t>(s));
                    }}},
        {"key", {"key FIELD=VALUE... (source dtv res h v ar)",
                 [](Interpreter& in, const Args& a) {
                     if (a.empty()) {
                         Usage("key", "key FIELD=VALUE... (source dtv res h v ar)");
                     }
                     TSAspectRatioKey key = in.m_context.key;  // all fields or none
                     for (const Token& t : a) {
                         const size_t eq = t.text.find('=');
                         if (eq == std::string::npos) {
                             throw ParseError("key field '" + t.text + "' is not FIELD=VALUE");
                         }
                         const std::string field = t.text.substr(0, eq);
                         const std::string value = t.text.substr(eq + 1);
                         int64_t named = 0;
                         if (field == "source") {
                             key.source = ValueOfName(KeySourceNames(), value, named)
                                              ? static_cast<int32_t>(named)
                                              : Int(Token{value, false}, "source");
                         } else if (field == "dtv") {
                             key.dtv = ParseBool(value, "dtv");
                         } else if (field == "res") {
                             key.resolution = Int(Token{value, false}, "res");
                         } else if (field == "h") {
                             key.resolutionInfo.horizontal = Unsigned(value, "h");
                         } else if (field == "v") {
                             key.resolutionInfo.vertical = Unsigned(value, "v");
                         } else if (field == "ar") {
                             key.resolutionInfo.aspectratio = ValueOfName(KeyAspectRatioNames(), value, named)
                                                                  ? static_cast<uint32_t>(named)
                                                                  : Unsigned(value, "ar");
                         } else {
                             throw ParseError("unknown key field '" + field + "' (source dtv res h v ar)");
                         }
                     }
                     in.m_context.key = key;
                 }}},
        {"say", {"say \"TEXT\"",
                 [](Interpreter& in, const Args& a) {
                     NeedCount(a, 1, "say", "say \"TEXT\"");
                     in.Say(a[0].text);
                 }}},
        {"draw", {"draw PATH.svg",
                  [](Interpreter& in, const Args& a) {
                      NeedCount(a, 1, "draw", "draw PATH.svg");
                      in.DrawTo(a[0].text, "Handle p " + std::to_string(in.m_context.handle.p) + ", s " +
                                               std::to_string(in.m_context.handle.s));
                      in.Say(in.m_options.writeFiles ? "picture written to " + a[0].text
                                                     : "picture drawn, not written to " + a[0].text +
                                                           ": this run writes no files");
                  }}},
        {"help", {"help", [](Interpreter& in, const Args&) { in.PrintHelp(); }}},
        {"expect", {"expect WHAT ... (see below)", [](Interpreter& in, const Args& a) { in.Expect(a); }}},
    };
    return commands;
}

std::vector<std::pair<std::string, std::string>> Interpreter::CommandHelp() {
    std::vector<std::pair<std::string, std::string>> help;
    for (const auto& c : Commands()) {
        help.emplace_back(c.first, c.second.usage);
    }
    for (const auto& e : Expectations()) {
        help.emplace_back("expect " + e.first, e.second.usage);
    }
    return help;
}

void Interpreter::PrintHelp() {
    m_out << "Commands:\n";
    for (const auto& c : CommandHelp()) {
        m_out << "  " << c.second << "\n";
    }
    m_out << "  quit | exit (at the prompt; Ctrl-D too)\n";
    m_out << "Operations: NAME ARG... prints NAME => RESULT out=value...; the current stream, key\n"
             "and handle are passed where an operation takes them; write Class::NAME when a name\n"
             "belongs to several classes.\n";
    m_out << "Names: an enumeration argument takes its number, its name or the name without\n"
             "the common prefix (SetPictureSize PICTURESIZETYPE_4_3 true, or 4_3); so do the key's\n"
             "ar and source fields:\n";
    for (const NameTable* table : AllNameTables()) {
        m_out << "  " << table->type << (*table->prefix != '\0' ? std::string(" (") + table->prefix + ")" : "")
              << ": " << ListNames(*table) << "\n";
    }
    std::string owner;
    for (const Operation& op : Operations()) {
        if (op.owner != owner) {
            owner = op.owner;
            m_out << owner << ":\n";
        }
        m_out << "  " << Signature(op) << "\n";
    }
}

void Interpreter::Say(const std::string& text) {
    if (m_options.quiet) {
        return;
    }
    if (m_options.json) {
        m_out << JsonLine({{"say", text}});
    } else {
        m_out << "\n== " << text << "\n";
    }
}

void Interpreter::CallOperation(const std::string& name, const Args& args) {
    const Operation& op = FindOperation(name, args);
    Operation::Call call = op.bind(op, args);

    m_context.stream = CurrentStream();
    Window w;
    w.valid = true;
    w.name = name;  // as written: Class::NAME stays qualified
    w.owner = op.owner;
    const bool known = std::find(m_controllers.begin(), m_controllers.end(), m_context.handle) != m_controllers.end();
    if (known) {
        w.stateBefore = static_cast<int>(TCSizeControl::GetInstance(m_context.handle)->GetCurrentScreenState());
    }
    // Only this operation's journal and log are kept.
    ShowLogs();
    ShowStrayPrints();
    host::ClearJournal();
    host::ClearLog();
    host::ClearPerfMarkers();
    m_logsShown = 0;
    w.assertFrom = host::AssertCount();
    w.eventFrom = host::Events().size();
    w.result = call(m_context);
    w.journal = host::Journal();
    if (OutputCapture* capture = OutputCapture::Current()) {
        const auto printed = capture->Take();
        w.journal.insert(w.journal.end(), printed.begin(), printed.end());
    }
    w.logs = host::LogLines();
    w.assertTo = host::AssertCount();
    w.eventTo = host::Events().size();
    m_window = std::move(w);
    ++m_operationCount;
    if (!known && op.owner == kSizeControlClass) {
        m_controllers.push_back(m_context.handle);
    }
    NoteAfdWss(name, args, m_window.journal);
    ShowLogs();
    PrintOperation();
}

void Interpreter::PrintOperation() {
    if (m_options.quiet) {
        return;
    }
    const Window& w = m_window;
    const auto& journal = w.journal;
    if (m_options.json) {
        // Numbers and booleans typed, everything else (rectangles, records,
        // objects) as printed; journal entries exactly as the journal writes them.
        nlohmann::ordered_json out = nlohmann::ordered_json::object();
        for (const auto& o : w.result.outs) {
            out[o.first] = JsonValue(o.second);
        }
        nlohmann::ordered_json line{{"op", w.name},
                            {"result", w.result.hasResult ? JsonValue(w.result.result) : nlohmann::ordered_json()},
                            {"out", out}};
        m_out << JsonLine(line);
        for (const auto& e : journal) {
            m_out << JournalJson(e);
        }
        return;
    }
    m_out << w.name << " => " << (w.result.hasResult ? w.result.result : "-");
    for (const auto& o : w.result.outs) {
        m_out << " " << o.first << "=" << o.second;
    }
    m_out << "\n";
    if (m_options.trace) {
        for (const auto& e : journal) {
            m_out << "    | " << Printable(host::FormatJournalEntry(e)) << "\n";
        }
    }
    if (m_options.operationLogLevel >= 0) {
        for (const auto& l : w.logs) {
            if (l.level <= m_options.operationLogLevel) {
                std::string text = l.text;
                while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
                    text.pop_back();
                }
                m_out << "    log: " << text << "\n";
            }
        }
    }
}

Interpreter::Status Interpreter::Execute(const std::string& line, const std::string& file, int lineNo) {
    m_file = file;
    m_line = lineNo;
    m_lineFailures.clear();
    try {
        const std::vector<Token> tokens = Tokenize(lineNo == 1 ? WithoutByteOrderMark(line) : line);
        if (tokens.empty()) {
            return Status::Ok;
        }
        const std::string& word = tokens[0].text;
        const Args args(tokens.begin() + 1, tokens.end());
        const auto it = Commands().find(word);
        if (it != Commands().end() && !tokens[0].quoted) {
            it->second.handler(*this, args);
        } else if (HasOperation(word)) {
            CallOperation(word, args);
        } else {
            throw ParseError("unknown command '" + word + "' (try help)");
        }
        ShowLogs();
    } catch (const ParseError& e) {
        ShowLogs();
        ++m_errors;
        // The reason may quote the line: binary input is shown escaped.
        const std::string reason = Printable(e.what());
        const std::string msg = Printable(file) + ":" + std::to_string(lineNo) + ": error: " + reason;
        if (m_options.json) {
            m_out << JsonLine({{"error", reason}, {"file", file}, {"line", lineNo}});
        } else {
            m_out << msg << "\n";
        }
        return Status::Error;
    }
    for (const std::string& failure : m_lineFailures) {
        const std::string f = Printable(failure);
        ++m_failures;
        if (m_options.json) {
            m_out << JsonLine({{"fail", f}, {"file", file}, {"line", lineNo}});
        } else {
            m_out << f << "\n";
        }
    }
    return m_lineFailures.empty() ? Status::Ok : Status::Failed;
}

bool Interpreter::Run(std::istream& in, const std::string& file, bool stopOnError) {
    std::string line;
    int lineNo = 0;
    bool ok = true;
    while (std::getline(in, line)) {
        ++lineNo;
        const Status s = Execute(line, file, lineNo);
        if (s != Status::Ok) {
            ok = false;
        }
        if (s == Status::Error && stopOnError) {
            break;
        }
    }
    return ok;
}

// Player properties the library reads the broadcast's AFD and WSS codes from.
constexpr int kAfdProperty = 505;
constexpr int kWssProperty = 47;

void Interpreter::ShowLogs() {
    if (m_options.logLevel < 0) {
        return;
    }
    std::cout.flush();
    const auto lines = host::LogSince(m_logsShown);
    m_logsShown += lines.size();
    for (const host::LogLine& l : lines) {
        if (l.level <= m_options.logLevel) {
            std::cerr << "[L" << l.level << " m" << l.module << " " << l.function << ":" << l.line << "] " << l.text
                      << "\n";
        }
    }
    const auto asserts = host::Asserts();
    for (; m_assertsShown < asserts.size(); ++m_assertsShown) {
        const host::AssertReport& r = asserts[m_assertsShown];
        std::cerr << "[ASSERT] " << r.expression << " (" << r.file << ":" << r.line << ")\n";
    }
    std::cerr.flush();
}

void Interpreter::ShowStrayPrints() {
    OutputCapture* capture = OutputCapture::Current();
    if (capture == nullptr) {
        return;
    }
    for (const auto& e : capture->Take()) {
        if (m_options.quiet || !(m_options.trace || m_options.json)) {
            continue;
        }
        if (m_options.json) {
            m_out << JournalJson(e);
        } else {
            m_out << "    | " << Printable(host::FormatJournalEntry(e)) << "\n";
        }
    }
}

void Interpreter::NoteAfdWss(const std::string& name, const Args& args,
                             const std::vector<host::JournalEntry>& journal) {
    if ((name == "ChangeVideoSizeByAFD" || name == "ChangeVideoSizeByWSS") && !args.empty()) {
        m_lastAfdWss = std::string(name == "ChangeVideoSizeByAFD" ? "AFD " : "WSS ") + args[0].text;
        return;
    }
    for (const auto& e : journal) {
        if (e.name != "tv_stream_get_property" || e.args.empty() || e.value.empty()) {
            continue;
        }
        const int id = std::atoi(e.args[0].c_str());
        if (id == kAfdProperty || id == kWssProperty) {
            m_lastAfdWss = std::string(id == kAfdProperty ? "AFD " : "WSS ") + e.value;
        }
    }
}

std::string Interpreter::Picture(const std::string& title) {
    static const char* const kSizeNames[] = {"16:9",        "zoom",          "custom",         "4:3",
                                             "21:9",        "21:9 auto",     "caption",        "7",
                                             "auto 4:3",    "auto 16:9",     "auto letterbox centre",
                                             "auto letterbox top",           "auto over 16:9", "auto 13",
                                             "AFD scale"};
    TCSizeControl* control = TCSizeControl::GetInstance(m_context.handle);
    if (control == nullptr) {
        throw ParseError("no size controller for the current handle");
    }
    EPictureSizeType size = PICTURESIZETYPE_16_9;
    control->GetPictureSize(m_context.key, size);
    const int sizeNo = static_cast<int>(size);
    const bool named = sizeNo >= 0 && sizeNo < static_cast<int>(std::size(kSizeNames));
    const std::optional<int> wide = host::WideScreenMode();

    PictureContent content;
    content.title = title;
    content.frameWidth = static_cast<int>(m_context.key.resolutionInfo.horizontal);
    content.frameHeight = static_cast<int>(m_context.key.resolutionInfo.vertical);
    content.aspectCode = m_context.key.resolutionInfo.aspectratio;
    content.panelWide = wide && *wide != 0;
    content.sink = host::SinkRects(m_stream);
    content.caption = "picture size " + std::to_string(sizeNo) + (named ? std::string(" (") + kSizeNames[sizeNo] + ")" : "") +
                      "  |  screen state " + std::to_string(static_cast<int>(control->GetCurrentScreenState())) +
                      "  |  " + (m_lastAfdWss.empty() ? std::string("no AFD/WSS seen") : m_lastAfdWss) +
                      "  |  21:9 output " + (wide ? (*wide != 0 ? "on (" : "off (") + std::to_string(*wide) + ")"
                                                  : std::string("never set"));
    return DrawPicture(content);
}

void Interpreter::DrawTo(const std::string& path, const std::string& title) {
    const std::string svg = Picture(title);
    if (!m_options.writeFiles) {
        return;
    }
    std::ofstream file(path);
    file << svg;
    file.close();
    if (!file) {
        throw ParseError("cannot write the picture to " + path);
    }
}

std::string Interpreter::SinkText() const {
    const auto sink = host::SinkRects(m_stream);
    return sink ? FormatRect(sink->src_x, sink->src_y, sink->src_width, sink->src_height) + " " +
                      FormatRect(sink->dst_x, sink->dst_y, sink->dst_width, sink->dst_height)
                : std::string();
}

}  // namespace avctl
