#include "Operations.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

#include <tvav/AVCheck.h>
#include <tvav/AnalogMts.h>
#include <tvav/AnalogMtsATSC.h>
#include <tvav/AnalogMtsDVB.h>
#include <tvav/ObjectFactoryTv.h>
#include "OperationBinding.h"
#include <tvav/SizeControl.h>

namespace avctl {
namespace binding {

std::string Demangle(const char* mangled) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && text ? std::string(text.get()) : std::string(mangled);
}

std::vector<std::pair<std::string, std::string>> SplitParamNames(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const Token& t : Tokenize(text)) {
        const size_t eq = t.text.find('=');
        if (eq == std::string::npos) {
            names.emplace_back(t.text, "");
        } else {
            names.emplace_back(t.text.substr(0, eq), t.text.substr(eq + 1));
        }
    }
    return names;
}

void SplitArguments(const std::vector<Token>& tokens, std::vector<const Token*>& positional,
                    std::map<std::string, std::string>& presets) {
    for (const Token& t : tokens) {
        const size_t eq = t.quoted ? std::string::npos : t.text.find('=');
        if (eq == std::string::npos || eq == 0) {
            positional.push_back(&t);
            continue;
        }
        const std::string name = t.text.substr(0, eq);
        if (presets.count(name) != 0) {
            throw ParseError("out parameter '" + name + "' is preset twice");
        }
        presets[name] = t.text.substr(eq + 1);
    }
}

// The object each class's operations run on; reaching it is part of the
// operation's window.
template <>
TCSizeControl* InstanceOf<TCSizeControl>(CallContext& context) {
    return TCSizeControl::GetInstance(context.handle);
}

template <>
TCAVCheck* InstanceOf<TCAVCheck>(CallContext&) {
    return TCAVCheck::GetInstance();
}

template <>
TCAnalogMts* InstanceOf<TCAnalogMts>(CallContext&) {
    return TCAnalogMts::GetInstance();
}

// A region controller's own operations need the current region to be its.
template <typename Controller>
Controller* RegionController(CallContext& context) {
    TCAnalogMts* current = InstanceOf<TCAnalogMts>(context);
    auto* controller = dynamic_cast<Controller*>(current);
    if (controller == nullptr) {
        throw ParseError("the sound controller of the current region is " +
                         (current != nullptr ? Demangle(typeid(*current).name()) : std::string("none")) + ", not " +
                         Demangle(typeid(Controller).name()) + " (set the region with option 0)");
    }
    return controller;
}

template <>
TCAnalogMtsATSC* InstanceOf<TCAnalogMtsATSC>(CallContext& context) {
    return RegionController<TCAnalogMtsATSC>(context);
}

template <>
TCAnalogMtsDVB* InstanceOf<TCAnalogMtsDVB>(CallContext& context) {
    return RegionController<TCAnalogMtsDVB>(context);
}

template <>
TCObjectFactoryTv* InstanceOf<TCObjectFactoryTv>(CallContext&) {
    auto* factory = dynamic_cast<TCObjectFactoryTv*>(TCObjectFactory::GetInstance());
    if (factory == nullptr) {
        throw ParseError("no TV object factory is registered with the framework");
    }
    return factory;
}

}  // namespace binding

