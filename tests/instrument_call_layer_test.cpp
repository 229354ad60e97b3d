// Instrumented call layer: recorded records, type descriptors and item sizes,
// throwing callees, traps, bound member calls, scope values and registration.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AVCheck.h"
#include "host/HostControl.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"

namespace {

ht::TCStorage& Store() { return ht::TIStorageManager::Instance()->GetStorage(); }
ht::TCTrapPattern* Traps() { return ht::TCTrapPattern::Instance(); }

int AsInt(const ht::TSCallItem& item) {
    int v = 0;
    EXPECT_EQ(item.bytes.size(), sizeof(int));
    std::memcpy(&v, item.bytes.data(), std::min(item.bytes.size(), sizeof(int)));
    return v;
}
std::vector<uint8_t> Words(std::initializer_list<uint32_t> words, size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    size_t at = 0;
    for (uint32_t w : words) {
        std::memcpy(bytes.data() + at, &w, 4);
        at += 4;
    }
    return bytes;
}
ht::TCCallLocation LocationOf(uint32_t id) {
    ht::TCCallLocation location;
    EXPECT_TRUE(Store().FindLocation(id, location)) << "no location " << id;
    return location;
}

class CallLayer : public ::testing::Test {
protected:
    void SetUp() override { Quiet(); }
    void TearDown() override { Quiet(); }
    static void Quiet() {
        host::SetRecording(false);
        host::SetCpuStatistics(false);
        Traps()->ClearTraps();
        Traps()->ClearQueue();
        Store().Clear();
    }
};

// A player-like variadic getter: reads an int* from the tail, writes to it.
int g_fakeValue = 0;
int g_fakeResult = 0;
int FakeGet(TVStream, TvStreamPropertyType property, ...) {
    va_list ap;
    va_start(ap, property);
    int* out = va_arg(ap, int*);
    va_end(ap);
    if (out != nullptr) *out = g_fakeValue;
    return g_fakeResult;
}
int GetViaLayer(TVStream stream, int* out) {
    return HT_CALL(FakeGet, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, out, nullptr);
}

int ReadKey(const char* key, int* out) {
    if (out != nullptr) *out = key ? static_cast<int>(std::strlen(key)) : -7;
    return key ? 0 : -1;
}
int ReadKeyViaLayer(const char* key, int* out) { return HT_CALL(ReadKey, HT_DIRS(1, 2), key, out); }

TEST_F(CallLayer, RecordingOffReturnsCalleeResultAndRecordsNothing) {
    struct Row {
        bool global, library;
        int result, value;
    } const rows[] = {{false, false, 0, 3}, {false, true, -1, 9}, {true, false, 42, -5}};
    for (const Row& row : rows) {
        ht::TIStorageManagerState::enabled.store(row.global);
        HtLibEnabled()->store(row.library);
        g_fakeResult = row.result;
        g_fakeValue = row.value;
        int value = 1234;
        EXPECT_EQ(GetViaLayer(nullptr, &value), row.result);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(Store().RecordCount(), 0u) << "global " << row.global << " library " << row.library;
    }
}

TEST_F(CallLayer, RecordsBeforeAndAfterWithDirectionsAndValues) {
    host::SetRecording(true);
    g_fakeResult = 5;
    g_fakeValue = 77;
    int value = -1;
    TVStream stream = reinterpret_cast<TVStream>(uintptr_t{0x12345678});
    ASSERT_EQ(GetViaLayer(stream, &value), 5);
    const auto records = Store().Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, ht::kRecordBeforeCall);
    EXPECT_NE(records[0].id, 0u);
    EXPECT_EQ(records[1].kind, ht::kRecordAfterCall);
    EXPECT_EQ(records[1].id, 0u);
    // Before: stream and terminator as 4-byte pointers, the property; the out
    // pointer (direction 2) only after, followed by the result.
    ASSERT_EQ(records[0].items.size(), 3u);
    EXPECT_EQ(records[0].items[0].bytes, Words({0x12345678}, 4));
    EXPECT_EQ(AsInt(records[0].items[1]), TV_PROPERTY_TUNER_ANALOG_MTS_MODE);
    EXPECT_EQ(records[0].items[2].bytes, Words({0}, 4));
    ASSERT_EQ(records[1].items.size(), 2u);
    EXPECT_EQ(AsInt(records[1].items[0]), 77);
    EXPECT_EQ(AsInt(records[1].items[1]), 5);

