// Media player stream interface: a property store per stream.
//
// What a get reports (the detected signal, the sink's flags) and what the
// last set selected are kept apart, as on the real player: setting the tuner's
// sound mode does not change the sound type it detects.
#include <cstdarg>
#include <map>
#include <memory>
#include <mutex>

#include "HostState.h"
#include "host/HostControl.h"
#include "tv_stream.h"

using host::detail::Dec;
using host::detail::ReadValue;
using host::detail::DstRect;
using host::detail::SrcRect;

namespace {

struct StreamState {
    std::map<int, int64_t> reported;   // what a get writes
    std::map<int, int64_t> lastSet;    // what the last accepted set selected
    std::map<int, int> setResults;     // what a set returns (default 0)
    int type = 0;
    int atsc3Result = 0;
    bool hasSink = false;
    TvStreamXvideoSrcDstRect sink{};
};

// Streams are never freed, so a handle stays valid for the life of the
// process; the handle is the address of the stream's state.
struct PlayerStore {
    std::mutex mutex;
    std::map<TVStream, std::unique_ptr<StreamState>> streams;
    TVStream defaultStream = nullptr;

    PlayerStore() { defaultStream = Add(); }

    TVStream Add() {
        auto state = std::make_unique<StreamState>();
        TVStream handle = state.get();
        streams.emplace(handle, std::move(state));
        return handle;
    }

    // Caller holds the mutex.
    StreamState* Find(TVStream stream) {
        auto it = streams.find(stream);
        return it == streams.end() ? nullptr : it->second.get();
    }
};

PlayerStore& Player() {
    static PlayerStore* store = new PlayerStore;
    return *store;
}

enum class Width { Int, Byte, Flag };

// Width of the value a get writes, by property.
struct PropertyWidth {
    int id;
    Width width;
};
constexpr PropertyWidth kPropertyWidths[] = {
    {TV_PROPERTY_HDMI_AVI_INFOFRAME, Width::Byte},
    {TV_PROPERTY_HDMI_SPD_INFOFRAME, Width::Byte},
    {TV_PROPERTY_MHL_CONNECTED, Width::Flag},
    {TV_PROPERTY_PC_MODE, Width::Flag},
    {TV_PROPERTY_21_9_SUPPORTED, Width::Flag},
    {TV_PROPERTY_21_9_ACTIVE, Width::Flag},
};

Width WidthOf(int id) {
    for (const PropertyWidth& w : kPropertyWidths) {
        if (w.id == id) return w.width;
    }
    return Width::Int;
}

// Returns the value as the caller reads it back.
int64_t WriteValue(int id, void* out, int64_t value) {
    switch (WidthOf(id)) {
    case Width::Byte:
        *static_cast<unsigned char*>(out) = static_cast<unsigned char>(value);
        return static_cast<unsigned char>(value);
    case Width::Flag:
        *static_cast<bool*>(out) = value != 0;
        return value != 0 ? 1 : 0;
    case Width::Int:
        break;
    }
    *static_cast<int*>(out) = static_cast<int>(value);
    return static_cast<int>(value);
}

}  // namespace

// The variadic calls carry one (property, value) pair; the null terminator
// that follows is not read.
extern "C" int tv_stream_get_property(TVStream stream, TvStreamPropertyType property, ...) {
    va_list ap;
    va_start(ap, property);
    void* out = va_arg(ap, void*);
    va_end(ap);

    int result = -1;
    int64_t value = 0;
    {
        PlayerStore& store = Player();
        std::lock_guard<std::mutex> lock(store.mutex);
        StreamState* state = store.Find(stream);
        if (state != nullptr && out != nullptr) {
            auto it = state->reported.find(property);
            if (it != state->reported.end()) {
                value = WriteValue(property, out, it->second);
                result = 0;
            }
        }
    }
    HOST_RECORD("tv_stream_get_property", {Dec(property)}, Dec(result), ReadValue(result == 0, Dec(value)));
    return result;
}

