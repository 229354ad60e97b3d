// Turns a library function into an operation the console can call: the
// parameter list, the script form of each value and the call itself are
// deduced from the function's type, so an operation is registered with one
// table entry (see the AVCTL_ macros at the end).
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include <tvav/AVTypes.h>
#include "tv_stream.h"
#include "Names.h"
#include "Operations.h"
#include "Script.h"

namespace avctl {
namespace binding {

std::string Demangle(const char* mangled);
// "a b c=1" -> {"a", ""}, {"b", ""}, {"c", "1"}
std::vector<std::pair<std::string, std::string>> SplitParamNames(const std::string& text);
// Positional arguments, and NAME=VALUE presets of out parameters (their value
// going in, for parameters that are read as well as written).
void SplitArguments(const std::vector<Token>& tokens, std::vector<const Token*>& positional,
                    std::map<std::string, std::string>& presets);

template <typename T>
inline constexpr bool kNoScriptForm = false;

// The object an operation of class C runs on; specialised per class in
// Operations.cpp. Throws ParseError when there is none.
template <typename C>
C* InstanceOf(CallContext& context);

// ---------------------------------------------------------------------------
// How each parameter is given
// ---------------------------------------------------------------------------
template <typename A>
constexpr ParamRole RoleOf() {
    using D = std::decay_t<A>;
    if constexpr (std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>) {
        return ParamRole::Out;
    } else if constexpr (std::is_same_v<D, TVStream>) {
        return ParamRole::Stream;
    } else if constexpr (std::is_same_v<D, TSAspectRatioKey>) {
        return ParamRole::Key;
    } else if constexpr (std::is_same_v<D, ORBHandle>) {
        return ParamRole::Handle;
    } else {
        return ParamRole::In;
    }
}

// ---------------------------------------------------------------------------
// Script form of values
// ---------------------------------------------------------------------------
template <typename T>
std::string TypeName() {
    if constexpr (std::is_same_v<T, void>) {
        return "-";
    } else if constexpr (std::is_same_v<T, bool>) {
        return "bool";
    } else if constexpr (std::is_same_v<T, TSRectInfo>) {
        return "x,y,w,h";
    } else if constexpr (std::is_same_v<T, TSSourceTypeInfo>) {
        return "profileId,pipelineType,reserved,pictureSize";
    } else if constexpr (std::is_same_v<T, TS21to9SizeInfo>) {
        return "bUpdated,bLogoDetected,bCaptionDetected,TopBlankLine,BottomBlankLine";
    } else if constexpr (std::is_same_v<T, ORBHandle>) {
        return "p,s";
    } else {
        return Demangle(typeid(T).name());
    }
}

// The largest enumerator of an enumeration of the platform's C headers. Such
// an enumeration has no fixed type: its values are only those that fit the
// bits of its largest enumerator, anything else (a negative tuner code, say)
// is no value of the type. An operation taking another one fails to compile
// until it is listed here.
template <typename T>
struct CEnumLargest;
template <>
struct CEnumLargest<TvStreamAnalogMTSType> {
    static constexpr int64_t value = TV_ANALOG_MTS_STEREO_SAP;
};
template <>
struct CEnumLargest<TvStreamAnalogDualAudioType> {
    static constexpr int64_t value = TV_ANALOG_DUAL_DUAL_II;
};

// All ones up to the highest bit of `largest`: 7 for 5, 15 for 10.
constexpr int64_t RepresentableMax(int64_t largest) {
    int64_t max = 0;
    while (max < largest) max = max * 2 + 1;
    return max;
}

// An integer or enumeration value in its type's range; an enumeration of the
// platform's C headers (unsigned 32-bit underneath) in its representable range.
template <typename T>
T ParseIntegral(const std::string& text, const std::string& what) {
    static_assert(sizeof(T) <= 4, "values wider than 32 bits are not supported");
    using U = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::common_type<T>>::type;
    int64_t v = 0;
    const NameTable* names = NamesOf<T>();
    if (names != nullptr && !TryParseInt(text, v)) {
        if (!ValueOfName(*names, text, v)) {
            throw ParseError("bad value '" + text + "' for " + what + " (" + TypeName<T>() +
                             ": a number or one of " + ListNames(*names) + ")");
        }
        return static_cast<T>(v);
    }
    v = ParseInt(text, what.c_str());
    int64_t lo = static_cast<int64_t>(std::numeric_limits<U>::min());
    int64_t hi = static_cast<int64_t>(std::numeric_limits<U>::max());
    if constexpr (std::is_enum_v<T> && std::is_unsigned_v<U> && sizeof(U) == 4) {
        lo = 0;
        hi = RepresentableMax(CEnumLargest<T>::value);
    }
    if (v < lo || v > hi) {
        throw ParseError("value '" + text + "' is out of range for " + what + " (" + TypeName<T>() + ")");
    }
    return static_cast<T>(v);
}

template <typename T>
T ParseValue(const std::string& text, const std::string& what) {
    if constexpr (std::is_same_v<T, bool>) {
        return ParseBool(text, what.c_str());
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        return ParseIntegral<T>(text, what);
    } else if constexpr (std::is_same_v<T, TSRectInfo>) {
        const std::vector<std::string> f = SplitFields(text, 4, what.c_str(), "x,y,width,height");
        return TSRectInfo(ParseIntegral<int32_t>(f[0], what), ParseIntegral<int32_t>(f[1], what),
                          ParseIntegral<int32_t>(f[2], what), ParseIntegral<int32_t>(f[3], what));
    } else if constexpr (std::is_same_v<T, TSSourceTypeInfo>) {
        const std::vector<std::string> f = SplitFields(text, 4, what.c_str(), TypeName<T>().c_str());
        TSSourceTypeInfo info;
        info.profileId = ParseIntegral<int32_t>(f[0], what);
        info.pipelineType = ParseIntegral<int32_t>(f[1], what);
        info.reserved = ParseIntegral<int32_t>(f[2], what);
        info.pictureSize = ParseIntegral<EPictureSizeType>(f[3], what);
        return info;
    } else if constexpr (std::is_same_v<T, TS21to9SizeInfo>) {
        const std::vector<std::string> f = SplitFields(text, 5, what.c_str(), TypeName<T>().c_str());
        TS21to9SizeInfo info;
        info.bUpdated = ParseBool(f[0], what.c_str());
        info.bLogoDetected = ParseBool(f[1], what.c_str());
        info.bCaptionDetected = ParseBool(f[2], what.c_str());
        info.TopBlankLine = ParseIntegral<int32_t>(f[3], what);
        info.BottomBlankLine = ParseIntegral<int32_t>(f[4], what);
        return info;
    } else if constexpr (std::is_pointer_v<T>) {
        // Opaque pointers the library only keeps (a pipeline task): a number.
        return reinterpret_cast<T>(static_cast<uintptr_t>(ParseIntegral<uint32_t>(text, what)));
    } else {
        static_assert(kNoScriptForm<T>, "this parameter type has no script form yet: add it here");
    }
}

template <typename T>
std::string FormatValue(const T& v) {
    if constexpr (std::is_same_v<T, bool>) {
        return v ? "true" : "false";
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(v));
    } else if constexpr (std::is_same_v<T, TSRectInfo>) {
        return FormatRect(v.x, v.y, v.width, v.height);
    } else if constexpr (std::is_same_v<T, TSSourceTypeInfo>) {
        return JoinFields({v.profileId, v.pipelineType, v.reserved, v.pictureSize});
    } else if constexpr (std::is_same_v<T, TS21to9SizeInfo>) {
        return JoinFields({v.bUpdated, v.bLogoDetected, v.bCaptionDetected, v.TopBlankLine, v.BottomBlankLine});
    } else if constexpr (std::is_same_v<T, ORBHandle>) {
        return JoinFields({v.p, v.s});
    } else {
        static_assert(kNoScriptForm<T>, "this value type has no script form yet: add it here");
    }
}

// A returned object is shown as its class and a number that stays the same
// for the same object; objects the caller owns are kept until the end.
template <typename R>
std::string FormatResult(CallContext& context, R&& value, bool owned) {
    using D = std::decay_t<R>;
    if constexpr (std::is_pointer_v<D> && std::is_class_v<std::remove_pointer_t<D>>) {
        if (value == nullptr) {
            return "null";
        }
        using Object = std::remove_pointer_t<D>;
        const std::string name = context.objects.Name(value, Demangle(typeid(*value).name()));
        if (owned) {
            context.objects.Keep(std::shared_ptr<void>(value, [](void* p) { delete static_cast<Object*>(p); }));
        }
        return name;
    } else {
        return FormatValue<D>(value);
    }
}

// ---------------------------------------------------------------------------
// Function types
// ---------------------------------------------------------------------------
template <typename F>
struct FnTraits;
template <typename R, typename C, typename... A>
struct FnTraits<R (C::*)(A...)> {
    using Result = R;
    using Class = C;
    using Args = std::tuple<A...>;
    static constexpr bool kMember = true;
};
template <typename R, typename C, typename... A>
struct FnTraits<R (C::*)(A...) const> : FnTraits<R (C::*)(A...)> {};
template <typename R, typename... A>
struct FnTraits<R (*)(A...)> {
    using Result = R;
    using Class = void;
    using Args = std::tuple<A...>;
    static constexpr bool kMember = false;
};

// Member function pointer type of one overload, for static_cast selection.
template <typename C, typename Sig>
struct MemberOf;
template <typename C, typename R, typename... A>
struct MemberOf<C, R(A...)> {
    using Type = R (C::*)(A...);
};

template <auto F, typename Args = typename FnTraits<decltype(F)>::Args>
struct Binder;

template <auto F, typename... A>
struct Binder<F, std::tuple<A...>> {
    using Traits = FnTraits<decltype(F)>;
    using R = typename Traits::Result;
    using Declared = std::tuple<A...>;
    using Values = std::tuple<std::decay_t<A>...>;
    using Indexes = std::index_sequence_for<A...>;

