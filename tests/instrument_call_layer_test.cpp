// Instrumented call layer: records and their items, type descriptors,
// throwing callees, traps, bound member calls, scope values, registration and
// performance markers.
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tvav/AVCheck.h>
#include "host/HostControl.h"
#include "host_support.h"
#include "instrument/CallLayer.h"
#include "instrument/PerfMarker.h"

namespace {

using Lines = std::vector<std::string>;

ht::TCStorage& Store() { return ht::TIStorageManager::Instance()->GetStorage(); }
ht::TCTrapPattern* Traps() { return ht::TCTrapPattern::Instance(); }

// 32-bit words as little-endian hex, zero-padded to `size` bytes.
std::string W(std::initializer_list<uint32_t> words, size_t size = 4) {
    std::vector<uint8_t> bytes(size, 0);
    size_t at = 0;
    for (uint32_t w : words) std::memcpy(bytes.data() + (at++) * 4, &w, 4);
    return host::FormatHex(bytes.data(), bytes.size());
}
// The recorded records as "KIND ITEM...", items in hex, null items as "null".
Lines Dump() {
    Lines out;
    for (const auto& r : Store().Records()) {
        std::string line = std::to_string(r.kind);
        for (const auto& item : r.items)
            line += " " + (item.isNull ? std::string("null") : host::FormatHex(item.bytes.data(), item.bytes.size()));
        out.push_back(line);
    }
    return out;
}
ht::TCCallLocation LocationOf(uint32_t id) {
    ht::TCCallLocation location;
    EXPECT_TRUE(Store().FindLocation(id, location)) << "no location " << id;
    return location;
}
// The argument descriptors of a location as "NAME/DIRECTION/SIZE".
Lines Descriptors(const ht::TCCallLocation& location) {
    Lines out;
    for (const auto& a : location.Arguments())
        out.push_back(a.name + "/" + std::to_string(a.direction) + "/" + std::to_string(a.sizeCode));
    out.push_back(location.Result().name + "/" + std::to_string(location.Result().sizeCode));
    return out;
}

class CallLayer : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
    void TearDown() override { host::Reset(); }
};

// A player-like variadic getter: reads an int* from the tail, writes to it.
int g_fakeValue = 0;
int FakeGet(TVStream, TvStreamPropertyType property, ...) {
    va_list ap;
    va_start(ap, property);
    int* out = va_arg(ap, int*);
    va_end(ap);
    if (out != nullptr) *out = g_fakeValue;
    return g_fakeValue / 10;
}
int GetViaLayer(TVStream stream, int* out) {
    return HT_CALL(FakeGet, HT_DIRS(1, 1, 2, 1), stream, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, out, nullptr);
}
int ReadKey(const char* key, int* out) {
    if (out != nullptr) *out = key ? static_cast<int>(std::strlen(key)) : -7;
    return key ? 0 : -1;
}

TEST_F(CallLayer, RecordingOffReturnsCalleeResultAndRecordsNothing) {
    const bool rows[][2] = {{false, false}, {false, true}, {true, false}};
    for (const auto& row : rows) {
        ht::TIStorageManagerState::enabled.store(row[0]);
        HtLibEnabled()->store(row[1]);
        g_fakeValue = -57;
        int value = 1234;
        EXPECT_EQ(GetViaLayer(nullptr, &value), -5);
        EXPECT_EQ(value, -57);
        EXPECT_EQ(Store().RecordCount(), 0u) << "global " << row[0] << " library " << row[1];
    }
}