    // Strings without terminator; null strings and pointers as null items.
    struct Row {
        const char* key;
        bool withOut;
    } const rows[] = {{"db/menu/x", true}, {nullptr, true}, {"k", false}};
    for (const Row& row : rows) {
        Store().Clear();
        int out = 0;
        ReadKeyViaLayer(row.key, row.withOut ? &out : nullptr);
        const auto r = Store().Records();
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(r[0].items.at(0).isNull, row.key == nullptr);
        if (row.key) {
            EXPECT_EQ(std::string(r[0].items[0].bytes.begin(), r[0].items[0].bytes.end()), row.key);
        }
        EXPECT_EQ(r[1].items.at(0).isNull, !row.withOut);
        if (row.withOut) {
            EXPECT_EQ(AsInt(r[1].items[0]), out);
        }
    }
}

std::string g_helperFunction;
int CallFromNamedFunction(int* out) {
    g_helperFunction = __PRETTY_FUNCTION__;
    return HT_CALL(ReadKey, HT_DIRS(1, 2), "abc", out);
}

TEST_F(CallLayer, OneLocationPerSiteReusedByLaterCalls) {
    host::SetRecording(true);
    const size_t locationsBefore = Store().LocationCount();
    int out = 0;
    for (int i = 0; i < 3; ++i) CallFromNamedFunction(&out);
    HT_CALL(ReadKey, HT_DIRS(1, 2), "x", &out);  // a site of its own
    std::vector<uint32_t> ids;
    for (const auto& r : Store().Records())
        if (r.kind == ht::kRecordBeforeCall) ids.push_back(r.id);
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(ids[0], ids[1]);
    EXPECT_EQ(ids[0], ids[2]);
    EXPECT_NE(ids[0], ids[3]);
    EXPECT_EQ(Store().LocationCount(), locationsBefore + 2);
    const ht::TCCallLocation location = LocationOf(ids[0]);
    EXPECT_EQ(location.File(), __FILE__);
    EXPECT_EQ(location.Function(), g_helperFunction);
}

int AllKinds(bool, unsigned char, int, EPictureSizeType, void*, TSRectInfo, TSAspectRatioKey, int* out, const char*,
             TSRectInfo& rect, const TSAspectRatioKey&) {
    *out = 11;
    rect.width = 1920;
    return 3;
}
bool IsTrue(int v) { return v != 0; }

// Every item holds what its descriptor says: the framework records by their
// named fields only (no vtable address), pointers in 4 bytes, bool results in 4.
TEST_F(CallLayer, ItemsMatchTheirTypeDescriptors) {
    host::SetRecording(true);
    TSRectInfo byValue(1, 2, 3, 4);
    TSRectInfo byRef(5, 6, 7, 8);
    TSAspectRatioKey key;
    key.source = 13;
    key.resolution = 0x10001;
    key.resolutionInfo.horizontal = 1920;
    key.resolutionInfo.vertical = 1080;
    key.resolutionInfo.aspectratio = 3;
    key.reserved = 9;
    key.dtv = true;
    int out = 0;
    void* pointer = reinterpret_cast<void*>(uintptr_t{0xABCD0123});
    ASSERT_EQ(HT_CALL(AllKinds, HT_DIRS(1, 1, 1, 1, 1, 1, 1, 2, 1, 2, 1), true, static_cast<unsigned char>(7), 5,
                      PICTURESIZETYPE_ZOOM, pointer, byValue, key, &out, "text", byRef, key),
              3);
    ASSERT_TRUE(HT_CALL(IsTrue, HT_DIRS(1), 9));

    const auto records = Store().Records();
    ASSERT_EQ(records.size(), 4u);
    const std::vector<uint8_t> keyBytes = Words({13, 0x10001, 1920, 1080, 3, 0, 0, 9, 1}, 56);
    struct Expected {
        const char* name;
        int direction;
        uint16_t size;
        std::vector<uint8_t> bytes;  // the item's bytes (before or after the call)
    };
    const Expected expected[] = {
        {"bool", 1, 1, {1}},
        {"unsigned char", 1, 1, {7}},
        {"int", 1, 4, Words({5}, 4)},
        {"enum_EPictureSizeType", 1, 4, Words({1}, 4)},
        {"void*", 1, 4, Words({0xABCD0123}, 4)},
        {"TSRectInfo", 1, 28, Words({1, 2, 3, 4}, 28)},
        {"TSAspectRatioKey", 1, 56, keyBytes},
        {"int", 2, 0x3FFF, Words({11}, 4)},
        {"char", 1, 0x3FFF, {'t', 'e', 'x', 't'}},
        {"TSRectInfo", 2, 0x3FFF, Words({5, 6, 1920, 8}, 28)},
        {"TSAspectRatioKey", 1, 56, keyBytes},
    };
    const ht::TCCallLocation all = LocationOf(records[0].id);
    ASSERT_EQ(all.Arguments().size(), std::size(expected));
    size_t before = 0, after = 0;
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        EXPECT_EQ(all.Arguments()[i].name, e.name) << "argument " << i;
        EXPECT_EQ(all.Arguments()[i].direction, e.direction) << "argument " << i;
        EXPECT_EQ(all.Arguments()[i].sizeCode, e.size) << "argument " << i;
        const auto& items = e.direction == 1 ? records[0].items : records[1].items;
        const size_t at = e.direction == 1 ? before++ : after++;
        ASSERT_LT(at, items.size()) << "argument " << i;
        EXPECT_EQ(items[at].bytes, e.bytes) << "argument " << i;
        if (e.size != 0x3FFF) {
            EXPECT_EQ(items[at].bytes.size(), e.size) << "argument " << i;
        }
    }
    EXPECT_EQ(all.Result().name, "int");
    EXPECT_EQ(all.Result().sizeCode, 4);
    EXPECT_EQ(records[1].items.size(), after + 1);
    EXPECT_EQ(records[1].items.back().bytes, Words({3}, 4));

    const ht::TCCallLocation boolean = LocationOf(records[2].id);
    EXPECT_EQ(boolean.Result().name, "bool");
    EXPECT_EQ(boolean.Result().sizeCode, 4);
    EXPECT_EQ(records[3].items.back().bytes, Words({1}, 4));
}