    template <size_t I>
    using ArgType = std::tuple_element_t<I, Declared>;
    template <size_t I>
    using ValueType = std::tuple_element_t<I, Values>;

    static std::vector<Param> Params(const std::vector<std::pair<std::string, std::string>>& names) {
        return ParamsOf(names, Indexes{});
    }

    static Operation::Call Bind(const Operation& op, const std::vector<Token>& tokens) {
        std::vector<const Token*> positional;
        std::map<std::string, std::string> presets;
        SplitArguments(tokens, positional, presets);
        for (const auto& preset : presets) {
            if (op.FindOut(preset.first) == nullptr) {
                throw ParseError(op.name + " has no out parameter '" + preset.first + "'");
            }
        }
        Values values{};
        size_t next = 0;
        BindAll(op, values, positional, presets, next, Indexes{});
        if (next < positional.size()) {
            throw ParseError("too many arguments for '" + op.name + "'");
        }
        return [values, &op](CallContext& context) mutable { return Invoke(op, context, values, Indexes{}); };
    }

private:
    template <size_t... I>
    static std::vector<Param> ParamsOf(const std::vector<std::pair<std::string, std::string>>& names,
                                       std::index_sequence<I...>) {
        std::vector<Param> params;
        (params.push_back(ParamOf<I>(names[I])), ...);
        return params;
    }

