// Instrumented call layer. Outside calls (and some of the library's own) go
// through HT_CALL / HT_CALL_MEMBER. With recording off a call costs a test of
// the runtime's global flag (and of this library's flag only when the global
// one is on), then a straight call; the recording path is out of line.
// With recording on, the call is written to the runtime's call store (a
// before-call record, the call, trap evaluation, an after-call record).
//
//   int r = HT_CALL(tv_stream_get_property, HT_DIRS(1, 1, 2, 1), stream, id, &value, nullptr);
//   int s = HT_CALL_MEMBER(this, &TCSizeControl::m_SetCropVideo, HT_DIRS(1, 1, 1, 1), a, b, c, d);
//
// Direction 1 records an argument before the call, 2 after it (out pointers).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>

#include <tvav/AVTypes.h>
#include "ht/HtRuntime.h"

// ---------------------------------------------------------------------------
// Library registration
// ---------------------------------------------------------------------------
// This library's recording flag. Hidden, so every shared object or executable
// that includes the layer owns its own flag; only the runtime sets it.
__attribute__((visibility("hidden"))) inline std::atomic<bool> libEnabled{false};

__attribute__((visibility("hidden"))) inline constexpr std::atomic<bool>* HtLibEnabled() { return &libEnabled; }

namespace {
// Per translation unit: register once at load, deregister once at unload.
int libInitialized = 0;
int libDeinitialized = 0;

[[maybe_unused]] void HtLibHelperInit() {
    if (libInitialized) return;
    libInitialized = 1;
    ht_register_library(HtLibEnabled());
}

[[maybe_unused]] void HtLibHelperDeinit() {
    if (libDeinitialized) return;
    libDeinitialized = 1;
    ht_deregister_library(HtLibEnabled());
}

struct HtLibHelper {
    HtLibHelper() { HtLibHelperInit(); }
    ~HtLibHelper() { HtLibHelperDeinit(); }
};
[[maybe_unused]] HtLibHelper htLibHelper;
}  // namespace

namespace ht {

// ---------------------------------------------------------------------------
// Directions
// ---------------------------------------------------------------------------
// One direction per argument, walked with Reset/GetNext. Missing directions
// read as 0 (not recorded).
class TCDirection {
public:
    static constexpr int kMaxArguments = 16;

    TCDirection() = default;
    template <class... D>
    explicit TCDirection(int count, D... directions) {
        static_assert((std::is_integral_v<D> && ...), "directions are integers");
        const int values[] = {0, static_cast<int>(directions)...};
        const int given = static_cast<int>(sizeof...(D));
        m_count = static_cast<uint8_t>(std::max(0, std::min({count, given, kMaxArguments})));
        for (int i = 0; i < m_count; ++i) m_values[i] = static_cast<uint8_t>(values[i + 1]);
    }

    void Reset() { m_pos = 0; }
    int GetNext() { return m_pos < m_count ? m_values[m_pos++] : (m_pos++, 0); }
    int Count() const { return m_count; }
    int At(int index) const { return index >= 0 && index < m_count ? m_values[index] : 0; }

private:
    uint8_t m_values[kMaxArguments] = {};
    uint8_t m_count = 0;
    uint8_t m_pos = 0;
};

template <class... A>
constexpr int CountArgs(const A&...) {
    return static_cast<int>(sizeof...(A));
}

// ---------------------------------------------------------------------------
// Argument traits
// ---------------------------------------------------------------------------
namespace detail {

template <class T, class = void>
struct IsComplete : std::false_type {};
template <class T>
struct IsComplete<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};

template <class T>
using Bare = std::remove_cv_t<std::remove_reference_t<T>>;

template <class T>
constexpr bool kIsString = std::is_pointer_v<T> && std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, char>;

// A pointer whose pointee is recorded: to a complete object type, not void,
// not a function.
template <class T>
constexpr bool FollowedPointer() {
    if constexpr (!std::is_pointer_v<T> || kIsString<T>) {
        return false;
    } else {
        using P = std::remove_cv_t<std::remove_pointer_t<T>>;
        if constexpr (std::is_void_v<P> || std::is_function_v<P>) return false;
        else return IsComplete<P>::value;
    }
}

// Size code of a value argument.
template <class T>
constexpr uint16_t ValueSizeCode() {
    if constexpr (std::is_enum_v<T>) return 4;
    else if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) return 4;
    else if constexpr (std::is_same_v<T, TSRectInfo>) return 28;
    else if constexpr (std::is_same_v<T, TSResolution>) return 20;
    else if constexpr (std::is_same_v<T, TSAspectRatioKey>) return 56;
    else return sizeof(T) < kIndirectSize ? static_cast<uint16_t>(sizeof(T)) : static_cast<uint16_t>(kIndirectSize - 1);
}