namespace {

// Every public operation of the library, one entry each. The parameter names
// are the declaration's; the stream, the key and the handle are passed from
// the console's current ones, out parameters are printed as name=value.
std::vector<Operation> BuildTable() {
    return {
        // Size controller: TCSizeControl::GetInstance of the current handle; the
        // static SetFlagSkipFBterminate directly.
        AVCTL_OP(TCSizeControl, GetInstance, "handle"),
        AVCTL_OP(TCSizeControl, SetSize, "stream key x y height width"),
        AVCTL_OP(TCSizeControl, SetSizeInfo, "x y height width"),
        AVCTL_OP(TCSizeControl, SetCropVideo, "stream src dst"),
        AVCTL_OP(TCSizeControl, SetDefaultSize, "stream key"),
        AVCTL_OP(TCSizeControl, GetDefaultSize, "stream key src dst"),
        AVCTL_OP(TCSizeControl, SetDefaultSizeInfo, ""),
        AVCTL_OP(TCSizeControl, GetSize, "x y height width"),
        AVCTL_OP(TCSizeControl, GetCropVideoInfo, "src dst"),
        AVCTL_OP(TCSizeControl, ChangeVideoSizeByWSS, "stream key wss screenModePreview"),
        AVCTL_OP(TCSizeControl, ChangeVideoSizeByAFD, "stream key afd screenModePreview"),
        AVCTL_OP(TCSizeControl, SetScreenFitPosition, "stream key x y"),
        AVCTL_OP(TCSizeControl, Set21to9_AutoSize,
                 "stream key bLogoDetected bCaptionDetected TopBlankLine BottomBlankLine"),
        AVCTL_OVERLOAD(TCSizeControl, SetPictureSize, int(TVStream, TSAspectRatioKey, EPictureSizeType, bool),
                       "stream key size bSave"),
        AVCTL_OVERLOAD(TCSizeControl, SetPictureSize, int(TVStream, TSAspectRatioKey), "stream key"),
        AVCTL_OP(TCSizeControl, GetPictureSize, "key size"),
        AVCTL_OP(TCSizeControl, GetKOVASourceType, "key source"),
        AVCTL_OP(TCSizeControl, RefreshGFXRectSize, "stream"),
        AVCTL_OP(TCSizeControl, SetZoomSize, "stream key hStep vStep"),
        AVCTL_OP(TCSizeControl, SetZoomPosition, "stream key dx dy"),
        AVCTL_OP(TCSizeControl, GetZoomPosition, "key dx dy"),
        AVCTL_OP(TCSizeControl, GetZoomSize, "key width height"),
        AVCTL_OP(TCSizeControl, GetScreenFitOption, "stream key option"),
        AVCTL_OP(TCSizeControl, SetScreenFitOption, "stream key option bSave"),
        AVCTL_OP(TCSizeControl, ResetPictureSize, "stream key"),
        AVCTL_OP(TCSizeControl, GetAutoWideOption, "key onOff"),
        AVCTL_OP(TCSizeControl, SetAutoWideOption, "stream key onOff bSave"),
        AVCTL_OP(TCSizeControl, GetScreenMode, "key mode"),
        AVCTL_OP(TCSizeControl, SetScreenMode, "stream key mode bSave"),
        AVCTL_OP(TCSizeControl, SetPanoramaOption, "stream key onOff bSave"),
        AVCTL_OP(TCSizeControl, GetPanoramaOption, "key onOff"),
        AVCTL_OP(TCSizeControl, InitializeData, ""),
        AVCTL_OP(TCSizeControl, InitializeDataForFBStore, ""),
        AVCTL_OP(TCSizeControl, SetLiveTvShowState, "onOff"),
        AVCTL_OP(TCSizeControl, ResetPictureSizeDetailOption, "subMenu"),
        AVCTL_OP(TCSizeControl, GetAFDGeometryRectSize, "x y width height"),
        AVCTL_OP(TCSizeControl, SetPrevResolutionInfo, "resolution horizontal vertical"),
        AVCTL_OP(TCSizeControl, SetStillMode, "bStill"),
        AVCTL_OP(TCSizeControl, GetCurrentScreenState, ""),
        AVCTL_OP(TCSizeControl, SetCurrentScreenState, "eState"),
        AVCTL_OP(TCSizeControl, SetCoarse, "stream key value bSave"),
        AVCTL_OP(TCSizeControl, GetCoarse, "key value"),
        AVCTL_OP(TCSizeControl, SetFine, "stream key value bSave"),
        AVCTL_OP(TCSizeControl, GetFine, "key value"),
        AVCTL_OP(TCSizeControl, SetPcPosition, "stream key horizontal vertical bSave"),
        AVCTL_OP(TCSizeControl, GetPcPosition, "key horizontal vertical"),
        AVCTL_OP(TCSizeControl, SetAutoAdjustment, "stream key value bSave"),
        AVCTL_OP(TCSizeControl, GetAutoAdjustment, "key value"),
        AVCTL_OP(TCSizeControl, SaveAutoAdjustment, "stream key value"),
        AVCTL_OP(TCSizeControl, SetPCPositionByAutoAdjustment, "stream key horizontal vertical bSave"),
        AVCTL_OP(TCSizeControl, GetHVofPcPosition, "key horizontal vertical"),
        AVCTL_OP(TCSizeControl, ResetPcPicture, "stream key"),
        AVCTL_OP(TCSizeControl, Get21to9SizeInfo, "info"),
        AVCTL_OP(TCSizeControl, Set21to9SizeInfo, "info"),
        AVCTL_OP(TCSizeControl, Reset21to9SizeInfo, ""),
        AVCTL_OP(TCSizeControl, SetPipelineTask, "pPipelineTask"),
        AVCTL_OP(TCSizeControl, SetFlagSkipFBterminate, "result"),
        AVCTL_OP(TCSizeControl, GetHandle, ""),
        AVCTL_FACTORY(TCObjectFactoryTv, GetSizeControl, "handle"),

        // Capability checks: TCAVCheck::GetInstance; the static ones directly.
        AVCTL_OP(TCAVCheck, GetInstance, ""),
        AVCTL_FACTORY(TCAVCheck, CreateInstance, "region"),
        AVCTL_OP(TCAVCheck, GetAVCheckRegion, "region"),
        AVCTL_OP(TCAVCheck, CheckAnalogMTS, "stream mode bCheck"),
        AVCTL_OP(TCAVCheck, CheckExceptionScreenState, "stream key type bPCMode"),
        AVCTL_OP(TCAVCheck, CheckScreenFitOption, "stream key sourceInfo option bCheck"),
        AVCTL_OP(TCAVCheck, CheckScreenFitPosition, "key sourceInfo bCheck"),
        AVCTL_OP(TCAVCheck, CheckAutoWideSupported, "onOff"),
        AVCTL_OP(TCAVCheck, CheckPictureSize, "stream key sourceInfo bCheck"),
        AVCTL_OP(TCAVCheck, CheckPictureSizeSubMenu, "key size submenu bCheck"),

        // Analog sound: TCAnalogMts::GetInstance; a region controller's own
        // operations when it is the current one.
        AVCTL_OP(TCAnalogMts, GetInstance, ""),
        AVCTL_OP(TCAnalogMts, SetAnalogMTS, "stream mode bSkipVconfStore=false"),
        AVCTL_OP(TCAnalogMts, SetAnalogMTSByCallback, "stream signal"),
        AVCTL_OP(TCAnalogMts, GetAnalogMTSBySignal, "stream mode"),
        AVCTL_OP(TCAnalogMts, SetAnalogMTSByChannelTune, "stream"),
        AVCTL_OP(TCAnalogMts, GetAnalogMTS, "stream mode"),
        AVCTL_OP(TCAnalogMts, ConvertTypeTvStreamAnalogMTSType, "signal"),
        AVCTL_OP(TCAnalogMts, ConvertTypeTvStreamAnalogDualAudioType, "signal"),
        AVCTL_OP(TCAnalogMtsATSC, ConvertTypeEMultiSoundMode, "mode"),
        AVCTL_OP(TCAnalogMtsDVB, ConvertTypeEMultiSoundMode, "mode"),
    };
}

}  // namespace

