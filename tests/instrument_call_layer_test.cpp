// Instrumented call layer: recorded records, type descriptors, traps, bound
// member calls, scope values and library registration.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/HostControl.h"
#include "instrument/CallLayer.h"

namespace {

ht::TCStorage& Store() {
    return ht::TIStorageManager::Instance()->GetStorage();
}
ht::TCTrapPattern* Traps() {
    return ht::TCTrapPattern::Instance();
}

int AsInt(const ht::TSCallItem& item) {
    int v = 0;
    EXPECT_EQ(item.bytes.size(), sizeof(int));
    std::memcpy(&v, item.bytes.data(), std::min(item.bytes.size(), sizeof(int)));
    return v;
}
std::string AsText(const ht::TSCallItem& item) {
    return std::string(item.bytes.begin(), item.bytes.end());
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
int FakeGet(TVStream stream, TvStreamPropertyType property, ...) {
    (void)stream;
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

int ReadKeyViaLayer(const char* key, int* out) {
    return HT_CALL(ReadKey, HT_DIRS(1, 2), key, out);
}

TEST_F(CallLayer, RecordingOffReturnsCalleeResultAndRecordsNothing) {
    struct Row {
        bool global;
        bool library;
        int result;
        int value;
    };
    const Row rows[] = {
        {false, false, 0, 3}, {false, true, -1, 9}, {true, false, 42, -5}, {false, false, INT32_MIN, INT32_MAX},
    };
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
    EXPECT_TRUE(Traps()->Queue().empty());
}

TEST_F(CallLayer, RecordsBeforeAndAfterWithDirectionsAndValues) {
    host::SetRecording(true);
    g_fakeResult = 5;
    g_fakeValue = 77;
    int value = -1;
    int dummy = 0;
    TVStream stream = &dummy;
    ASSERT_EQ(GetViaLayer(stream, &value), 5);
    EXPECT_EQ(value, 77);

    const std::vector<ht::TSCallRecord> records = Store().Records();
    ASSERT_EQ(records.size(), 2u);
    const ht::TSCallRecord& before = records[0];
    const ht::TSCallRecord& after = records[1];
    EXPECT_EQ(before.kind, ht::kRecordBeforeCall);
    EXPECT_NE(before.id, 0u);
    EXPECT_EQ(after.kind, ht::kRecordAfterCall);
    EXPECT_EQ(after.id, 0u);

    // Before: stream, property, terminator (the out pointer is direction 2).
    ASSERT_EQ(before.items.size(), 3u);
    TVStream recorded = nullptr;
    ASSERT_EQ(before.items[0].bytes.size(), sizeof(TVStream));
    std::memcpy(&recorded, before.items[0].bytes.data(), sizeof(TVStream));
    EXPECT_EQ(recorded, stream);
    EXPECT_EQ(AsInt(before.items[1]), TV_PROPERTY_TUNER_ANALOG_MTS_MODE);
    EXPECT_EQ(before.items[2].bytes, std::vector<uint8_t>(sizeof(void*), 0));
    // After: the value written through the out pointer, then the result.
    ASSERT_EQ(after.items.size(), 2u);
    EXPECT_EQ(AsInt(after.items[0]), 77);
    EXPECT_EQ(AsInt(after.items[1]), 5);
}

TEST_F(CallLayer, StringsAndNullPointers) {
    host::SetRecording(true);
    struct Row {
        const char* key;
        bool withOut;
        bool keyNull;
        bool outNull;
    };
    const Row rows[] = {{"db/menu/x", true, false, false}, {nullptr, true, true, false}, {"k", false, false, true}};
    for (const Row& row : rows) {
        Store().Clear();
        int out = 0;
        ReadKeyViaLayer(row.key, row.withOut ? &out : nullptr);
        const auto records = Store().Records();
        ASSERT_EQ(records.size(), 2u);
        ASSERT_EQ(records[0].items.size(), 1u);
        EXPECT_EQ(records[0].items[0].isNull, row.keyNull);
        if (!row.keyNull) {
            EXPECT_EQ(AsText(records[0].items[0]), row.key);  // no terminator
        }
        ASSERT_EQ(records[1].items.size(), 2u);
        EXPECT_EQ(records[1].items[0].isNull, row.outNull);
        if (!row.outNull) {
            EXPECT_EQ(AsInt(records[1].items[0]), out);
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
    EXPECT_GT(location.Line(), 0);
    EXPECT_EQ(location.Function(), g_helperFunction);
}

TSRectInfo g_rectSeen;
int AllKinds(bool, unsigned char, int, EPictureSizeType, void*, TSRectInfo, TSAspectRatioKey, int* out,
             const char*, TSRectInfo& rect, const TSAspectRatioKey&) {
    *out = 11;
    rect.width = 1920;
    return 3;
}
bool IsTrue(int v) {
    return v != 0;
}

TEST_F(CallLayer, TypeDescriptorsOfArgumentsAndResult) {
    host::SetRecording(true);
    TSRectInfo byValue(1, 2, 3, 4);
    TSRectInfo byRef;
    TSAspectRatioKey key;
    int out = 0;
    unsigned char uc = 7;
    ASSERT_EQ(HT_CALL(AllKinds, HT_DIRS(1, 1, 1, 1, 1, 1, 1, 2, 1, 2, 1), true, uc, 5, PICTURESIZETYPE_ZOOM,
                      nullptr, byValue, key, &out, "text", byRef, key),
              3);
    ASSERT_TRUE(HT_CALL(IsTrue, HT_DIRS(1), 9));

    const auto records = Store().Records();
    ASSERT_EQ(records.size(), 4u);
    const ht::TCCallLocation all = LocationOf(records[0].id);
    struct Expected {
        const char* name;
        int direction;
        uint16_t size;
    };
    const Expected expected[] = {
        {"bool", 1, 1},         {"unsigned char", 1, 1},   {"int", 1, 4},         {"enum_EPictureSizeType", 1, 4},
        {"void*", 1, 4},        {"TSRectInfo", 1, 28},     {"TSAspectRatioKey", 1, 56}, {"int", 2, 0x3FFF},
        {"char", 1, 0x3FFF},    {"TSRectInfo", 2, 0x3FFF}, {"TSAspectRatioKey", 1, 56},
    };
    ASSERT_EQ(all.Arguments().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(all.Arguments()[i].name, expected[i].name) << "argument " << i;
        EXPECT_EQ(all.Arguments()[i].direction, expected[i].direction) << "argument " << i;
        EXPECT_EQ(all.Arguments()[i].sizeCode, expected[i].size) << "argument " << i;
    }
    ASSERT_TRUE(all.HasResult());
    EXPECT_EQ(all.Result().name, "int");
    EXPECT_EQ(all.Result().sizeCode, 4);
    // Before: the nine direction-1 arguments, the string without terminator.
    ASSERT_EQ(records[0].items.size(), 9u);
    EXPECT_EQ(records[0].items[8].bytes.size(), sizeof(TSAspectRatioKey));
    EXPECT_EQ(records[0].items[1].bytes, std::vector<uint8_t>{7});
    EXPECT_EQ(AsText(records[0].items[7]), "text");
    // After: the out int, the reference's record as changed, the result.
    ASSERT_EQ(records[1].items.size(), 3u);
    EXPECT_EQ(AsInt(records[1].items[0]), 11);
    ASSERT_EQ(records[1].items[1].bytes.size(), sizeof(TSRectInfo));
    EXPECT_EQ(std::memcmp(records[1].items[1].bytes.data(), &byRef, sizeof(TSRectInfo)), 0);
    EXPECT_EQ(AsInt(records[1].items[2]), 3);

    const ht::TCCallLocation boolean = LocationOf(records[2].id);
    EXPECT_EQ(boolean.Result().name, "bool");
    EXPECT_EQ(boolean.Result().sizeCode, 4);
    EXPECT_EQ(records[3].items.back().bytes, std::vector<uint8_t>{1});
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
        EXPECT_EQ(AsInt(items.back()), 0);
    }
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

    struct Row {
        const char* name;
        ht::TCTrapCondition condition;
        int a;
        unsigned int b;
        const char* c;
        EPictureSizeType d;
        bool matched;
    };
    auto cond = [](std::initializer_list<std::pair<int, TSTrapItem>> items) {
        ht::TCTrapCondition c;
        for (const auto& item : items) c.AddItem(item.first, item.second);
        return c;
    };
    const Row rows[] = {
        {"no items", cond({}), 1, 2, "x", PICTURESIZETYPE_ZOOM, true},
        {"signed equal", cond({{0, TSTrapItem::Signed(ETrapCompare::Equal, -5)}}), -5, 0, "x", PICTURESIZETYPE_16_9,
         true},
        {"signed less fails", cond({{0, TSTrapItem::Signed(ETrapCompare::Less, 0)}}), 3, 0, "x",
         PICTURESIZETYPE_16_9, false},
        {"unsigned sees sign extension", cond({{0, TSTrapItem::Unsigned(ETrapCompare::Equal, ~0ULL)}}), -1, 0, "x",
         PICTURESIZETYPE_16_9, true},
        {"unsigned argument zero-extended", cond({{1, TSTrapItem::Unsigned(ETrapCompare::Equal, 0xFFFFFFFFULL)}}), 0,
         0xFFFFFFFFu, "x", PICTURESIZETYPE_16_9, true},
        {"text on string", cond({{2, TSTrapItem::Text(ETrapCompare::Equal, "db/menu")}}), 0, 0, "db/menu",
         PICTURESIZETYPE_16_9, true},
        {"text on string differs", cond({{2, TSTrapItem::Text(ETrapCompare::NotEqual, "db/menu")}}), 0, 0,
         "db/menu", PICTURESIZETYPE_16_9, false},
        {"text on null string", cond({{2, TSTrapItem::Text(ETrapCompare::Equal, "")}}), 0, 0, nullptr,
         PICTURESIZETYPE_16_9, false},
        {"text on little-endian int", cond({{0, TSTrapItem::Text(ETrapCompare::Equal, "ABCD")}}), 0x44434241, 0, "x",
         PICTURESIZETYPE_16_9, true},
        {"enum signed", cond({{3, TSTrapItem::Signed(ETrapCompare::GreaterEqual, 4)}}), 0, 0, "x",
         PICTURESIZETYPE_21_9, true},
        {"items ANDed", cond({{0, TSTrapItem::Signed(ETrapCompare::Greater, 0)},
                              {0, TSTrapItem::Signed(ETrapCompare::Less, 10)}}),
         20, 0, "x", PICTURESIZETYPE_16_9, false},
        {"range holds", cond({{0, TSTrapItem::Signed(ETrapCompare::Greater, 0)},
                              {0, TSTrapItem::Signed(ETrapCompare::LessEqual, 10)},
                              {1, TSTrapItem::Unsigned(ETrapCompare::NotEqual, 3)}}),
         10, 4, "x", PICTURESIZETYPE_16_9, true},
        {"first index fails, later passes", cond({{0, TSTrapItem::Signed(ETrapCompare::Equal, 1)},
                                                  {1, TSTrapItem::Unsigned(ETrapCompare::Equal, 2)}}),
         0, 2, "x", PICTURESIZETYPE_16_9, false},
    };
    for (const Row& row : rows) {
        Traps()->ClearQueue();
        Traps()->ArmTrap(site.File().c_str(), site.Line(), row.condition);
        const int result = CallTrapTarget(row.a, row.b, row.c, row.d);
        EXPECT_EQ(result, TrapTarget(row.a, row.b, row.c, row.d)) << row.name;
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
        rect.x = 5;
        rect.width = rect.height = 10;
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
        EXPECT_EQ(std::memcmp(records[1].items[0].bytes.data(), &rect, sizeof(rect)), 0);
        EXPECT_EQ(AsInt(records[1].items[1]), 300);
        EXPECT_EQ(LocationOf(records[0].id).Arguments().at(1).name, "TSRectInfo");
        EXPECT_EQ(ht::TIStorageManager::Instance()->RegisteredTypes().count("TSRectInfo"), 1u);
    }

    // Built from one direction per argument; without a site nothing is recorded.
    Store().Clear();
    Square square;
    TSRectInfo rect;
    auto handler = ht::TCCallHandlers::CallHandler(static_cast<Shape*>(&square), &Shape::Area, 1, 2);
    EXPECT_EQ(handler(2, rect), 200);
    EXPECT_EQ(Store().RecordCount(), 0u);

    ht::TCCallHandler<int(int)> empty(boost::function<int(int)>(), HT_DIRS(1));
    EXPECT_THROW(empty(1), boost::bad_function_call);
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
    };
    const Row rows[] = {{true, 1, {5}}, {true, 2, {9}}, {true, 3, {5, 9}}, {false, 3, {}}};
    uint32_t id = 0;
    for (const Row& row : rows) {
        host::SetRecording(row.recording);
        Store().Clear();
        ScopeValues(row.direction);
        const auto records = Store().Records();
        ASSERT_EQ(records.size(), row.recording ? 1u : 0u);
        if (!row.recording) continue;
        EXPECT_EQ(records[0].kind, ht::kRecordScope);
        EXPECT_NE(records[0].id, 0u);
        if (id != 0) {
            EXPECT_EQ(records[0].id, id);
        }
        id = records[0].id;
        std::vector<int> values;
        for (const auto& item : records[0].items) values.push_back(AsInt(item));
        EXPECT_EQ(values, row.items) << "direction " << row.direction;
    }
}

TEST_F(CallLayer, RegistrationOncePerUnitAndFlagsFollowTheSwitch) {
    const int registered = host::RegistrationCount();
    const int deregistered = host::DeregistrationCount();
    const int mine = ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled());
    EXPECT_GE(mine, 1);  // this unit registered at load

    HtLibHelperInit();
    EXPECT_EQ(host::RegistrationCount(), registered);
    HtLibHelperDeinit();
    HtLibHelperDeinit();
    EXPECT_EQ(host::DeregistrationCount(), deregistered + 1);
    EXPECT_EQ(ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled()), mine - 1);
    ht_register_library(HtLibEnabled());  // give this unit's registration back
    EXPECT_EQ(ht::TCLibraryRegistry::Instance()->Registrations(HtLibEnabled()), mine);

    // A library registered while recording is on starts on; the switch
    // reaches it while registered and not after.
    std::atomic<bool> other{false};
    host::SetRecording(true);
    ht_register_library(&other);
    EXPECT_TRUE(other.load());
    host::SetRecording(false);
    EXPECT_FALSE(other.load());
    EXPECT_FALSE(HtLibEnabled()->load());
    ht_deregister_library(&other);
    host::SetRecording(true);
    EXPECT_FALSE(other.load());
    EXPECT_TRUE(HtLibEnabled()->load());
}

}  // namespace