template <class T>
uint32_t Low32(const T& pointer) {
    if constexpr (std::is_null_pointer_v<T>) return 0;
    else return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

// Hands `sink(data, size)` the recorded bytes of a value, in the size its
// descriptor gives: the framework's records by the fields this library uses,
// in order and zero-padded (their marshalable base holds only a vtable
// address, no data), a pointer by its low 32 bits, anything else as it is.
template <class T, class Sink>
void WithBytes(const T& value, Sink&& sink) {
    if constexpr (std::is_same_v<T, TSRectInfo>) {
        const int32_t fields[7] = {value.x, value.y, value.width, value.height};
        static_assert(sizeof fields == ValueSizeCode<T>());
        sink(fields, sizeof fields);
    } else if constexpr (std::is_same_v<T, TSResolution>) {
        const uint32_t fields[5] = {value.horizontal, value.vertical, value.aspectratio, value.frequency,
                                    value.scanType};
        static_assert(sizeof fields == ValueSizeCode<T>());
        sink(fields, sizeof fields);
    } else if constexpr (std::is_same_v<T, TSAspectRatioKey>) {
        const TSResolution& r = value.resolutionInfo;
        const uint32_t fields[14] = {static_cast<uint32_t>(value.source), static_cast<uint32_t>(value.resolution),
                                     r.horizontal, r.vertical, r.aspectratio, r.frequency, r.scanType,
                                     static_cast<uint32_t>(value.reserved), value.dtv ? 1u : 0u};
        static_assert(sizeof fields == ValueSizeCode<T>());
        sink(fields, sizeof fields);
    } else if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
        const uint32_t low = Low32(value);
        sink(&low, sizeof low);
    } else {
        sink(&value, sizeof(T));
    }
}

// Demangled name; enumerations get the "enum_" prefix.
template <class T>
std::string ValueTypeName() {
    if constexpr (std::is_null_pointer_v<T>) return "void*";
    else if constexpr (std::is_enum_v<T>) return "enum_" + Demangle(typeid(T).name());
    else return Demangle(typeid(T).name());
}

// Descriptor of one argument of declared type T.
template <class T>
TSTypeDescriptor Describe(int direction) {
    TSTypeDescriptor d;
    d.direction = static_cast<uint8_t>(direction);
    using V = Bare<T>;
    // A const reference passes a value; other references are followed.
    if constexpr (std::is_reference_v<T> && !std::is_const_v<std::remove_reference_t<T>>) {
        d.name = ValueTypeName<V>();
        d.sizeCode = kIndirectSize;
    } else if constexpr (kIsString<V>) {
        d.name = "char";
        d.sizeCode = kIndirectSize;
    } else if constexpr (FollowedPointer<V>()) {
        d.name = ValueTypeName<std::remove_cv_t<std::remove_pointer_t<V>>>();
        d.sizeCode = kIndirectSize;
    } else {
        d.name = ValueTypeName<V>();
        d.sizeCode = ValueSizeCode<V>();
    }
    return d;
}

template <class T>
constexpr uint16_t ResultSizeCode() {
    using V = Bare<T>;
    if constexpr (std::is_same_v<V, bool> || std::is_same_v<V, int> || std::is_enum_v<V>) return 4;
    else return ValueSizeCode<V>();
}

