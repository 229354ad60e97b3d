#include "Interpreter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#include <nlohmann/json.hpp>

#include "Picture.h"
#include "SizeControl.h"
#include "host/HostControl.h"

namespace avctl {
namespace {

using Args = std::vector<Token>;

[[noreturn]] void Usage(const std::string& command, const char* usage) {
    throw ParseError("wrong arguments for '" + command + "': usage: " + usage);
}

void NeedCount(const Args& a, size_t n, const std::string& command, const char* usage) {
    if (a.size() != n) {
        Usage(command, usage);
    }
}

int Int(const Token& t, const char* what) {
    const int64_t v = ParseInt(t.text, what);
    if (v < INT32_MIN || v > INT32_MAX) {
        throw ParseError("value '" + t.text + "' is out of range for " + what);
    }
    return static_cast<int>(v);
}

nlohmann::ordered_json JsonValue(const std::string& text) {
    int64_t n = 0;
    if (TryParseInt(text, n)) {
        return n;
    }
    if (text == "true" || text == "false") {
        return text == "true";
    }
    return text;
}

uint32_t Unsigned(const std::string& text, const char* what) {
    const int64_t v = ParseInt(text, what);
    if (v < 0 || v > UINT32_MAX) {
        throw ParseError("value '" + text + "' is out of range for " + what);
    }
    return static_cast<uint32_t>(v);
}

// Exactly 2*N hexadecimal digits: a fast-boot record's bytes.
template <size_t N>
std::array<uint8_t, N> HexBytes(const std::string& text, const char* what) {
    std::array<uint8_t, N> bytes{};
    const auto digit = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    };
    if (text.size() != 2 * N || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        throw ParseError("bad " + std::string(what) + " '" + text + "' (" + std::to_string(2 * N) +
                         " hexadecimal digits)");
    }
    for (size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<uint8_t>(digit(text[2 * i]) * 16 + digit(text[2 * i + 1]));
    }
    return bytes;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// The expected bytes of a record: 2*N hexadecimal digits, "__" for a byte
// that may hold anything (one never written), or "_" for the whole record.
void CheckBytePattern(const std::string& text, size_t n, const char* what) {
    bool ok = text == "_" || text.size() == 2 * n;
    for (size_t i = 0; ok && text != "_" && i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        ok = pair == "__" || pair.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    }
    if (!ok) {
        throw ParseError("bad " + std::string(what) + " '" + text + "' (" + std::to_string(2 * n) +
                         " hexadecimal digits, __ for any byte)");
    }
}

bool BytesMatch(const std::string& pattern, const std::string& gotHex) {
    if (pattern == "_") {
        return true;
    }
    for (size_t i = 0; i < pattern.size(); i += 2) {
        const std::string pair = pattern.substr(i, 2);
        if (pair != "__" && Lower(pair) != gotHex.substr(i, 2)) {
            return false;
        }
    }
    return true;
}

// Resolution mode of the aspect-ratio agent's keys.
int ResolutionMode(const Token& t) {
    const int mode = Int(t, "resolution mode");
    if (mode < 0 || mode > 5) {
        throw ParseError("resolution mode must be 0..5, got " + t.text);
    }
    return mode;
}

// The fields of a picture-size detail record, in record order.
struct OptionField {
    const char* name;
    bool boolean;
};
constexpr OptionField kOptionFields[] = {
    {"bAutoWide", true}, {"screenMode", false}, {"screenFit", false}, {"offsetFlag", true},     {"x", false},
    {"y", false},        {"height", false},     {"width", false},     {"bPanoramaOption", true},
};
constexpr size_t kOptionFieldCount = sizeof kOptionFields / sizeof kOptionFields[0];
using OptionValues = std::array<int, kOptionFieldCount>;

OptionValues ValuesOf(const TSPictureSizeOption& o) {
    return {o.bAutoWide, o.screenMode, o.screenFit, o.bOffset,        o.offsetX,
            o.offsetY,   o.offsetHeight, o.offsetWidth, o.bPanoramaOption};
}

TSPictureSizeOption OptionOf(const OptionValues& v) {
    TSPictureSizeOption o;
    o.bAutoWide = v[0] != 0;
    o.screenMode = v[1];
    o.screenFit = v[2];
    o.bOffset = v[3] != 0;
    o.offsetX = v[4];
    o.offsetY = v[5];
    o.offsetHeight = v[6];
    o.offsetWidth = v[7];
    o.bPanoramaOption = v[8] != 0;
    return o;
}

// FIELDS of a detail record, booleans as 0/1 (or true/false); where wildcards
// are allowed a "_" field stands for any value and reads as 0.
OptionValues ParseOptionFields(const std::string& text, bool wildcards) {
    std::string form;
    for (const OptionField& f : kOptionFields) {
        form += (form.empty() ? "" : ",") + std::string(f.name);
    }
    const std::vector<std::string> fields = SplitFields(text, kOptionFieldCount, "detail record", form.c_str());
    OptionValues values{};
    for (size_t i = 0; i < kOptionFieldCount; ++i) {
        if (wildcards && fields[i] == "_") {
            continue;
        }
        values[i] = kOptionFields[i].boolean ? ParseBool(fields[i], kOptionFields[i].name)
                                             : Int(Token{fields[i], false}, kOptionFields[i].name);
    }
    return values;
}

std::string FormatOption(const std::optional<TSPictureSizeOption>& option) {
    if (!option) {
        return "none";
    }
    std::string s;
    for (int v : ValuesOf(*option)) {
        s += (s.empty() ? "" : ",") + std::to_string(v);
    }
    return s;
}

// A journal entry's name; "_" stands for any.
bool NameMatches(const std::string& expected, const std::string& name) { return expected == "_" || expected == name; }

// What the last operation did: the journal and log entries of its window
// (not what later lines added).
std::vector<host::JournalEntry> JournalBetween(size_t from, size_t to) {
    std::vector<host::JournalEntry> entries = host::JournalSince(from);
    entries.resize(std::min(entries.size(), to - from));
    return entries;
}

std::vector<host::LogLine> LogBetween(size_t from, size_t to) {
    std::vector<host::LogLine> lines = host::LogSince(from);
    lines.resize(std::min(lines.size(), to - from));
    return lines;
}

bool OnOff(const Token& t, const std::string& command, const char* usage) {
    if (t.text == "on") {
        return true;
    }
    if (t.text == "off") {
        return false;
    }
    Usage(command, usage);
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string s;
    for (const auto& p : parts) {
        s += (s.empty() ? "" : " ") + p;
    }
    return s;
}

// True when the entry's first arguments match the expected ones.
bool ArgsMatch(const host::JournalEntry& e, const Args& expected, size_t from) {
    if (e.args.size() < expected.size() - from) {
        return false;
    }
    for (size_t i = from; i < expected.size(); ++i) {
        const std::string& want = expected[i].text;
        const std::string& got = e.args[i - from];
        if (want != "_" && want != got && Canonical(want) != Canonical(got)) {
            return false;
        }
    }
    return true;
}

}  // namespace

Interpreter::Interpreter(std::ostream& out, const Options& options) : m_out(out), m_options(options) {
    host::Reset();
    host::SetLogThreshold(options.logLevel);
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
                          in.m_props.erase(id);
                      } else {
                          bool b = false;
                          const int64_t v = TryParseBool(a[1].text, b) ? (b ? 1 : 0) : ParseInt(a[1].text, "property value");
                          host::SetProp(in.m_stream, id, v);
                          in.m_props[id] = v;
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
                         if (field == "source") {
                             key.source = Int(Token{value, false}, "source");
                         } else if (field == "dtv") {
                             key.dtv = ParseBool(value, "dtv");
                         } else if (field == "res") {
                             key.resolution = Int(Token{value, false}, "res");
                         } else if (field == "h") {
                             key.resolutionInfo.horizontal = Unsigned(value, "h");
                         } else if (field == "v") {
                             key.resolutionInfo.vertical = Unsigned(value, "v");
                         } else if (field == "ar") {
                             key.resolutionInfo.aspectratio = Unsigned(value, "ar");
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
                      in.Say("picture written to " + a[0].text);
                  }}},
        {"help", {"help", [](Interpreter& in, const Args&) { in.PrintHelp(); }}},
        {"expect", {"expect WHAT ... (see below)", [](Interpreter& in, const Args& a) { in.Expect(a); }}},
    };
    return commands;
}