TEST_F(CallLayer, RecordsBeforeAndAfterWithDirectionsAndValues) {
    host::SetRecording(true);
    g_fakeValue = 77;
    int value = -1;
    ASSERT_EQ(GetViaLayer(reinterpret_cast<TVStream>(uintptr_t{0x12345678}), &value), 7);
    // Before: stream, property and terminator (pointers in 4 bytes); after:
    // the out value (direction 2) and the result.
    EXPECT_EQ(Dump(), (Lines{"2 " + W({0x12345678}) + " " + W({20}) + " " + W({0}), "3 " + W({77}) + " " + W({7})}));
    const auto records = Store().Records();
    EXPECT_NE(records[0].id, 0u);
    EXPECT_EQ(records[1].id, 0u);

    // Null strings and pointers as null items; strings without terminator.
    struct Row { const char* key; bool withOut; Lines dump; } const rows[] = {
        {nullptr, true, {"2 null", "3 " + W({uint32_t(-7)}) + " " + W({uint32_t(-1)})}},
        {"k", false, {"2 6b", "3 null " + W({0})}},
    };
    for (const Row& row : rows) {
        Store().Clear();
        int out = 0;
        HT_CALL(ReadKey, HT_DIRS(1, 2), row.key, row.withOut ? &out : nullptr);
        EXPECT_EQ(Dump(), row.dump);
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
    EXPECT_TRUE(ids[0] == ids[1] && ids[0] == ids[2] && ids[0] != ids[3]);
    EXPECT_EQ(Store().LocationCount(), locationsBefore + 2);
    EXPECT_EQ(LocationOf(ids[0]).File(), __FILE__);
    EXPECT_EQ(LocationOf(ids[0]).Function(), g_helperFunction);
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
    TSRectInfo byRef(5, 6, 7, 8);
    TSAspectRatioKey key = test_support::Key(13, 0x10001, true, 1920, 1080, 3);
    key.reserved = 9;
    int out = 0;
    ASSERT_EQ(HT_CALL(AllKinds, HT_DIRS(1, 1, 1, 1, 1, 1, 1, 2, 1, 2, 1), true, static_cast<unsigned char>(7), 5,
                      PICTURESIZETYPE_ZOOM, reinterpret_cast<void*>(uintptr_t{0xABCD0123}), TSRectInfo(1, 2, 3, 4),
                      key, &out, "text", byRef, key),
              3);
    ASSERT_TRUE(HT_CALL(IsTrue, HT_DIRS(1), 9));
    const std::string keyHex = W({13, 0x10001, 1920, 1080, 3, 0, 0, 9, 1}, 56);
    EXPECT_EQ(Dump(), (Lines{"2 01 07 " + W({5}) + " " + W({1}) + " " + W({0xABCD0123}) + " " + W({1, 2, 3, 4}, 28) +
                                 " " + keyHex + " 74657874 " + keyHex,
                             "3 " + W({11}) + " " + W({5, 6, 1920, 8}, 28) + " " + W({3}),  //
                             "2 " + W({9}), "3 " + W({1})}));
    const auto records = Store().Records();
    EXPECT_EQ(Descriptors(LocationOf(records[0].id)),
              (Lines{"bool/1/1", "unsigned char/1/1", "int/1/4", "enum_EPictureSizeType/1/4", "void*/1/4",
                     "TSRectInfo/1/28", "TSAspectRatioKey/1/56", "int/2/16383", "char/1/16383", "TSRectInfo/2/16383",
                     "TSAspectRatioKey/1/56", "int/4"}));
    EXPECT_EQ(Descriptors(LocationOf(records[2].id)), (Lines{"int/1/4", "bool/4"}));
}

TEST_F(CallLayer, CpuStatisticLeadsTheAfterRecordWhenSwitchedOn) {
    host::SetRecording(true);
    host::SetCpuStatistics(true);
    int out = 0;
    HT_CALL(ReadKey, HT_DIRS(1, 2), "key", &out);
    const auto records = Store().Records();
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[1].items.size(), 3u);
    EXPECT_EQ(records[1].items[0].bytes.size(), ht::kCpuStatisticSize);
    EXPECT_EQ(records[1].items[0].bytes[0], 1);  // started and stopped
    EXPECT_EQ(Dump()[1].substr(2 + 2 * ht::kCpuStatisticSize), " " + W({3}) + " " + W({0}));
}

