// Framework core of the TV service: records, logger, scope trace, assertion,
// locks, object factory, factory options, product spec, analog country,
// agent manager with its agents, event manager and service API manager.
// Host stand-in declarations; behaviour lives in libtvav_host.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include <pthread.h>
#include <semaphore.h>

#include "kova_types.h"

// ---------------------------------------------------------------------------
// Marshalable records
// ---------------------------------------------------------------------------
class TCMarshalable {
public:
    virtual ~TCMarshalable() = default;
};

class TSRectInfo : public TCMarshalable {
public:
    TSRectInfo() = default;
    TSRectInfo(int x_, int y_, int w_, int h_) : x(x_), y(y_), width(w_), height(h_) {}
    TSRectInfo(const TSRectInfo&) = default;
    TSRectInfo& operator=(const TSRectInfo&) = default;
    bool operator==(const TSRectInfo& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
    bool operator!=(const TSRectInfo& o) const { return !(*this == o); }

    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class TSResolution : public TCMarshalable {
public:
    TSResolution() = default;
    TSResolution(const TSResolution&) = default;
    TSResolution& operator=(const TSResolution&) = default;

    uint32_t horizontal = 0;   // active pixels per line
    uint32_t vertical = 0;     // active lines
    uint32_t aspectratio = 0;  // signalled aspect ratio code
    uint32_t frequency = 0;    // carried unchanged
    uint32_t scanType = 0;     // carried unchanged
};

// ---------------------------------------------------------------------------
// Pipeline handle
// ---------------------------------------------------------------------------
struct ORBHandle {
    int32_t p = 0;
    uint16_t s = 0;

    ORBHandle() = default;
    ORBHandle(int32_t p_, uint16_t s_) : p(p_), s(s_) {}
    bool operator==(const ORBHandle& o) const { return p == o.p && s == o.s; }
    bool operator!=(const ORBHandle& o) const { return !(*this == o); }
    bool operator<(const ORBHandle& o) const { return p != o.p ? p < o.p : s < o.s; }
};

class TCTask;  // pipeline task of the service; opaque here

// ---------------------------------------------------------------------------
// Logger
// ---------------------------------------------------------------------------
class TCDebugPrint {
public:
    void Print(const char* function, int line, int module, int level, const char* format, ...)
        __attribute__((format(printf, 6, 7)));
    void PrintF(const char* function, int line, int module, int level, const char* format, ...)
        __attribute__((format(printf, 6, 7)));
    void VPrint(const char* function, int line, int module, int level, const char* format, va_list ap);
};

class TCDebugPrintORB {
public:
    static TCDebugPrint* GetInstance();
};

// Marks entry and exit of a scope: the label is journaled on entry ("scope")
// and on exit ("scope_end").
class TCScopeTrace {
public:
    explicit TCScopeTrace(const char* label);
    ~TCScopeTrace();
    TCScopeTrace(const TCScopeTrace&) = delete;
    TCScopeTrace& operator=(const TCScopeTrace&) = delete;

private:
    const char* m_label;  // a literal: it outlives the trace
};

// Reports a broken invariant and returns.
void _TCAssert(const char* expression, const char* file, int line);

// ---------------------------------------------------------------------------
// Locks
// ---------------------------------------------------------------------------
class TCSemaphore {
public:
    TCSemaphore() = default;
    ~TCSemaphore();
    TCSemaphore(const TCSemaphore&) = delete;
    TCSemaphore& operator=(const TCSemaphore&) = delete;

    bool Create(unsigned int count);
    bool Take();   // blocks
    bool Give();
    bool Destroy();
    bool FlagCreate() const { return m_created; }

private:
    sem_t m_sem{};
    bool m_created = false;
};

// Reader-writer lock. A thread that already holds the read lock may take it
// again even while a writer waits (writers are preferred otherwise).
class TCRWLock {
public:
    TCRWLock();
    ~TCRWLock();
    TCRWLock(const TCRWLock&) = delete;
    TCRWLock& operator=(const TCRWLock&) = delete;

    void RLock();
    void RUnlock();
    void WLock();
    void WUnlock();

private:
    struct Impl;
    Impl* m_impl;
};

// ---------------------------------------------------------------------------
// Object factory
// ---------------------------------------------------------------------------
class TCSizeControl;

class TCObjectFactory {
public:
    virtual ~TCObjectFactory() = default;
    // The size-controller slot; a product factory fills it.
    virtual TCSizeControl* GetSizeControl(const ORBHandle& handle) = 0;

    // The factory registered by the product (null when none is).
    static TCObjectFactory* GetInstance();
    static void SetInstance(TCObjectFactory* factory);
};

// ---------------------------------------------------------------------------
// Factory options, product spec, analog country
// ---------------------------------------------------------------------------
class TCFactoryProvider {
public:
    static bool GetOption(int option, int* value);
};

enum ESOSpecTag { SOSPEC_TAG_COUNTRY = 1 };

class TCSOSpec {
public:
    static TCSOSpec* Instance(const ORBHandle& handle);
    bool m_Get(ESOSpecTag tag, int& value);
};

class TCVConfProvider {
public:
    static int GetAnalogCountry();
};

// ---------------------------------------------------------------------------
// Agents
// ---------------------------------------------------------------------------
struct TSPictureSizeOption;

class TIAgent {
public:
    virtual ~TIAgent() = default;
};

typedef int TSAgentInstanceKey;

// Store of per-input picture settings.
class TIAspectRatioAgent : public TIAgent {
public:
    virtual int GetDefaultPictureSize() = 0;
    virtual bool GetPictureSizeInfo(int source, int resolutionMode, bool dtv, int* size) = 0;
    virtual bool SetPictureSizeInfo(int source, int resolutionMode, bool dtv, int size) = 0;
    virtual bool GetPictureSizeDetailInfo(int source, int resolutionMode, int size, TSPictureSizeOption* option) = 0;
    virtual bool SetPictureSizeDetailInfo(int source, int resolutionMode, int size, const TSPictureSizeOption& option) = 0;
    virtual bool Reset() = 0;
};

struct TSATSC3FastvideoInfo {
    int32_t ATSC3FastvideoOnOff = -1;
    int32_t reserved1 = -1;
    int32_t reserved2 = -1;
    int32_t tail[4] = {0, 0, 0, 0};
};

class TIATSC3FastvideoAgent : public TIAgent {
public:
    virtual bool GetATSC3FastvideoInfo(TSATSC3FastvideoInfo* info) = 0;
};

class TCAgentMgr {
public:
    static TCAgentMgr* Instance();
    // Agent by lookup key; the aspect-ratio agent is registered under the empty key 0.
    TIAgent* m_Instance(TSAgentInstanceKey key);
    template <typename T>
    static T* Instance();

    void RLock();
    void RUnlock();
};

static constexpr TSAgentInstanceKey AGENT_KEY_ASPECT_RATIO = 0;
static constexpr TSAgentInstanceKey AGENT_KEY_ATSC3_FASTVIDEO = 47;

template <>
inline TIAspectRatioAgent* TCAgentMgr::Instance<TIAspectRatioAgent>() {
    return dynamic_cast<TIAspectRatioAgent*>(Instance()->m_Instance(AGENT_KEY_ASPECT_RATIO));
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------
class TIEventManager {
public:
    virtual ~TIEventManager() = default;
    // Null when the service has no event manager.
    static TIEventManager* Instance();
    virtual int SendEvent(int event, void* data, int arg) = 0;
};

// ---------------------------------------------------------------------------
// Service API manager
// ---------------------------------------------------------------------------
struct TSCallerProperties {
    std::string name;  // application that last called the service
    int pid = 0;
};

class OrbServiceAPIManager {
public:
    static OrbServiceAPIManager* GetInstance(const char* objectPath, const char* interfaceName);
    TSCallerProperties GetCallerProperties();
};

// The TV service's signal object on the system bus.
#define ORB_SERVICE_SIGNAL_OBJECT_PATH "/org/tvav/orb/Signal"
#define ORB_SERVICE_SIGNAL_INTERFACE "org.tvav.orb.Signal"