    template <size_t I>
    static Param ParamOf(const std::pair<std::string, std::string>& name) {
        Param p;
        p.name = name.first;
        p.role = RoleOf<ArgType<I>>();
        p.type = TypeName<ValueType<I>>();
        if (!name.second.empty()) {
            if constexpr (RoleOf<ArgType<I>>() == ParamRole::In) {
                ParseValue<ValueType<I>>(name.second, p.name);  // a bad default is a table error
                p.hasDefault = true;
                p.defaultText = name.second;
            } else {
                throw std::logic_error("only plain arguments take a default: " + p.name);
            }
        }
        return p;
    }

    template <size_t... I>
    static void BindAll(const Operation& op, Values& values, const std::vector<const Token*>& positional,
                        const std::map<std::string, std::string>& presets, size_t& next, std::index_sequence<I...>) {
        (BindOne<I>(op.params[I], values, positional, presets, next), ...);
    }

    template <size_t I>
    static void BindOne(const Param& param, Values& values, const std::vector<const Token*>& positional,
                        const std::map<std::string, std::string>& presets, size_t& next) {
        constexpr ParamRole role = RoleOf<ArgType<I>>();
        if constexpr (role == ParamRole::In) {
            if (next < positional.size()) {
                std::get<I>(values) = ParseValue<ValueType<I>>(positional[next++]->text, param.name);
            } else if (param.hasDefault) {
                std::get<I>(values) = ParseValue<ValueType<I>>(param.defaultText, param.name);
            } else {
                throw ParseError("missing argument '" + param.name + "'");
            }
        } else if constexpr (role == ParamRole::Out) {
            const auto it = presets.find(param.name);
            if (it != presets.end()) {
                std::get<I>(values) = ParseValue<ValueType<I>>(it->second, param.name);
            }
        }
    }