int Throwing(int v, int* out) {
    *out = v;
    throw std::runtime_error("callee failed");
}
struct Thrower {
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
    int out = 0;
    const std::pair<std::function<void()>, Lines> rows[] = {
        {[&] { HT_CALL(Throwing, HT_DIRS(1, 2), 4, &out); }, {"2 " + W({4}), "3 " + W({4})}},
        {[&] { HT_CALL_MEMBER(&thrower, &Thrower::Fail, HT_DIRS(1, 2), 5, out); }, {"2 " + W({5}), "3 " + W({10})}},
        {[&] {
             HT_SITE_LOCATION_;
             empty.At(ht_site_location)(6);
         },
         {"2 " + W({6}), "3"}},
    };
    for (const auto& row : rows) {
        Store().Clear();
        EXPECT_ANY_THROW(row.first());
        EXPECT_EQ(Dump(), row.second);
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
    const auto S = [](ETrapCompare op, long long v) { return TSTrapItem::Signed(op, v); };
    const auto U = [](ETrapCompare op, unsigned long long v) { return TSTrapItem::Unsigned(op, v); };
    const auto T = [](ETrapCompare op, const char* v) { return TSTrapItem::Text(op, v); };
    struct Row { const char* name; std::vector<std::pair<int, TSTrapItem>> items; int a; unsigned int b; const char* c;
                 bool matched; EPictureSizeType d = PICTURESIZETYPE_16_9; } const rows[] = {
        {"no items", {}, 1, 2, "x", true},
        {"signed equal", {{0, S(ETrapCompare::Equal, -5)}}, -5, 0, "x", true},
        {"signed less fails", {{0, S(ETrapCompare::Less, 0)}}, 3, 0, "x", false},
        {"unsigned sees sign extension", {{0, U(ETrapCompare::Equal, ~0ULL)}}, -1, 0, "x", true},
        {"unsigned zero-extended", {{1, U(ETrapCompare::Equal, 0xFFFFFFFFULL)}}, 0, 0xFFFFFFFFu, "x", true},
        {"text on string", {{2, T(ETrapCompare::Equal, "db/menu")}}, 0, 0, "db/menu", true},
        {"text on null string", {{2, T(ETrapCompare::Equal, "")}}, 0, 0, nullptr, false},
        {"text on little-endian int", {{0, T(ETrapCompare::Equal, "ABCD")}}, 0x44434241, 0, "x", true},
        {"enum signed", {{3, S(ETrapCompare::GreaterEqual, 4)}}, 0, 0, "x", true, PICTURESIZETYPE_21_9},
        {"items ANDed", {{0, S(ETrapCompare::Greater, 0)}, {0, S(ETrapCompare::Less, 10)}}, 20, 0, "x", false},
        {"first index fails", {{0, S(ETrapCompare::Equal, 1)}, {1, U(ETrapCompare::Equal, 2)}}, 0, 2, "x", false},
    };
    for (const Row& row : rows) {
        ht::TCTrapCondition condition;
        for (const auto& item : row.items) condition.AddItem(item.first, item.second);
        Traps()->ClearQueue();
        Traps()->ArmTrap(site.File().c_str(), site.Line(), condition);
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
        EXPECT_EQ(Dump(), recording ? (Lines{"2 " + W({3}), "3 " + W({5, 0, 10, 10}, 28) + " " + W({300}),
                                             "2 " + W({4}), "3 " + W({9})})
                                    : Lines{});
    }
    EXPECT_EQ(ht::TIStorageManager::Instance()->RegisteredTypes().at("TSRectInfo"), 28);
    // Without a call site nothing is recorded.
    Store().Clear();
    Square square;
    TSRectInfo rect;
    auto handler = ht::TCCallHandlers::CallHandler(static_cast<Shape*>(&square), &Shape::Area, 1, 2);
    EXPECT_EQ(handler(2, rect), 200);
    EXPECT_EQ(Store().RecordCount(), 0u);
}

void ScopeValues(int direction) {
    int value = 5;
    HT_SCOPE_CONTAINER(scope, direction);
    ht::TCScopeHandler::Instance(scope).m_Store(value);
    EXPECT_EQ(ht::TCScopeHandler::Depth(), 1u);
    value = 9;
}

TEST_F(CallLayer, ScopeValuesStoredNowAndAtScopeExit) {
    const std::pair<int, Lines> rows[] = {
        {1, {"4 " + W({5})}}, {2, {"4 " + W({9})}}, {3, {"4 " + W({5}) + " " + W({9})}}};
    for (const auto& row : rows) {
        host::SetRecording(true);
        Store().Clear();
        ScopeValues(row.first);
        EXPECT_EQ(ht::TCScopeHandler::Depth(), 0u);
        EXPECT_EQ(Dump(), row.second) << "direction " << row.first;
    }
    host::SetRecording(false);
    Store().Clear();
    ScopeValues(3);
    EXPECT_EQ(Store().RecordCount(), 0u);
}

TEST_F(CallLayer, RegistrationOncePerUnitAndFlagsFollowTheSwitch) {
    const int registered = host::RegistrationCount();
    const int deregistered = host::DeregistrationCount();
    const int mine = ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled());
    HtLibHelperInit();
    HtLibHelperDeinit();
    HtLibHelperDeinit();
    EXPECT_EQ(host::RegistrationCount(), registered);
    EXPECT_EQ(host::DeregistrationCount(), deregistered + 1);
    EXPECT_EQ(ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled()), mine - 1);
    ht_register_library(HtLibEnabled());  // give this unit's registration back

    // Every unit of the library registered its one flag once at load.
    const auto libraries = ht::TCLibraryRegistry::Instance()->Libraries();
    int libraryUnits = -1;
    for (const auto& entry : libraries)
        if (entry.first != HtLibEnabled()) libraryUnits = entry.second;
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
    const std::pair<std::function<void()>, Lines> rows[] = {
        {[] { tvav::PerfBegin("TCSizeControl", "SetPictureSize"); }, {"[BEGIN]PER_ORB_TCSizeControl::SetPictureSize"}},
        {[] { tvav::PerfEnd("TCSizeControl", "SetPictureSize", " 2"); },
         {"[END]PER_ORB_TCSizeControl::SetPictureSize 2"}},
        {[] { tvav::PerfBeginTV("TCAVCheck", "CheckPictureSizeSubMenu"); },
         {"[BEGIN]PER_ORB_TV_TCAVCheck::CheckPictureSizeSubMenu"}},
        {[] { tvav::PerfEndTV("TCAVCheck", "CheckPictureSizeSubMenu"); },
         {"[END]PER_ORB_TV_TCAVCheck::CheckPictureSizeSubMenu"}},
        {[] { tvav::PerfScope scope("TCSizeControl", "m_SetCropVideo", "-SRCDST"); },
         {"[BEGIN]PER_ORB_TCSizeControl::m_SetCropVideo-SRCDST", "[END]PER_ORB_TCSizeControl::m_SetCropVideo-SRCDST"}},
        {[&] { tvav::PerfBegin("TCAVCheck", longName.c_str()); },
         {("[BEGIN]PER_ORB_TCAVCheck::" + longName).substr(0, 127)}},
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
    for (const auto& row : rows) {
        host::ClearPerfMarkers();
        row.first();
        Lines markers;
        for (const auto& m : host::PerfMarkers()) {
            markers.push_back(m.text);
            EXPECT_EQ(m.length, m.text.size()) << m.text;
        }
        EXPECT_EQ(markers, row.second);
    }
}

}  // namespace