// Appends one argument's value: a string without its terminator, a followed
// pointer by its pointee, anything else by its own bytes; null as a null item.
template <class T>
void AddValue(TSCallItemHelper& helper, const T& value) {
    auto add = [&helper](const void* data, size_t size) { helper.Add(data, size); };
    if constexpr (kIsString<T>) {
        if (value == nullptr) helper.AddNull();
        else helper.Add(value, std::strlen(value));
    } else if constexpr (FollowedPointer<T>()) {
        if (value == nullptr) helper.AddNull();
        else WithBytes(*value, add);
    } else {
        WithBytes(value, add);
    }
}

// Appends the result in the size of its descriptor (a bool as 4 bytes).
template <class R>
void AddResult(TSCallItemHelper& helper, const R& result) {
    if constexpr (std::is_same_v<R, bool>) {
        const uint32_t widened = result ? 1u : 0u;
        helper.Add(&widened, sizeof widened);
    } else {
        WithBytes(result, [&helper](const void* data, size_t size) { helper.Add(data, size); });
    }
}

// Stored type of argument I: the declared parameter, or for the variadic tail
// of a C function the decayed argument (nullptr as void*).
template <class T>
using TailArg = std::conditional_t<std::is_null_pointer_v<std::decay_t<T>>, void*, std::decay_t<T>>;

template <size_t I, class Params, class Args>
using StoredArg = typename std::conditional_t<(I < std::tuple_size_v<Params>), std::tuple_element<I, Params>,
                                              std::enable_if<true, TailArg<std::tuple_element_t<I, Args>>>>::type;

template <class Params, class Args, class Seq>
struct StoredTupleImpl;
template <class Params, class Args, size_t... I>
struct StoredTupleImpl<Params, Args, std::index_sequence<I...>> {
    using type = std::tuple<StoredArg<I, Params, Args>...>;
};
template <class Params, class... A>
using StoredTuple =
    typename StoredTupleImpl<Params, std::tuple<A...>, std::make_index_sequence<sizeof...(A)>>::type;

// ---------------------------------------------------------------------------
// Trap evaluation
// ---------------------------------------------------------------------------
template <class T>
constexpr bool kHasIntegerValue =
    std::is_integral_v<T> || std::is_enum_v<T> || std::is_pointer_v<T> || std::is_null_pointer_v<T>;

template <class T>
unsigned long long WidenedBits(const T& value) {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value));
    } else if constexpr (std::is_null_pointer_v<T>) {
        return 0;
    } else if constexpr (std::is_enum_v<T>) {
        return WidenedBits(static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_signed_v<T>) {
        return static_cast<unsigned long long>(static_cast<long long>(value));  // sign extension
    } else {
        return static_cast<unsigned long long>(value);
    }
}

template <class T>
std::string TextOf(const T& value) {
    if constexpr (kIsString<T>) {
        return value == nullptr ? std::string() : std::string(value);
    } else {
        std::string text;
        WithBytes(value, [&text](const void* data, size_t size) { text.assign(static_cast<const char*>(data), size); });
        return text;
    }
}

template <class T>
bool EvaluateItem(const TSTrapItem& item, const T& value) {
    switch (item.Kind()) {
        case 0:
            if constexpr (kHasIntegerValue<T>) return item.EvaluateResult(static_cast<long long>(WidenedBits(value)));
            return false;
        case 1:
            if constexpr (kHasIntegerValue<T>) return item.EvaluateResult(WidenedBits(value));
            return false;
        case 2:
            if constexpr (kIsString<T>) {
                if (value == nullptr) return false;
            }
            return item.EvaluateResult(TextOf(value));
        default:
            return false;
    }
}