    template <size_t I>
    static void FillContext(CallContext& context, Values& values) {
        constexpr ParamRole role = RoleOf<ArgType<I>>();
        if constexpr (role == ParamRole::Stream) {
            std::get<I>(values) = context.stream;
        } else if constexpr (role == ParamRole::Key) {
            std::get<I>(values) = context.key;
        } else if constexpr (role == ParamRole::Handle) {
            std::get<I>(values) = context.handle;
        }
    }

    template <size_t I>
    static void CollectOut(const Operation& op, OpResult& result, const Values& values) {
        if constexpr (RoleOf<ArgType<I>>() == ParamRole::Out) {
            result.outs.emplace_back(op.params[I].name, FormatValue<ValueType<I>>(std::get<I>(values)));
        }
    }

    template <size_t... I>
    static OpResult Invoke(const Operation& op, CallContext& context, Values& values, std::index_sequence<I...>) {
        (FillContext<I>(context, values), ...);
        OpResult result;
        if constexpr (Traits::kMember) {
            auto* object = InstanceOf<typename Traits::Class>(context);
            if constexpr (std::is_void_v<R>) {
                (object->*F)(std::get<I>(values)...);
            } else {
                result.hasResult = true;
                result.result = FormatResult(context, (object->*F)(std::get<I>(values)...), op.ownsResult);
            }
        } else {
            if constexpr (std::is_void_v<R>) {
                F(std::get<I>(values)...);
            } else {
                result.hasResult = true;
                result.result = FormatResult(context, F(std::get<I>(values)...), op.ownsResult);
            }
        }
        (CollectOut<I>(op, result, values), ...);
        return result;
    }
};

template <auto F>
Operation MakeOperation(const char* owner, const char* name, const char* params, bool ownsResult = false) {
    using B = Binder<F>;
    Operation op;
    op.owner = owner;
    op.name = name;
    op.resultType = TypeName<std::decay_t<typename B::R>>();
    op.ownsResult = ownsResult;
    const auto names = SplitParamNames(params);
    if (names.size() != std::tuple_size_v<typename B::Declared>) {
        throw std::logic_error(op.QualifiedName() + " takes " +
                               std::to_string(std::tuple_size_v<typename B::Declared>) + " parameters but the table names " +
                               std::to_string(names.size()));
    }
    op.params = B::Params(names);
    op.bind = &B::Bind;
    return op;
}

}  // namespace binding
}  // namespace avctl

// One table entry per operation. PARAMS names every parameter of the
// declaration in order (the stream and the key too); NAME=VALUE gives a
// default for a trailing argument.
#define AVCTL_OP(Class, Name, Params) ::avctl::binding::MakeOperation<&Class::Name>(#Class, #Name, Params)
// One overload of an overloaded member, selected by its signature.
#define AVCTL_OVERLOAD(Class, Name, Signature, Params)                                                       \
    ::avctl::binding::MakeOperation<static_cast<::avctl::binding::MemberOf<Class, Signature>::Type>(         \
        &Class::Name)>(#Class, #Name, Params)
// An operation that returns a new object the caller owns.
#define AVCTL_FACTORY(Class, Name, Params) \
    ::avctl::binding::MakeOperation<&Class::Name>(#Class, #Name, Params, true)