const Interpreter::Window& Interpreter::LastOperation() const {
    if (!m_window.valid) {
        throw ParseError("no operation has been called yet");
    }
    return m_window;
}

const std::map<std::string, Interpreter::Command>& Interpreter::Expectations() {
    static const std::map<std::string, Command> expectations = {
        {"result", {"expect result V",
                    [](Interpreter& in, const Args& a) {
                        NeedCount(a, 1, "expect result", "expect result V");
                        const Window& w = in.LastOperation();
                        const std::string got = w.result.hasResult ? w.result.result : "-";
                        if (!Matches(a[0].text, got)) {
                            in.Fail("result " + a[0].text, got);
                        }
                    }}},
        {"out", {"expect out NAME V",
                 [](Interpreter& in, const Args& a) {
                     NeedCount(a, 2, "expect out", "expect out NAME V");
                     const Window& w = in.LastOperation();
                     const std::string* got = w.result.Find(a[0].text);
                     if (got == nullptr) {
                         throw ParseError(w.name + " has no out parameter '" + a[0].text + "'");
                     }
                     if (!Matches(a[1].text, *got)) {
                         in.Fail("out " + a[0].text + " " + a[1].text, *got);
                     }
                 }}},
        {"call", {"expect call NAME ARG...",
                  [](Interpreter& in, const Args& a) {
                      if (a.empty()) {
                          Usage("expect call", "expect call NAME ARG...");
                      }
                      const Window& w = in.LastOperation();
                      std::vector<std::string> seen;
                      for (const auto& e : JournalBetween(w.journalFrom, w.journalTo)) {
                          if (NameMatches(a[0].text, e.name)) {
                              if (ArgsMatch(e, a, 1)) {
                                  return;
                              }
                              seen.push_back("[" + Joined(e.args) + "]");
                          }
                      }
                      std::vector<std::string> want;
                      for (const auto& t : a) {
                          want.push_back(t.text);
                      }
                      in.Fail("call " + Joined(want), seen.empty() ? "no " + a[0].text + " call" : Joined(seen));
                  }}},
        {"no-call", {"expect no-call NAME ARG...",
                     [](Interpreter& in, const Args& a) {
                         if (a.empty()) {
                             Usage("expect no-call", "expect no-call NAME ARG...");
                         }
                         const Window& w = in.LastOperation();
                         for (const auto& e : JournalBetween(w.journalFrom, w.journalTo)) {
                             if (NameMatches(a[0].text, e.name) && ArgsMatch(e, a, 1)) {
                                 std::vector<std::string> want;
                                 for (const auto& t : a) {
                                     want.push_back(t.text);
                                 }
                                 in.Fail("no-call " + Joined(want), host::FormatJournalEntry(e));
                                 return;
                             }
                         }
                     }}},
        {"count", {"expect count NAME N ARG...",
                   [](Interpreter& in, const Args& a) {
                       if (a.size() < 2) {
                           Usage("expect count", "expect count NAME N ARG...");
                       }
                       const int64_t n = ParseInt(a[1].text, "count");
                       const Window& w = in.LastOperation();
                       Args pattern;
                       pattern.push_back(a[0]);
                       pattern.insert(pattern.end(), a.begin() + 2, a.end());
                       int64_t got = 0;
                       for (const auto& e : JournalBetween(w.journalFrom, w.journalTo)) {
                           if (NameMatches(a[0].text, e.name) && ArgsMatch(e, pattern, 1)) {
                               ++got;
                           }
                       }
                       if (got != n) {
                           std::vector<std::string> want;
                           for (const auto& t : a) {
                               want.push_back(t.text);
                           }
                           in.Fail("count " + Joined(want), std::to_string(got));
                       }
                   }}},
        {"log", {"expect log \"TEXT\"",
                 [](Interpreter& in, const Args& a) {
                     NeedCount(a, 1, "expect log", "expect log \"TEXT\"");
                     const Window& w = in.LastOperation();
                     for (const auto& l : LogBetween(w.logFrom, w.logTo)) {
                         if (l.text.find(a[0].text) != std::string::npos) {
                             return;
                         }
                     }
                     in.Fail("log \"" + a[0].text + "\"", "no such line");
                 }}},
        {"no-log", {"expect no-log \"TEXT\"",
                    [](Interpreter& in, const Args& a) {
                        NeedCount(a, 1, "expect no-log", "expect no-log \"TEXT\"");
                        const Window& w = in.LastOperation();
                        for (const auto& l : LogBetween(w.logFrom, w.logTo)) {
                            if (l.text.find(a[0].text) != std::string::npos) {
                                in.Fail("no-log \"" + a[0].text + "\"", "\"" + l.text + "\"");
                                return;
                            }
                        }
                    }}},
        {"event", {"expect event N",
                   [](Interpreter& in, const Args& a) {
                       NeedCount(a, 1, "expect event", "expect event N");
                       const Window& w = in.LastOperation();
                       const auto events = host::Events();
                       std::vector<std::string> seen;
                       for (size_t i = w.eventFrom; i < w.eventTo && i < events.size(); ++i) {
                           if (Matches(a[0].text, std::to_string(events[i].event))) {
                               return;
                           }
                           seen.push_back(std::to_string(events[i].event));
                       }
                       in.Fail("event " + a[0].text, seen.empty() ? "no event" : "events " + Joined(seen));
                   }}},
        {"no-event", {"expect no-event",
                      [](Interpreter& in, const Args& a) {
                          NeedCount(a, 0, "expect no-event", "expect no-event");
                          const Window& w = in.LastOperation();
                          const auto events = host::Events();
                          if (w.eventTo > w.eventFrom && events.size() > w.eventFrom) {
                              in.Fail("no-event", "event " + std::to_string(events[w.eventFrom].event));
                          }
                      }}},
        {"assert", {"expect assert",
                    [](Interpreter& in, const Args& a) {
                        NeedCount(a, 0, "expect assert", "expect assert");
                        const Window& w = in.LastOperation();
                        if (w.assertTo <= w.assertFrom) {
                            in.Fail("assert", "no assertion");
                        }
                    }}},
        {"sink", {"expect sink SRCRECT DSTRECT",
                  [](Interpreter& in, const Args& a) {
                      NeedCount(a, 2, "expect sink", "expect sink SRCRECT DSTRECT");
                      const auto sink = host::SinkRects(in.m_stream);
                      const std::string got = sink ? FormatRect(sink->src_x, sink->src_y, sink->src_width,
                                                                sink->src_height) +
                                                         " " +
                                                         FormatRect(sink->dst_x, sink->dst_y, sink->dst_width,
                                                                    sink->dst_height)
                                                   : std::string("no sink write");
                      if (a[0].text != "_") {
                          ParseRect(a[0].text, "source rectangle");
                      }
                      if (a[1].text != "_") {
                          ParseRect(a[1].text, "destination rectangle");
                      }
                      const bool ok = sink && Matches(a[0].text, FormatRect(sink->src_x, sink->src_y, sink->src_width,
                                                                            sink->src_height)) &&
                                      Matches(a[1].text, FormatRect(sink->dst_x, sink->dst_y, sink->dst_width,
                                                                    sink->dst_height));
                      if (!ok) {
                          in.Fail("sink " + a[0].text + " " + a[1].text, got);
                      }
                  }}},
        {"no-sink-write", {"expect no-sink-write",
                           [](Interpreter& in, const Args& a) {
                               NeedCount(a, 0, "expect no-sink-write", "expect no-sink-write");
                               const Window& w = in.LastOperation();
                               for (const auto& e : JournalBetween(w.journalFrom, w.journalTo)) {
                                   const bool sink = (e.name == "tv_stream_set_property" && !e.args.empty() &&
                                                      e.args[0] == "610") ||
                                                     e.name == "tv_stream_atsc3_set_video_size";
                                   if (sink) {
                                       in.Fail("no-sink-write", host::FormatJournalEntry(e));
                                       return;
                                   }
                               }
                           }}},
        {"prop", {"expect prop ID V",
                  [](Interpreter& in, const Args& a) {
                      NeedCount(a, 2, "expect prop", "expect prop ID V");
                      const auto v = host::LastSetProp(in.m_stream, Int(a[0], "property id"));
                      const std::string got = v ? std::to_string(*v) : "never set";
                      if (!Matches(a[1].text, got)) {
                          in.Fail("prop " + a[0].text + " " + a[1].text, got);
                      }
                  }}},
        {"vconf", {"expect vconf KEY V",
                   [](Interpreter& in, const Args& a) {
                       NeedCount(a, 2, "expect vconf", "expect vconf KEY V");
                       const auto v = host::GetVconf(a[0].text);
                       std::string got = "unset";
                       if (v) {
                           got = v->isString ? v->strValue : std::to_string(v->intValue);
                       }
                       const bool ok = a[1].quoted ? (v && v->isString && v->strValue == a[1].text)
                                                   : Matches(a[1].text, got);
                       if (!ok) {
                           in.Fail("vconf " + a[0].text + " " + a[1].text, got);
                       }
                   }}},
        {"fb", {"expect fb SRC RES HEX",
                [](Interpreter& in, const Args& a) {
                    NeedCount(a, 3, "expect fb", "expect fb SRC RES HEX");
                    CheckBytePattern(a[2].text, 16, "screen record");
                    const auto bytes = host::FbScreen(Int(a[0], "fast-boot source"), Int(a[1], "fast-boot resolution"));
                    const std::string got = host::FormatHex(bytes.data(), bytes.size());
                    if (!BytesMatch(a[2].text, got)) {
                        in.Fail("fb " + a[0].text + " " + a[1].text + " " + a[2].text, got);
                    }
                }}},
        {"fb-audio", {"expect fb-audio HEX",
                      [](Interpreter& in, const Args& a) {
                          NeedCount(a, 1, "expect fb-audio", "expect fb-audio HEX");
                          CheckBytePattern(a[0].text, 4, "audio record");
                          const auto bytes = host::FbAudio();
                          const std::string got = host::FormatHex(bytes.data(), bytes.size());
                          if (!BytesMatch(a[0].text, got)) {
                              in.Fail("fb-audio " + a[0].text, got);
                          }
                      }}},
        {"agent-size", {"expect agent-size SRC MODE DTV SIZE|none",
                        [](Interpreter& in, const Args& a) {
                            NeedCount(a, 4, "expect agent-size", "expect agent-size SRC MODE DTV SIZE|none");
                            const int source = Int(a[0], "source");
                            const int mode = ResolutionMode(a[1]);
                            const bool dtv = ParseBool(a[2].text, "dtv");
                            if (a[3].text != "none" && a[3].text != "_") {
                                Int(a[3], "picture size");
                            }
                            const auto size = host::AgentPictureSize(source, mode, dtv);
                            const std::string got = size ? std::to_string(*size) : "none";
                            if (!Matches(a[3].text, got)) {
                                in.Fail("agent-size " + a[0].text + " " + a[1].text + " " + a[2].text + " " +
                                            a[3].text,
                                        got);
                            }
                        }}},
        {"agent-option", {"expect agent-option SRC MODE SIZE FIELDS|none",
                          [](Interpreter& in, const Args& a) {
                              NeedCount(a, 4, "expect agent-option", "expect agent-option SRC MODE SIZE FIELDS|none");
                              const int source = Int(a[0], "source");
                              const int mode = ResolutionMode(a[1]);
                              const int size = Int(a[2], "picture size");
                              if (a[3].text != "none" && a[3].text != "_") {
                                  ParseOptionFields(a[3].text, true);
                              }
                              const std::string got = FormatOption(host::AgentDetailOption(source, mode, size));
                              if (!Matches(a[3].text, got)) {
                                  in.Fail("agent-option " + a[0].text + " " + a[1].text + " " + a[2].text + " " +
                                              a[3].text,
                                          got);
                              }
                          }}},
        {"lbd", {"expect lbd on|off",
                 [](Interpreter& in, const Args& a) {
                     NeedCount(a, 1, "expect lbd", "expect lbd on|off");
                     const bool want = OnOff(a[0], "expect lbd", "expect lbd on|off");
                     const std::optional<bool> state = host::LetterboxDetector();
                     if (state != want) {
                         in.Fail("lbd " + a[0].text, state ? (*state ? "on" : "off") : "never switched");
                     }
                 }}},
        {"state", {"expect state N",
                   [](Interpreter& in, const Args& a) {
                       NeedCount(a, 1, "expect state", "expect state N");
                       TCSizeControl* control = TCSizeControl::GetInstance(in.m_context.handle);
                       if (control == nullptr) {
                           throw ParseError("no size controller for the current handle");
                       }
                       const int got = static_cast<int>(control->GetCurrentScreenState());
                       if (!Matches(a[0].text, std::to_string(got))) {
                           in.Fail("state " + a[0].text, std::to_string(got));
                       }
                   }}},
    };
    return expectations;
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
    m_out << "Operations: NAME ARG... prints NAME => RESULT out=value...; the current stream, key\n"
             "and handle are passed where an operation takes them; write Class::NAME when a name\n"
             "belongs to several classes.\n";
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
        m_out << nlohmann::ordered_json{{"say", text}}.dump() << "\n";
    } else {
        m_out << "\n== " << text << "\n";
    }
}