template <class Tuple, size_t... I>
void EvaluateArguments(TCTrapArgumentHelper& helper, const Tuple& args, std::index_sequence<I...>) {
    const TCTrapCondition& condition = helper.Condition();
    auto one = [&](int index, const auto& value) {
        if (!helper.IsMatched() || !condition.ItemExists(index)) return;
        bool matched = true;
        for (const TSTrapItem& item : condition.GetItemsByIndex(index)) matched = EvaluateItem(item, value) && matched;
        helper.SetMatched(matched);
    };
    (one(static_cast<int>(I), std::get<I>(args)), ...);
}

}  // namespace detail

// Trap evaluation of one call: the armed condition of this site, if any, is
// evaluated argument by argument and queued, matched or not. The result is
// passed along but not evaluated.
template <class Tuple, class R>
void TrapPoint(const TSCodeLocation& location, const Tuple& args, const R& result) {
    (void)result;
    TCTrapPattern* traps = TCTrapPattern::Instance();
    std::string where = traps->NormalizeCodeLocation(location.file, location.line);
    std::shared_ptr<const TCTrapCondition> condition = traps->FindTrapCondition(where);
    if (!condition) return;
    TCTrapArgumentHelper helper(std::move(condition), std::move(where));
    detail::EvaluateArguments(helper, args, std::make_index_sequence<std::tuple_size_v<Tuple>>{});
    traps->AddItemToQueue(helper);
}