TEST_F(CallLayer, CpuStatisticLeadsTheAfterRecordWhenSwitchedOn) {
    host::SetRecording(true);
    for (bool cpu : {false, true}) {
        host::SetCpuStatistics(cpu);
        Store().Clear();
        int out = 0;
        ReadKeyViaLayer("key", &out);
        const auto records = Store().Records();
        ASSERT_EQ(records.size(), 2u);
        const auto& items = records[1].items;
        ASSERT_EQ(items.size(), cpu ? 3u : 2u) << "cpu " << cpu;
        if (cpu) {
            ASSERT_EQ(items[0].bytes.size(), ht::kCpuStatisticSize);
            EXPECT_EQ(items[0].bytes[0], 1);
        }
        EXPECT_EQ(AsInt(items[items.size() - 2]), 3);  // out: length of "key"
    }
}

int Throwing(int v, int* out) {
    *out = v;
    throw std::runtime_error("callee failed");
}

class Thrower {
public:
    virtual ~Thrower() = default;
    virtual void Fail(int v, int& out) {
        out = v * 2;
        throw std::out_of_range("member failed");
    }
};

// A callee that throws still closes its call with an after-call record
// (arguments of direction 2, no result), and the exception reaches the caller.
TEST_F(CallLayer, ThrowingCalleeLeavesCompletePair) {
    host::SetRecording(true);
    Thrower thrower;
    ht::TCCallHandler<int(int)> empty(boost::function<int(int)>(), HT_DIRS(1));
    struct Row {
        const char* name;
        std::function<void()> call;
        size_t afterItems;
        int outValue;
    } const rows[] = {
        {"plain function",
         [] {
             int out = 0;
             HT_CALL(Throwing, HT_DIRS(1, 2), 4, &out);
         },
         1, 4},
        {"member without result",
         [&] {
             int out = 0;
             HT_CALL_MEMBER(&thrower, &Thrower::Fail, HT_DIRS(1, 2), 5, out);
         },
         1, 10},
        {"empty bound callable",
         [&] {
             HT_SITE_LOCATION_;
             empty.At(ht_site_location)(6);
         },
         0, 0},
    };
    for (const Row& row : rows) {
        Store().Clear();
        EXPECT_ANY_THROW(row.call()) << row.name;
        const auto records = Store().Records();
        ASSERT_EQ(records.size(), 2u) << row.name;
        EXPECT_EQ(records[0].kind, ht::kRecordBeforeCall) << row.name;
        EXPECT_EQ(records[1].kind, ht::kRecordAfterCall) << row.name;
        ASSERT_EQ(records[1].items.size(), row.afterItems) << row.name;
        if (row.afterItems) {
            EXPECT_EQ(AsInt(records[1].items[0]), row.outValue) << row.name;
        }
    }
    EXPECT_THROW(empty(1), boost::bad_function_call);
}