void Interpreter::Fail(const std::string& expected, const std::string& got) {
    m_lineFailures.push_back(m_file + ":" + std::to_string(m_line) + ": expected " + expected + ", got " + got);
}

void Interpreter::Expect(const Args& args) {
    if (args.empty()) {
        std::string kinds;
        for (const auto& e : Expectations()) {
            kinds += " " + e.first;
        }
        throw ParseError("expect needs a kind:" + kinds);
    }
    const auto it = Expectations().find(args[0].text);
    if (it == Expectations().end()) {
        throw ParseError("unknown expectation '" + args[0].text + "'");
    }
    it->second.handler(*this, Args(args.begin() + 1, args.end()));
}

namespace {

// The owner of the size controller's operations.
constexpr const char* kSizeControlClass = "TCSizeControl";
constexpr const char* kSinkProperty = "610";

// A value as one script token: quoted when it holds blanks, quotes or
// starts a comment.
std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    }
    return quoted + "\"";
}

std::string TokenText(const std::string& text) {
    const bool plain = !text.empty() && text.find_first_of(" \t\"\\") == std::string::npos && text[0] != '#';
    return plain ? text : Quote(text);
}

// The longest piece of a log line without an address in it ("0x" and eight
// or more hexadecimal digits): addresses change from run to run, and a log
// expectation matches a piece of the line.
std::string StablePart(const std::string& text) {
    std::string best;
    size_t start = 0;
    for (size_t at = text.find("0x"); ; at = text.find("0x", at + 2)) {
        size_t end = at == std::string::npos ? text.size() : at + 2;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        if (at == std::string::npos || end - at - 2 >= 8) {
            const std::string piece = text.substr(start, (at == std::string::npos ? text.size() : at) - start);
            best = piece.size() > best.size() ? piece : best;
            start = end;
        }
        if (at == std::string::npos) {
            return best;
        }
    }
}

