#include "Operations.h"

#include "AVCheck.h"
#include "AnalogMts.h"
#include "SizeControl.h"

namespace avctl {
namespace {

TCSizeControl* Size(const CallContext& c) { return TCSizeControl::GetInstance(c.handle); }

OpResult Result(int value) {
    OpResult r;
    r.hasResult = true;
    r.result = std::to_string(value);
    return r;
}

OpResult Result(bool value) {
    OpResult r;
    r.hasResult = true;
    r.result = value ? "true" : "false";
    return r;
}

OpResult NoResult() { return OpResult(); }

int I(const std::vector<ArgValue>& a, size_t n) { return static_cast<int>(a[n].i); }
bool B(const std::vector<ArgValue>& a, size_t n) { return a[n].b; }

[[maybe_unused]] TSRectInfo R(const std::vector<ArgValue>& a, size_t n) {
    const Rect& r = a[n].rect;
    return TSRectInfo(r.x, r.y, r.width, r.height);
}

TSSourceTypeInfo SourceInfo(const std::vector<ArgValue>& a, size_t n) {
    TSSourceTypeInfo info;
    info.profileId = static_cast<int32_t>(a[n].list[0]);
    info.pipelineType = static_cast<int32_t>(a[n].list[1]);
    info.reserved = static_cast<int32_t>(a[n].list[2]);
    info.pictureSize = static_cast<EPictureSizeType>(a[n].list[3]);
    return info;
}

constexpr ArgKind kInt = ArgKind::Int;
constexpr ArgKind kBool = ArgKind::Bool;
constexpr ArgKind kSrcInfo = ArgKind::SourceInfo;

// One entry per public operation: name, class, arguments after the stream and
// the key, out parameters, and the call.
const std::vector<Operation>& Table() {
    static const std::vector<Operation> table = {
        // Size controller (TCSizeControl::GetInstance of the current handle).
        {"GetSize", "TCSizeControl", {}, {"x", "y", "height", "width"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             int x = 0, y = 0, h = 0, w = 0;
             const int r = Size(c)->GetSize(x, y, h, w);
             return Result(r).Out("x", x).Out("y", y).Out("height", h).Out("width", w);
         }},
        {"GetCropVideoInfo", "TCSizeControl", {}, {"src", "dst"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             TSRectInfo src, dst;
             const int r = Size(c)->GetCropVideoInfo(src, dst);
             return Result(r).Out("src", src).Out("dst", dst);
         }},
        {"InitializeData", "TCSizeControl", {}, {},
         [](CallContext& c, const std::vector<ArgValue>&) { return Result(Size(c)->InitializeData()); }},
        {"SetLiveTvShowState", "TCSizeControl", {{"onOff", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             Size(c)->SetLiveTvShowState(B(a, 0));
             return NoResult();
         }},
        {"SetPrevResolutionInfo", "TCSizeControl", {{"resolution", kInt}, {"horizontal", kInt}, {"vertical", kInt}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             Size(c)->SetPrevResolutionInfo(I(a, 0), static_cast<unsigned>(a[1].i), static_cast<unsigned>(a[2].i));
             return NoResult();
         }},
        {"SetStillMode", "TCSizeControl", {{"bStill", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             Size(c)->SetStillMode(B(a, 0));
             return NoResult();
         }},
        {"GetCurrentScreenState", "TCSizeControl", {}, {},
         [](CallContext& c, const std::vector<ArgValue>&) {
             return Result(static_cast<int>(Size(c)->GetCurrentScreenState()));
         }},
        {"SetCurrentScreenState", "TCSizeControl", {{"eState", kInt}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             Size(c)->SetCurrentScreenState(static_cast<TCSizeControl::EScreenStateType>(I(a, 0)));
             return NoResult();
         }},
        {"SetCoarse", "TCSizeControl", {{"value", kInt}, {"bSave", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(Size(c)->SetCoarse(c.stream, c.key, I(a, 0), B(a, 1)));
         }},
        {"GetCoarse", "TCSizeControl", {}, {"value"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             int v = 0;
             const int r = Size(c)->GetCoarse(c.key, v);
             return Result(r).Out("value", v);
         }},
        {"SetFine", "TCSizeControl", {{"value", kInt}, {"bSave", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(Size(c)->SetFine(c.stream, c.key, I(a, 0), B(a, 1)));
         }},
        {"GetFine", "TCSizeControl", {}, {"value"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             int v = 0;
             const int r = Size(c)->GetFine(c.key, v);
             return Result(r).Out("value", v);
         }},
        {"SetPcPosition", "TCSizeControl", {{"horizontal", kInt}, {"vertical", kInt}, {"bSave", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(Size(c)->SetPcPosition(c.stream, c.key, I(a, 0), I(a, 1), B(a, 2)));
         }},
        {"GetPcPosition", "TCSizeControl", {}, {"horizontal", "vertical"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             int h = 0, v = 0;
             const int r = Size(c)->GetPcPosition(c.key, h, v);
             return Result(r).Out("horizontal", h).Out("vertical", v);
         }},
        {"SetAutoAdjustment", "TCSizeControl", {{"value", kInt}, {"bSave", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(Size(c)->SetAutoAdjustment(c.stream, c.key, I(a, 0), B(a, 1)));
         }},
        {"GetAutoAdjustment", "TCSizeControl", {}, {"value"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             int v = 0;
             const int r = Size(c)->GetAutoAdjustment(c.key, v);
             return Result(r).Out("value", v);
         }},
        {"SaveAutoAdjustment", "TCSizeControl", {{"value", kInt}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(Size(c)->SaveAutoAdjustment(c.stream, c.key, I(a, 0)));
         }},
        {"SetPCPositionByAutoAdjustment", "TCSizeControl", {{"horizontal", kInt}, {"vertical", kInt}, {"bSave", kBool}},
         {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(Size(c)->SetPCPositionByAutoAdjustment(c.stream, c.key, I(a, 0), I(a, 1), B(a, 2)));
         }},
        {"GetHVofPcPosition", "TCSizeControl", {}, {"horizontal", "vertical"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             int h = 0, v = 0;
             const int r = Size(c)->GetHVofPcPosition(c.key, h, v);
             return Result(r).Out("horizontal", h).Out("vertical", v);
         }},
        {"ResetPcPicture", "TCSizeControl", {}, {},
         [](CallContext& c, const std::vector<ArgValue>&) { return Result(Size(c)->ResetPcPicture(c.stream, c.key)); }},
        {"Get21to9SizeInfo", "TCSizeControl", {}, {"bUpdated", "bLogoDetected", "bCaptionDetected", "TopBlankLine",
                                                   "BottomBlankLine"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             TS21to9SizeInfo info;
             Size(c)->Get21to9SizeInfo(info);
             OpResult r = NoResult();
             return r.Out("bUpdated", info.bUpdated)
                 .Out("bLogoDetected", info.bLogoDetected)
                 .Out("bCaptionDetected", info.bCaptionDetected)
                 .Out("TopBlankLine", info.TopBlankLine)
                 .Out("BottomBlankLine", info.BottomBlankLine);
         }},
        {"Set21to9SizeInfo", "TCSizeControl",
         {{"bUpdated", kBool}, {"bLogoDetected", kBool}, {"bCaptionDetected", kBool}, {"TopBlankLine", kInt},
          {"BottomBlankLine", kInt}},
         {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             TS21to9SizeInfo info;
             info.bUpdated = B(a, 0);
             info.bLogoDetected = B(a, 1);
             info.bCaptionDetected = B(a, 2);
             info.TopBlankLine = I(a, 3);
             info.BottomBlankLine = I(a, 4);
             Size(c)->Set21to9SizeInfo(info);
             return NoResult();
         }},
        {"Reset21to9SizeInfo", "TCSizeControl", {}, {},
         [](CallContext& c, const std::vector<ArgValue>&) {
             Size(c)->Reset21to9SizeInfo();
             return NoResult();
         }},

        // Capability checks (TCAVCheck::GetInstance; static ones directly).
        {"GetAVCheckRegion", "TCAVCheck", {{"region", kInt}}, {},
         [](CallContext&, const std::vector<ArgValue>& a) {
             return Result(static_cast<int>(TCAVCheck::GetAVCheckRegion(I(a, 0))));
         }},
        {"CheckAnalogMTS", "TCAVCheck", {{"mode", kInt}}, {"bCheck"},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             bool bCheck = false;
             TCAVCheck::GetInstance()->CheckAnalogMTS(c.stream, static_cast<EMultiSoundMode>(I(a, 0)), bCheck);
             return NoResult().Out("bCheck", bCheck);
         }},
        {"CheckExceptionScreenState", "TCAVCheck", {{"type", kInt}, {"bPCMode", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(TCAVCheck::CheckExceptionScreenState(
                 c.stream, c.key, static_cast<EExceptionScreenStateType>(I(a, 0)), B(a, 1)));
         }},
        {"CheckScreenFitOption", "TCAVCheck", {{"sourceInfo", kSrcInfo}, {"option", kInt}}, {"bCheck"},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             bool bCheck = false;
             TCAVCheck::GetInstance()->CheckScreenFitOption(c.stream, c.key, SourceInfo(a, 0),
                                                            static_cast<EScreenFitOptionType>(I(a, 1)), bCheck);
             return NoResult().Out("bCheck", bCheck);
         }},
        {"CheckScreenFitPosition", "TCAVCheck", {{"sourceInfo", kSrcInfo}}, {"bCheck"},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             bool bCheck = false;
             TCAVCheck::GetInstance()->CheckScreenFitPosition(c.key, SourceInfo(a, 0), bCheck);
             return NoResult().Out("bCheck", bCheck);
         }},
        {"CheckAutoWideSupported", "TCAVCheck", {}, {"onOff"},
         [](CallContext&, const std::vector<ArgValue>&) {
             bool onOff = false;
             TCAVCheck::GetInstance()->CheckAutoWideSupported(onOff);
             return NoResult().Out("onOff", onOff);
         }},

        // Analog sound (TCAnalogMts::GetInstance).
        {"SetAnalogMTS", "TCAnalogMts", {{"mode", kInt}, {"bSkipVconfStore", kBool}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(
                 TCAnalogMts::GetInstance()->SetAnalogMTS(c.stream, static_cast<EMultiSoundMode>(I(a, 0)), B(a, 1)));
         }},
        {"SetAnalogMTS", "TCAnalogMts", {{"mode", kInt}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(TCAnalogMts::GetInstance()->SetAnalogMTS(c.stream, static_cast<EMultiSoundMode>(I(a, 0))));
         }},
        {"SetAnalogMTSByCallback", "TCAnalogMts", {{"signal", kInt}}, {},
         [](CallContext& c, const std::vector<ArgValue>& a) {
             return Result(TCAnalogMts::GetInstance()->SetAnalogMTSByCallback(c.stream, I(a, 0)));
         }},
        {"GetAnalogMTSBySignal", "TCAnalogMts", {}, {"mode"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
             const bool r = TCAnalogMts::GetInstance()->GetAnalogMTSBySignal(c.stream, mode);
             return Result(r).Out("mode", static_cast<int>(mode));
         }},
        {"SetAnalogMTSByChannelTune", "TCAnalogMts", {}, {},
         [](CallContext& c, const std::vector<ArgValue>&) {
             return Result(TCAnalogMts::GetInstance()->SetAnalogMTSByChannelTune(c.stream));
         }},
        {"GetAnalogMTS", "TCAnalogMts", {}, {"mode"},
         [](CallContext& c, const std::vector<ArgValue>&) {
             EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
             const bool r = TCAnalogMts::GetInstance()->GetAnalogMTS(c.stream, mode);
             return Result(r).Out("mode", static_cast<int>(mode));
         }},
        {"ConvertTypeTvStreamAnalogMTSType", "TCAnalogMts", {{"signal", kInt}}, {},
         [](CallContext&, const std::vector<ArgValue>& a) {
             return Result(static_cast<int>(TCAnalogMts::GetInstance()->ConvertTypeTvStreamAnalogMTSType(
                 static_cast<TvStreamAnalogMTSType>(I(a, 0)))));
         }},
        {"ConvertTypeTvStreamAnalogDualAudioType", "TCAnalogMts", {{"signal", kInt}}, {},
         [](CallContext&, const std::vector<ArgValue>& a) {
             return Result(static_cast<int>(TCAnalogMts::GetInstance()->ConvertTypeTvStreamAnalogDualAudioType(
                 static_cast<TvStreamAnalogDualAudioType>(I(a, 0)))));
         }},
    };
    return table;
}

}  // namespace

const std::vector<Operation>& Operations() { return Table(); }

const Operation* FindOperation(const std::string& name, size_t argc) {
    for (const Operation& op : Table()) {
        if (op.name == name && op.args.size() == argc) {
            return &op;
        }
    }
    return nullptr;
}

bool HasOperation(const std::string& name) {
    for (const Operation& op : Table()) {
        if (op.name == name) {
            return true;
        }
    }
    return false;
}

std::string Signature(const Operation& op) {
    std::string s = op.name;
    for (const ArgSpec& a : op.args) {
        s += " ";
        s += a.name;
        switch (a.kind) {
            case ArgKind::Bool: s += ":bool"; break;
            case ArgKind::Rect: s += ":x,y,w,h"; break;
            case ArgKind::SourceInfo: s += ":profile,pipeline,_,size"; break;
            case ArgKind::Int: break;
        }
    }
    if (!op.outs.empty()) {
        s += "  ->";
        for (const std::string& o : op.outs) {
            s += " " + o;
        }
    }
    s += "   (" + op.owner + ")";
    return s;
}

ArgValue ParseArg(const Token& token, const ArgSpec& spec) {
    ArgValue v;
    switch (spec.kind) {
        case ArgKind::Int: v.i = ParseInt(token.text, spec.name); break;
        case ArgKind::Bool: v.b = ParseBool(token.text, spec.name); break;
        case ArgKind::Rect: v.rect = ParseRect(token.text, spec.name); break;
        case ArgKind::SourceInfo: v.list = ParseIntList(token.text, 4, spec.name); break;
    }
    return v;
}

}  // namespace avctl