// A location whose description throws gives its claim back: the next call at
// the site builds the location instead of waiting for ever.
TEST_F(CallLayer, FailedDescriptionReleasesTheSite) {
    std::atomic<uint32_t> slot{0};
    const ht::TSCodeLocation site{__FILE__, __LINE__, "site", &slot, HtLibEnabled()};
    ht::TIStorageManager& manager = *ht::TIStorageManager::Instance();
    EXPECT_THROW(ht::AcquireLocationId(manager, site, [](ht::TCCallLocation&) { throw std::bad_alloc(); }),
                 std::bad_alloc);
    EXPECT_EQ(slot.load(), 0u);
    const uint32_t id = ht::AcquireLocationId(manager, site, [](ht::TCCallLocation& l) { l.SetResult("int", 4); });
    EXPECT_NE(id, 0u);
    EXPECT_EQ(slot.load(), id);
    EXPECT_TRUE(LocationOf(id).HasResult());
}

int TrapTarget(int a, unsigned int b, const char* c, EPictureSizeType d) {
    return a + static_cast<int>(b) + (c ? 1 : 0) + d;
}
int CallTrapTarget(int a, unsigned int b, const char* c, EPictureSizeType d) {
    return HT_CALL(TrapTarget, HT_DIRS(1, 1, 1, 1), a, b, c, d);
}

TEST_F(CallLayer, TrapItemsEvaluatedAndHelperQueuedMatchedOrNot) {
    using ht::ETrapCompare;
    using ht::TSTrapItem;
    host::SetRecording(true);
    CallTrapTarget(0, 0, "", PICTURESIZETYPE_16_9);  // learn the site's location
    const ht::TCCallLocation site = LocationOf(Store().Records().at(0).id);
    auto cond = [](std::initializer_list<std::pair<int, TSTrapItem>> items) {
        ht::TCTrapCondition c;
        for (const auto& item : items) c.AddItem(item.first, item.second);
        return c;
    };
    const auto S = [](ETrapCompare op, long long v) { return TSTrapItem::Signed(op, v); };
    struct Row {
        const char* name;
        ht::TCTrapCondition condition;
        int a;
        unsigned int b;
        const char* c;
        bool matched;
        EPictureSizeType d = PICTURESIZETYPE_16_9;
    } const rows[] = {
        {"no items", cond({}), 1, 2, "x", true},
        {"signed equal", cond({{0, S(ETrapCompare::Equal, -5)}}), -5, 0, "x", true},
        {"signed less fails", cond({{0, S(ETrapCompare::Less, 0)}}), 3, 0, "x", false},
        {"unsigned sees sign extension", cond({{0, TSTrapItem::Unsigned(ETrapCompare::Equal, ~0ULL)}}), -1, 0, "x",
         true},
        {"unsigned argument zero-extended",
         cond({{1, TSTrapItem::Unsigned(ETrapCompare::Equal, 0xFFFFFFFFULL)}}), 0, 0xFFFFFFFFu, "x", true},
        {"text on string", cond({{2, TSTrapItem::Text(ETrapCompare::Equal, "db/menu")}}), 0, 0, "db/menu", true},
        {"text on null string", cond({{2, TSTrapItem::Text(ETrapCompare::Equal, "")}}), 0, 0, nullptr, false},
        {"text on little-endian int", cond({{0, TSTrapItem::Text(ETrapCompare::Equal, "ABCD")}}), 0x44434241, 0,
         "x", true},
        {"enum signed", cond({{3, S(ETrapCompare::GreaterEqual, 4)}}), 0, 0, "x", true, PICTURESIZETYPE_21_9},
        {"items ANDed", cond({{0, S(ETrapCompare::Greater, 0)}, {0, S(ETrapCompare::Less, 10)}}), 20, 0, "x", false},
        {"first index fails, later passes",
         cond({{0, S(ETrapCompare::Equal, 1)}, {1, TSTrapItem::Unsigned(ETrapCompare::Equal, 2)}}), 0, 2, "x",
         false},
    };
    for (const Row& row : rows) {
        Traps()->ClearQueue();
        Traps()->ArmTrap(site.File().c_str(), site.Line(), row.condition);
        EXPECT_EQ(CallTrapTarget(row.a, row.b, row.c, row.d), TrapTarget(row.a, row.b, row.c, row.d)) << row.name;
        const auto queue = Traps()->Queue();
        ASSERT_EQ(queue.size(), 1u) << row.name;
        EXPECT_EQ(queue[0].IsMatched(), row.matched) << row.name;
        EXPECT_EQ(queue[0].Location(), "instrument_call_layer_test.cpp:" + std::to_string(site.Line()));
    }
    // A trap elsewhere does not fire here.
    Traps()->ClearTraps();
    Traps()->ClearQueue();
    Traps()->ArmTrap(site.File().c_str(), site.Line() + 1, ht::TCTrapCondition());
    CallTrapTarget(1, 1, "x", PICTURESIZETYPE_16_9);
    EXPECT_TRUE(Traps()->Queue().empty());
}