void AddOnce(std::vector<std::string>& lines, const std::string& line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) {
        lines.push_back(line);
    }
}

}  // namespace

std::vector<std::string> Interpreter::FrozenExpectations(bool logs) {
    const Window& w = LastOperation();
    std::vector<std::string> lines;
    lines.push_back("expect result " + TokenText(w.result.hasResult ? w.result.result : "-"));
    for (const auto& o : w.result.outs) {
        lines.push_back("expect out " + o.first + " " + TokenText(o.second));
    }
    // What the window wrote, grouped by kind in the order the lines are written.
    bool sinkWritten = false;
    bool audioWritten = false;
    bool lbdSwitched = false;
    std::vector<std::string> fb, vconf, props, agent;
    for (const auto& e : JournalBetween(w.journalFrom, w.journalTo)) {
        const auto& a = e.args;
        if ((e.name == "tv_stream_set_property" && !a.empty() && a[0] == kSinkProperty) ||
            e.name == "tv_stream_atsc3_set_video_size") {
            sinkWritten = true;
        } else if (e.name == "tv_stream_set_property" && !a.empty()) {
            const auto v = host::LastSetProp(m_stream, std::atoi(a[0].c_str()));
            if (v) {
                AddOnce(props, "expect prop " + a[0] + " " + std::to_string(*v));
            }
        } else if (e.name == "fb_nv_store_screen_config_res" && a.size() >= 2) {
            const auto bytes = host::FbScreen(std::atoi(a[0].c_str()), std::atoi(a[1].c_str()));
            // Byte 7 is the record's padding, which the library never writes.
            std::string hex = host::FormatHex(bytes.data(), bytes.size());
            hex.replace(14, 2, "__");
            AddOnce(fb, "expect fb " + a[0] + " " + a[1] + " " + hex);
        } else if (e.name == "fb_nv_store_audio_config") {
            audioWritten = true;
        } else if ((e.name == "vconf_set_int" || e.name == "vconf_set_str") && !a.empty()) {
            const auto v = host::GetVconf(a[0]);
            if (v) {
                AddOnce(vconf, "expect vconf " + a[0] + " " +
                                   (v->isString ? Quote(v->strValue) : std::to_string(v->intValue)));
            }
        } else if (e.name == "TIAspectRatioAgent::SetPictureSizeInfo" && a.size() >= 3) {
            const auto size = host::AgentPictureSize(std::atoi(a[0].c_str()), std::atoi(a[1].c_str()), a[2] == "1");
            AddOnce(agent, "expect agent-size " + a[0] + " " + a[1] + " " + a[2] + " " +
                               (size ? std::to_string(*size) : "none"));
        } else if (e.name == "TIAspectRatioAgent::SetPictureSizeDetailInfo" && a.size() >= 3) {
            const auto option =
                host::AgentDetailOption(std::atoi(a[0].c_str()), std::atoi(a[1].c_str()), std::atoi(a[2].c_str()));
            AddOnce(agent, "expect agent-option " + a[0] + " " + a[1] + " " + a[2] + " " + FormatOption(option));
        } else if (e.name == "lumvideo_api_set_lbd_on" || e.name == "lumvideo_api_set_lbd_off") {
            lbdSwitched = true;
        }
    }
    const std::string sink = SinkText();
    if (sinkWritten && !sink.empty()) {
        lines.push_back("expect sink " + sink);
    }
    const auto events = host::Events();
    for (size_t i = w.eventFrom; i < w.eventTo && i < events.size(); ++i) {
        AddOnce(lines, "expect event " + std::to_string(events[i].event));
    }
    lines.insert(lines.end(), fb.begin(), fb.end());
    if (audioWritten) {
        const auto bytes = host::FbAudio();
        lines.push_back("expect fb-audio " + host::FormatHex(bytes.data(), bytes.size()));
    }
    lines.insert(lines.end(), vconf.begin(), vconf.end());
    lines.insert(lines.end(), props.begin(), props.end());
    lines.insert(lines.end(), agent.begin(), agent.end());
    const std::optional<bool> lbd = host::LetterboxDetector();
    if (lbdSwitched && lbd) {
        lines.push_back(std::string("expect lbd ") + (*lbd ? "on" : "off"));
    }
    // The controller exists after one of its own operations; a first call
    // counts as a change from the normal state.
    if (std::find(m_controllers.begin(), m_controllers.end(), m_context.handle) != m_controllers.end()) {
        const int state = static_cast<int>(TCSizeControl::GetInstance(m_context.handle)->GetCurrentScreenState());
        if (state != w.stateBefore) {
            lines.push_back("expect state " + std::to_string(state));
        }
    }
    if (w.assertTo > w.assertFrom) {
        lines.push_back("expect assert");
    }
    if (w.owner == kSizeControlClass && !sinkWritten) {
        lines.push_back("expect no-sink-write");
    }
    if (logs) {
        for (const auto& l : LogBetween(w.logFrom, w.logTo)) {
            std::string text = StablePart(l.text.substr(0, l.text.find('\n')));
            while (!text.empty() && text.back() == ' ') {
                text.pop_back();
            }
            if (l.level <= 1 && !text.empty()) {
                AddOnce(lines, "expect log " + Quote(text));
            }
        }
    }
    return lines;
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
    w.journalFrom = host::JournalSize();
    w.logFrom = host::LogSize();
    w.assertFrom = host::AssertCount();
    w.eventFrom = host::Events().size();
    w.result = call(m_context);
    w.journalTo = host::JournalSize();
    w.logTo = host::LogSize();
    w.assertTo = host::AssertCount();
    w.eventTo = host::Events().size();
    m_window = w;
    ++m_operationCount;
    if (!known && op.owner == kSizeControlClass) {
        m_controllers.push_back(m_context.handle);
    }
    NoteAfdWss(name, args, w.journalFrom, w.journalTo);
    PrintOperation();
}