std::string ObjectNames::Name(const void* object, const std::string& className) {
    const auto it = m_ids.emplace(object, static_cast<int>(m_ids.size()) + 1).first;
    return className + "#" + std::to_string(it->second);
}

void ObjectNames::Keep(std::shared_ptr<void> object) { m_owned.push_back(std::move(object)); }

size_t Operation::MinArgs() const {
    size_t n = 0;
    for (const Param& p : params) {
        n += p.role == ParamRole::In && !p.hasDefault ? 1 : 0;
    }
    return n;
}

size_t Operation::MaxArgs() const {
    size_t n = 0;
    for (const Param& p : params) {
        n += p.role == ParamRole::In ? 1 : 0;
    }
    return n;
}

const Param* Operation::FindOut(const std::string& outName) const {
    for (const Param& p : params) {
        if (p.role == ParamRole::Out && p.name == outName) {
            return &p;
        }
    }
    return nullptr;
}

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> table = BuildTable();
    return table;
}

namespace {

std::vector<const Operation*> Named(const std::string& name) {
    std::vector<const Operation*> found;
    for (const Operation& op : Operations()) {
        if (op.name == name || op.QualifiedName() == name) {
            found.push_back(&op);
        }
    }
    return found;
}

}  // namespace

bool HasOperation(const std::string& name) { return !Named(name).empty(); }

const Operation& FindOperation(const std::string& name, const std::vector<Token>& args) {
    const std::vector<const Operation*> named = Named(name);
    if (named.empty()) {
        throw ParseError("unknown command '" + name + "' (try help)");
    }
    std::string forms;
    for (const Operation* op : named) {
        if (op->owner != named.front()->owner) {
            std::string choices;
            for (const Operation* o : named) {
                choices += (choices.empty() ? "" : " or ") + o->QualifiedName();
            }
            throw ParseError("'" + name + "' is ambiguous: write " + choices);
        }
        forms += (forms.empty() ? "" : " | ") + Signature(*op);
    }
    std::vector<const Token*> positional;
    std::map<std::string, std::string> presets;
    binding::SplitArguments(args, positional, presets);
    for (const Operation* op : named) {
        if (positional.size() >= op->MinArgs() && positional.size() <= op->MaxArgs()) {
            return *op;
        }
    }
    throw ParseError("wrong number of arguments for '" + name + "': usage: " + forms);
}

std::string Signature(const Operation& op) {
    std::string s = op.name;
    std::string outs;
    for (const Param& p : op.params) {
        if (p.role == ParamRole::In) {
            s += p.hasDefault ? " [" + p.name + ":" + p.type + "=" + p.defaultText + "]" : " " + p.name + ":" + p.type;
        } else if (p.role == ParamRole::Out) {
            outs += " " + p.name + "=" + p.type;
        }
    }
    return s + " => " + op.resultType + outs;
}

}  // namespace avctl