class Shape {
public:
    virtual ~Shape() = default;
    virtual int Area(int scale, TSRectInfo& rect) {
        rect.x = 1;
        return scale;
    }
    int Doubled(int v) { return HT_CALL_MEMBER(this, &Shape::m_Double, HT_DIRS(1), v); }

private:
    virtual int m_Double(int v) { return 2 * v; }
};

class Square : public Shape {
public:
    int Area(int scale, TSRectInfo& rect) override {
        rect = TSRectInfo(5, 0, 10, 10);
        return scale * 100;
    }

private:
    int m_Double(int v) override { return 2 * v + 1; }
};

TEST_F(CallLayer, MemberCallDispatchesToDerivedOverride) {
    for (bool recording : {false, true}) {
        host::SetRecording(recording);
        Store().Clear();
        Square square;
        Shape* shape = &square;
        TSRectInfo rect;
        EXPECT_EQ(HT_CALL_MEMBER(shape, &Shape::Area, HT_DIRS(1, 2), 3, rect), 300);
        EXPECT_EQ(rect.x, 5);
        EXPECT_EQ(shape->Doubled(4), 9);  // private member, called from inside the class
        const auto records = Store().Records();
        ASSERT_EQ(records.size(), recording ? 4u : 0u);
        if (!recording) continue;
        EXPECT_EQ(AsInt(records[0].items.at(0)), 3);
        ASSERT_EQ(records[1].items.size(), 2u);
        EXPECT_EQ(records[1].items[0].bytes, Words({5, 0, 10, 10}, 28));
        EXPECT_EQ(AsInt(records[1].items[1]), 300);
        EXPECT_EQ(ht::TIStorageManager::Instance()->RegisteredTypes().at("TSRectInfo"), 28);
    }
    // Without a call site nothing is recorded.
    Store().Clear();
    Square square;
    TSRectInfo rect;
    auto handler = ht::TCCallHandlers::CallHandler(static_cast<Shape*>(&square), &Shape::Area, 1, 2);
    EXPECT_EQ(handler(2, rect), 200);
    EXPECT_EQ(Store().RecordCount(), 0u);
}

int ScopeValues(int direction) {
    int value = 5;
    {
        HT_SCOPE_CONTAINER(scope, direction);
        ht::TCScopeHandler::Instance(scope).m_Store(value);
        EXPECT_EQ(ht::TCScopeHandler::Depth(), 1u);
        value = 9;
    }
    EXPECT_EQ(ht::TCScopeHandler::Depth(), 0u);
    return value;
}

TEST_F(CallLayer, ScopeValuesStoredNowAndAtScopeExit) {
    struct Row {
        bool recording;
        int direction;
        std::vector<int> items;
    } const rows[] = {{true, 1, {5}}, {true, 2, {9}}, {true, 3, {5, 9}}, {false, 3, {}}};
    for (const Row& row : rows) {
        host::SetRecording(row.recording);
        Store().Clear();
        ScopeValues(row.direction);
        const auto records = Store().Records();
        ASSERT_EQ(records.size(), row.recording ? 1u : 0u);
        if (!row.recording) continue;
        EXPECT_EQ(records[0].kind, ht::kRecordScope);
        std::vector<int> values;
        for (const auto& item : records[0].items) values.push_back(AsInt(item));
        EXPECT_EQ(values, row.items) << "direction " << row.direction;
    }
}

