// The console's expectations: checking what the last operation did, and
// writing the expectations that hold now (freeze).
#include <string>
#include <vector>

#include "Interpreter.h"
#include "ScriptArgs.h"
#include <tvav/SizeControl.h>
#include "host/HostControl.h"

namespace avctl {

using namespace script;

namespace {

// A line the library printed on standard output or error (see OutputCapture).
bool IsPrint(const host::JournalEntry& e) {
    return (e.name == "stdout" || e.name == "stderr") && e.args.size() == 1;
}

}  // namespace

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
                      for (const auto& e : w.journal) {
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
                         for (const auto& e : w.journal) {
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
                       for (const auto& e : w.journal) {
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
                     for (const auto& l : w.logs) {
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
                        for (const auto& l : w.logs) {
                            if (l.text.find(a[0].text) != std::string::npos) {
                                in.Fail("no-log \"" + a[0].text + "\"", "\"" + l.text + "\"");
                                return;
                            }
                        }
                    }}},
        {"print", {"expect print \"TEXT\"",
                   [](Interpreter& in, const Args& a) {
                       NeedCount(a, 1, "expect print", "expect print \"TEXT\"");
                       for (const auto& e : in.LastOperation().journal) {
                           if (IsPrint(e) && e.args[0].find(a[0].text) != std::string::npos) {
                               return;
                           }
                       }
                       in.Fail("print \"" + a[0].text + "\"", "no such line");
                   }}},
        {"no-print", {"expect no-print \"TEXT\"",
                      [](Interpreter& in, const Args& a) {
                          NeedCount(a, 1, "expect no-print", "expect no-print \"TEXT\"");
                          for (const auto& e : in.LastOperation().journal) {
                              if (IsPrint(e) && e.args[0].find(a[0].text) != std::string::npos) {
                                  in.Fail("no-print \"" + a[0].text + "\"", host::FormatJournalEntry(e));
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
                               for (const auto& e : w.journal) {
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
    ++m_expectationsChecked;
}

namespace {

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
    for (const auto& e : w.journal) {
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
        for (const auto& l : w.logs) {
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

}  // namespace avctl