void Interpreter::PrintOperation() {
    if (m_options.quiet) {
        return;
    }
    const Window& w = m_window;
    const auto journal = JournalBetween(w.journalFrom, w.journalTo);
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
        m_out << line.dump() << "\n";
        for (const auto& e : journal) {
            m_out << nlohmann::ordered_json{{"call", e.name}, {"args", e.args}, {"result", e.result}}.dump() << "\n";
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
            m_out << "    | " << host::FormatJournalEntry(e) << "\n";
        }
    }
    if (m_options.operationLogLevel >= 0) {
        for (const auto& l : LogBetween(w.logFrom, w.logTo)) {
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
        const std::vector<Token> tokens = Tokenize(line);
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
    } catch (const ParseError& e) {
        ++m_errors;
        const std::string msg = file + ":" + std::to_string(lineNo) + ": error: " + e.what();
        if (m_options.json) {
            m_out << nlohmann::ordered_json{{"error", e.what()}, {"file", file}, {"line", lineNo}}.dump() << "\n";
        } else {
            m_out << msg << "\n";
        }
        return Status::Error;
    }
    for (const std::string& f : m_lineFailures) {
        ++m_failures;
        if (m_options.json) {
            m_out << nlohmann::ordered_json{{"fail", f}, {"file", file}, {"line", lineNo}}.dump() << "\n";
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

void Interpreter::NoteAfdWss(const std::string& name, const Args& args, size_t journalFrom, size_t journalTo) {
    if ((name == "ChangeVideoSizeByAFD" || name == "ChangeVideoSizeByWSS") && !args.empty()) {
        m_lastAfdWss = std::string(name == "ChangeVideoSizeByAFD" ? "AFD " : "WSS ") + args[0].text;
        return;
    }
    for (const auto& e : JournalBetween(journalFrom, journalTo)) {
        if (e.name != "tv_stream_get_property" || e.args.empty() || e.result != "0") {
            continue;
        }
        const int id = std::atoi(e.args[0].c_str());
        const auto value = m_props.find(id);
        if ((id == kAfdProperty || id == kWssProperty) && value != m_props.end()) {
            m_lastAfdWss = std::string(id == kAfdProperty ? "AFD " : "WSS ") + std::to_string(value->second);
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