extern "C" int tv_stream_set_property(TVStream stream, TvStreamPropertyType property, ...) {
    va_list ap;
    va_start(ap, property);
    const TvStreamXvideoSrcDstRect* rect = nullptr;
    int value = 0;
    const bool bSink = property == TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER;
    if (bSink) {
        rect = va_arg(ap, const TvStreamXvideoSrcDstRect*);
    } else {
        value = va_arg(ap, int);
    }
    va_end(ap);
    // Journal texts, built only while the journal is kept.
    auto args = [&]() -> std::vector<std::string> {
        if (!bSink) return {Dec(property), Dec(value)};
        if (rect == nullptr) return {Dec(property), "null"};
        return {Dec(property), SrcRect(*rect), DstRect(*rect)};
    };

    int result = -1;
    {
        PlayerStore& store = Player();
        std::lock_guard<std::mutex> lock(store.mutex);
        StreamState* state = store.Find(stream);
        if (state != nullptr) {
            auto it = state->setResults.find(property);
            result = it == state->setResults.end() ? 0 : it->second;
            if (property == TV_PROPERTY_VIDEO_SINK_SRCDST_POINTER && rect == nullptr) {
                result = -1;
            }
            // A refused value changes nothing.
            if (result == 0) {
                if (rect != nullptr) {
                    state->sink = *rect;
                    state->hasSink = true;
                } else {
                    state->lastSet[property] = value;
                }
            }
        }
    }
    HOST_RECORD("tv_stream_set_property", args(), Dec(result));
    return result;
}

extern "C" int tv_stream_get_type(TVStream stream) {
    int type = -1;
    {
        PlayerStore& store = Player();
        std::lock_guard<std::mutex> lock(store.mutex);
        StreamState* state = store.Find(stream);
        if (state != nullptr) type = state->type;
    }
    HOST_RECORD("tv_stream_get_type", {}, Dec(type));
    return type;
}

extern "C" int tv_stream_atsc3_set_video_size(TVStream stream, TvStreamXvideoSrcDstRect* rect) {
    auto args = [rect]() -> std::vector<std::string> {
        if (rect == nullptr) return {"null"};
        return {SrcRect(*rect), DstRect(*rect)};
    };
    int result = -1;
    {
        PlayerStore& store = Player();
        std::lock_guard<std::mutex> lock(store.mutex);
        StreamState* state = store.Find(stream);
        if (state != nullptr && rect != nullptr) {
            result = state->atsc3Result;
            if (result == 0) {
                state->sink = *rect;
                state->hasSink = true;
            }
        }
    }
    HOST_RECORD("tv_stream_atsc3_set_video_size", args(), Dec(result));
    return result;
}

namespace host {

TVStream DefaultStream() {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.defaultStream;
}

TVStream NewStream() {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.Add();
}

void SetProp(TVStream stream, int id, int64_t value) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (StreamState* state = store.Find(stream)) state->reported[id] = value;
}

void UnsetProp(TVStream stream, int id) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (StreamState* state = store.Find(stream)) state->reported.erase(id);
}

void SetPropResult(TVStream stream, int id, int result) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (StreamState* state = store.Find(stream)) state->setResults[id] = result;
}

void SetStreamType(TVStream stream, int type) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (StreamState* state = store.Find(stream)) state->type = type;
}

std::optional<int64_t> LastSetProp(TVStream stream, int id) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    StreamState* state = store.Find(stream);
    if (state == nullptr) return std::nullopt;
    auto it = state->lastSet.find(id);
    if (it == state->lastSet.end()) return std::nullopt;
    return it->second;
}

std::optional<TvStreamXvideoSrcDstRect> SinkRects(TVStream stream) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    StreamState* state = store.Find(stream);
    if (state == nullptr || !state->hasSink) return std::nullopt;
    return state->sink;
}

void SetAtsc3Result(TVStream stream, int result) {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (StreamState* state = store.Find(stream)) state->atsc3Result = result;
}

namespace detail {

// Every stream back to its start-up state; handles stay valid.
void ResetPlayer() {
    PlayerStore& store = Player();
    std::lock_guard<std::mutex> lock(store.mutex);
    for (auto& entry : store.streams) *entry.second = StreamState();
}

}  // namespace detail
}  // namespace host