TEST_F(CallLayer, RegistrationOncePerUnitAndFlagsFollowTheSwitch) {
    const int registered = host::RegistrationCount();
    const int deregistered = host::DeregistrationCount();
    const int mine = ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled());
    HtLibHelperInit();
    EXPECT_EQ(host::RegistrationCount(), registered);
    HtLibHelperDeinit();
    HtLibHelperDeinit();
    EXPECT_EQ(host::DeregistrationCount(), deregistered + 1);
    EXPECT_EQ(ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled()), mine - 1);
    ht_register_library(HtLibEnabled());  // give this unit's registration back

    // Every unit of the library registered its one flag once at load.
    const auto libraries = ht::TCLibraryRegistry::Instance()->Libraries();
    int libraryUnits = -1;
    for (const auto& entry : libraries) {
        if (entry.first != HtLibEnabled()) libraryUnits = entry.second;
    }
    EXPECT_EQ(libraries.size(), 2u);  // this test program and the library
    EXPECT_EQ(libraryUnits, TVAV_LIBRARY_UNITS);

    // A library registered while recording is on starts on; the switch
    // reaches it while registered and not after.
    std::atomic<bool> other{false};
    host::SetRecording(true);
    ht_register_library(&other);
    EXPECT_TRUE(other.load());
    host::SetRecording(false);
    EXPECT_FALSE(other.load());
    ht_deregister_library(&other);
    host::SetRecording(true);
    EXPECT_FALSE(other.load());
    EXPECT_TRUE(HtLibEnabled()->load());
}

// Markers reach prctl option 666 with their text, cut to 127 characters, and
// that text's length.
TEST(PerfMarkers, TextAndLengthHandedToTheKernel) {
    host::Reset();
    const std::string longName(200, 'f');
    const std::string longText = ("[BEGIN]PER_ORB_TCAVCheck::" + longName).substr(0, 127);
    struct Row {
        std::function<void()> emit;
        std::vector<std::string> texts;
    } const rows[] = {
        {[] { tvav::PerfBegin("TCSizeControl", "SetPictureSize"); }, {"[BEGIN]PER_ORB_TCSizeControl::SetPictureSize"}},
        {[] { tvav::PerfEnd("TCSizeControl", "SetPictureSize", " 2"); }, {"[END]PER_ORB_TCSizeControl::SetPictureSize 2"}},
        {[] { tvav::PerfBeginTV("TCAVCheck", "CheckPictureSizeSubMenu"); },
         {"[BEGIN]PER_ORB_TV_TCAVCheck::CheckPictureSizeSubMenu"}},
        {[] { tvav::PerfEndTV("TCAVCheck", "CheckPictureSizeSubMenu"); },
         {"[END]PER_ORB_TV_TCAVCheck::CheckPictureSizeSubMenu"}},
        {[] { tvav::PerfScope scope("TCSizeControl", "m_SetCropVideo", "-SRCDST"); },
         {"[BEGIN]PER_ORB_TCSizeControl::m_SetCropVideo-SRCDST", "[END]PER_ORB_TCSizeControl::m_SetCropVideo-SRCDST"}},
        {[&] { tvav::PerfBegin("TCAVCheck", longName.c_str()); }, {longText}},
        // The library's own markers around the AV output controller's PC mode.
        {[] {
             TSAspectRatioKey key;
             key.source = 13;
             bool bCheck = false;
             TCAVCheck().CheckScreenFitOption(host::DefaultStream(), key, TSSourceTypeInfo(), SCREENFITOPTION_ON,
                                              bCheck);
         },
         {"[BEGIN]PER_ORB_TCAVCheck::m_GetPCMode-AVOC_PC_MODE", "[END]PER_ORB_TCAVCheck::m_GetPCMode-AVOC_PC_MODE"}},
    };
    for (const Row& row : rows) {
        host::ClearPerfMarkers();
        row.emit();
        const auto markers = host::PerfMarkers();
        ASSERT_EQ(markers.size(), row.texts.size()) << row.texts[0];
        for (size_t i = 0; i < markers.size(); ++i) {
            EXPECT_EQ(markers[i].text, row.texts[i]);
            EXPECT_EQ(markers[i].length, row.texts[i].size()) << row.texts[i];
        }
    }
}

}  // namespace