namespace detail {

// A member call without the layer's bookkeeping.
template <class O, class M, class... A>
inline decltype(auto) CallMember(O* object, M member, A&&... args) {
    return (object->*member)(std::forward<A>(args)...);
}

inline bool RecordingOn(const TSCodeLocation& location) {
    return TIStorageManagerState::enabled.load(std::memory_order_relaxed) &&
           location.libEnabled->load(std::memory_order_relaxed);
}

template <class Tuple, size_t... I>
void DescribeArguments(TCCallLocation& location, TCDirection& directions, bool registerRecords,
                       std::index_sequence<I...>) {
    directions.Reset();
    auto one = [&](auto tag) {
        using T = typename decltype(tag)::type;
        TSTypeDescriptor d = Describe<T>(directions.GetNext());
        location.AddArgument(d.name, d.direction, d.sizeCode);
        using V = Bare<T>;
        if constexpr (std::is_class_v<V>) {
            if (registerRecords) TIStorageManager::Instance()->RegisterType(d.name, ValueSizeCode<V>());
        }
    };
    (one(std::enable_if<true, std::tuple_element_t<I, Tuple>>{}), ...);
}

template <class Tuple, size_t... I>
void AddArguments(TSCallItemHelper& helper, TCDirection& directions, int bit, const Tuple& args,
                  std::index_sequence<I...>) {
    directions.Reset();
    auto one = [&](const auto& value) {
        if (directions.GetNext() & bit) AddValue(helper, value);
    };
    (one(std::get<I>(args)), ...);
}

// Steps 3-11 of a recorded call; `call` invokes the callee on the stored
// arguments. Kept out of line so the unrecorded path stays a small frame.
// A callee without result (R void) records no result item.
template <class R, class Stored, class Call, class... A>
__attribute__((noinline)) R RecordedCall(const TSCodeLocation& site, TCDirection directions, TSCPUStatistic& cpu,
                                         bool registerRecords, Call&& call, A&&... args) {
    using Seq = std::make_index_sequence<std::tuple_size_v<Stored>>;
    Stored stored(std::forward<A>(args)...);
    TIStorageManager* manager = TIStorageManager::Instance();
    TCStorage& store = manager->GetStorage();

    const uint32_t id = AcquireLocationId(*manager, site, [&](TCCallLocation& location) {
        DescribeArguments<Stored>(location, directions, registerRecords, Seq{});
        if constexpr (std::is_void_v<R>) location.SetResult("void", 0);
        else location.SetResult(ValueTypeName<Bare<R>>(), ResultSizeCode<R>());
    });

    {
        TSCallItemHelper before(store, kRecordBeforeCall, id);
        AddArguments(before, directions, kDirBefore, stored, Seq{});
        before.Commit();
    }

    const bool bCpu = manager->IsCpuStatisticsEnabled();
    // Closes the call with its after-call record; `result` is null when the
    // callee returns nothing or threw.
    auto finish = [&](const R* result) {
        if (bCpu) cpu.Stop();
        TSCallItemHelper after(store, kRecordAfterCall, 0);
        if (bCpu) {
            uint8_t bytes[kCpuStatisticSize];
            cpu.Serialize(bytes);
            after.Add(bytes, sizeof(bytes));
        }
        AddArguments(after, directions, kDirAfter, stored, Seq{});
        if constexpr (!std::is_void_v<R>) {
            if (result != nullptr) AddResult(after, *result);
        }
        after.Commit();
    };
    // A callee that throws still gets its after-call record, then the
    // exception goes on to the caller.
    auto invoke = [&]() -> R {
        try {
            return std::apply(call, stored);
        } catch (...) {
            finish(nullptr);
            throw;
        }
    };
    if (bCpu) cpu.Start();
    if constexpr (std::is_void_v<R>) {
        invoke();
        if (TCTrapPattern::Instance()->IsEnabled()) TrapPoint(site, stored, 0);
        finish(nullptr);
    } else {
        R result = invoke();
        if (TCTrapPattern::Instance()->IsEnabled()) TrapPoint(site, stored, result);
        finish(&result);
        return result;
    }
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Plain functions
// ---------------------------------------------------------------------------
class TCCallExecutor {
public:
    template <class R, class... P, class... A>
    R operator()(const TSCodeLocation& location, R (*function)(P...), const TCDirection& directions, A&&... args) const {
        if (__builtin_expect(!detail::RecordingOn(location), 1)) return function(std::forward<A>(args)...);
        TSCPUStatistic cpu;
        using Stored = std::tuple<P...>;
        return detail::RecordedCall<R, Stored>(
            location, directions, cpu, false, [function](auto&... a) { return function(a...); },
            std::forward<A>(args)...);
    }

    // C functions with a variadic tail (tv_stream_get_property and the like).
    template <class R, class... P, class... A>
    R operator()(const TSCodeLocation& location, R (*function)(P..., ...), const TCDirection& directions,
                 A&&... args) const {
        if (__builtin_expect(!detail::RecordingOn(location), 1)) return function(std::forward<A>(args)...);
        TSCPUStatistic cpu;
        using Stored = detail::StoredTuple<std::tuple<P...>, A...>;
        return detail::RecordedCall<R, Stored>(
            location, directions, cpu, false, [function](auto&... a) { return function(a...); },
            std::forward<A>(args)...);
    }
};

// ---------------------------------------------------------------------------
// Bound callables
// ---------------------------------------------------------------------------
template <class Signature>
class TCCallHandler;

template <class R, class... P>
class TCCallHandler<R(P...)> {
public:
    TCCallHandler(boost::function<R(P...)> function, TCDirection directions)
        : m_function(std::move(function)), m_directions(directions) {}

    // The call site the calls are recorded for; without one nothing is recorded.
    TCCallHandler& At(const TSCodeLocation& location) {
        m_pLocation = &location;
        return *this;
    }

    // An empty callable raises boost::bad_function_call.
    R operator()(P... args) const {
        if (m_pLocation == nullptr || !detail::RecordingOn(*m_pLocation)) return m_function(args...);
        TSCPUStatistic cpu;
        const boost::function<R(P...)>& function = m_function;
        return detail::RecordedCall<R, std::tuple<P...>>(
            *m_pLocation, m_directions, cpu, true, [&function](auto&... a) { return function(a...); },
            static_cast<P&&>(args)...);
    }

private:
    boost::function<R(P...)> m_function;
    TCDirection m_directions;
    const TSCodeLocation* m_pLocation = nullptr;
};

struct TCCallHandlers {
    // Binds a member function to an object; virtual members dispatch to the
    // object's most derived override.
    template <class R, class C, class O, class... P>
    static TCCallHandler<R(P...)> CallHandler(O* object, R (C::*member)(P...), TCDirection directions) {
        return TCCallHandler<R(P...)>(Bind(object, member, std::index_sequence_for<P...>{}), directions);
    }
    template <class R, class C, class O, class... P>
    static TCCallHandler<R(P...)> CallHandler(O* object, R (C::*member)(P...) const, TCDirection directions) {
        return TCCallHandler<R(P...)>(Bind(object, member, std::index_sequence_for<P...>{}), directions);
    }
    // One direction per argument.
    template <class R, class C, class O, class... P, class... D,
              class = std::enable_if_t<(sizeof...(D) > 0) && (std::is_integral_v<D> && ...)>>
    static TCCallHandler<R(P...)> CallHandler(O* object, R (C::*member)(P...), D... directions) {
        return CallHandler(object, member, TCDirection(static_cast<int>(sizeof...(D)), directions...));
    }
    template <class R, class C, class O, class... P, class... D,
              class = std::enable_if_t<(sizeof...(D) > 0) && (std::is_integral_v<D> && ...)>>
    static TCCallHandler<R(P...)> CallHandler(O* object, R (C::*member)(P...) const, D... directions) {
        return CallHandler(object, member, TCDirection(static_cast<int>(sizeof...(D)), directions...));
    }

private:
    template <class O, class M, size_t... I>
    static auto Bind(O* object, M member, std::index_sequence<I...>) {
        return boost::bind(member, object, boost::arg<static_cast<int>(I + 1)>()...);
    }
};

}  // namespace ht

// Directions of one call, one per argument: HT_DIRS(1, 1, 2, 1).
#define HT_DIRS(...) ::ht::TCDirection(::ht::CountArgs(__VA_ARGS__), __VA_ARGS__)

// Static location of this call site, named ht_site_location.
#define HT_SITE_LOCATION_                                                                                   \
    static ::std::atomic<uint32_t> ht_site_id{0};                                                          \
    static const ::ht::TSCodeLocation ht_site_location{__FILE__, __LINE__, __PRETTY_FUNCTION__, &ht_site_id, \
                                                       HtLibEnabled()}

// result = HT_CALL(function, HT_DIRS(...), args...)
// With recording off the function is called straight: the directions are not
// built and the call can be a tail call.
#define HT_CALL(function, directions, ...)                                                   \
    ({                                                                                       \
        HT_SITE_LOCATION_;                                                                   \
        __builtin_expect(::ht::detail::RecordingOn(ht_site_location), 0)                     \
            ? ::ht::TCCallExecutor()(ht_site_location, function, directions, __VA_ARGS__)    \
            : (function)(__VA_ARGS__);                                                       \
    })

// result = HT_CALL_MEMBER(object, &Class::member, HT_DIRS(...), args...)
// With recording off the member is called straight (through the virtual
// table where it is virtual): no bound callable is built.
#define HT_CALL_MEMBER(object, member, directions, ...)                                                 \
    ({                                                                                                  \
        HT_SITE_LOCATION_;                                                                              \
        __builtin_expect(::ht::detail::RecordingOn(ht_site_location), 0)                                \
            ? ::ht::TCCallHandlers::CallHandler(object, member, directions).At(ht_site_location)(__VA_ARGS__) \
            : ::ht::detail::CallMember(object, member, __VA_ARGS__);                                    \
    })

// Declares a scope container `name` for this site:
//   HT_SCOPE_CONTAINER(scope, 3); ht::TCScopeHandler::Instance(scope).m_Store(value);
#define HT_SCOPE_CONTAINER(name, direction)                                                                 \
    static ::std::atomic<uint32_t> name##_ht_id{0};                                                         \
    static const ::ht::TSCodeLocation name##_ht_location{__FILE__, __LINE__, __PRETTY_FUNCTION__, &name##_ht_id, \
                                                         HtLibEnabled()};                                   \
    ::ht::TCScopeContainer name(name##_ht_location, direction)
