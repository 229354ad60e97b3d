// Size controller frame: registry, construction, state setters, the
// unsupported PC-position family and the rectangle readers.
#include <tvav/SizeControl.h>

#include <cstdio>
#include <mutex>

#include "common/Log.h"
#include "sizecontrol/Mutex.h"
#include "common/RWLockGuard.h"
#include "instrument/CallLayer.h"

namespace {
const char* const kClassName = "TCSizeControl";
const ORBHandle kMainHandle(1, 0);
const ORBHandle kMainAliasHandle(1, 20);
constexpr int kPipHandleP = 101;
}  // namespace

std::map<ORBHandle, TCSizeControl*> TCSizeControl::m_instances;
TCRWLock TCSizeControl::m_rwlock;
TCMutex* TCSizeControl::m_lock = nullptr;
std::atomic<bool> TCSizeControl::m_bNeedtoTerminateFBServer{true};
std::atomic<bool> TCSizeControl::m_bFlagSkipFBterminate{false};
std::atomic<int> TCSizeControl::m_iResultOfFBTerminate{1};

TCSizeControl* TCSizeControl::GetInstance(ORBHandle handle) {
    if (handle == kMainAliasHandle) {
        handle = kMainHandle;
    }

    {
        tvav::TCReadLockGuard readLock(m_rwlock);
        auto it = m_instances.find(handle);
        if (it != m_instances.end()) {
            return it->second;
        }
    }

    tvav::TCWriteLockGuard writeLock(m_rwlock);
    // Another first caller may have created it between the two locks.
    auto it = m_instances.find(handle);
    if (it != m_instances.end()) {
        return it->second;
    }
    // Without a factory, or when it builds nothing, the handle stays
    // unregistered so that a later call can still create its controller.
    TCObjectFactory* factory = TCObjectFactory::GetInstance();
    if (factory == nullptr) {
        AV_LOG(1, "[TCSizeControl::GetInstance] no object factory, no size controller for [p:%d/s:%d]", handle.p,
               handle.s);
        return nullptr;
    }
    TCSizeControl* instance = factory->GetSizeControl(handle);
    if (instance == nullptr) {
        AV_LOG(1, "[TCSizeControl::GetInstance] object factory made no size controller for [p:%d/s:%d]", handle.p,
               handle.s);
        return nullptr;
    }
    m_instances[handle] = instance;
    return instance;
}

TCSizeControl::TCSizeControl(ORBHandle handle)
    : t_currentDst{0, 0, 1920, 1080},
      t_currentSrc{0, 0, 3840, 2160},
      t_fullScreenRect(0, 0, 1920, 1080),
      t_BaseGfxRect(0, 0, 1920, 1080),
      t_zoomOffset(0, 0, 0, 0),
      t_captionOffset(0, 0, 0, 0),
      t_customOffset(0, 0, 0, 0),
      t_screenFitPosition(0, 0, 0, 0),
      m_handle(handle),
      t_eCurrentScreenState(SCREENSTATE_FULLSIZE),
      m_lastWideMode(-1),
      t_afdGeometryRect(0, 0, 1920, 1080),
      t_bCurrentPCMode(false),
      m_bCheckLiveTvShow(false),
      m_bDstWiderThanFull(true),
      m_prevResolution(65536),
      m_prevHorizontal(0),
      m_prevVertical(0),
      m_bStillMode(false),
      m_pPipelineTask(nullptr),
      m_eScreenFitOption(SCREENFITOPTION_OFF) {
    m_strHandle = "p:" + std::to_string(handle.p) + ",s:" + std::to_string(handle.s);

    AV_LOG(4, "[%s-%s] Base Gfx Rect = [x:%d,y:%d,h:%d,w:%d]", kClassName, m_strHandle.c_str(), t_BaseGfxRect.x,
           t_BaseGfxRect.y, t_BaseGfxRect.height, t_BaseGfxRect.width);

    t_currentDst.x = 0;
    t_currentDst.y = 0;
    if (handle.p == kPipHandleP) {
        t_currentDst.width = 1;
        t_currentDst.height = 1;
        SetCurrentScreenState(SCREENSTATE_PIG_BY_SETSIZE);
    } else {
        t_currentDst.width = t_fullScreenRect.width;
        t_currentDst.height = t_fullScreenRect.height;
        SetCurrentScreenState(SCREENSTATE_FULLSIZE);
    }
    t_currentSrc = {0, 0, 3840, 2160};
    t_afdGeometryRect = TSRectInfo(0, 0, 1920, 1080);

    // The first constructor creates the shared mutex. The factory is public,
    // so constructors may run concurrently: create it exactly once.
    static std::once_flag lockCreated;
    std::call_once(lockCreated, [] {
        TCMutex* mutex = new TCMutex();
        mutex->Create();
        m_lock = mutex;
    });

    Reset21to9SizeInfo();
    m_prevResolution = 65536;
    m_prevHorizontal = 0;
    m_prevVertical = 0;
    m_lastWideMode = -1;
    m_bDstWiderThanFull = true;
    m_bStillMode = false;
    m_strSetSizeCaller.clear();
    m_strSetCropVideoCaller.clear();
    m_pPipelineTask = nullptr;
}

TCSizeControl::~TCSizeControl() = default;

int TCSizeControl::GetSize(int& x, int& y, int& height, int& width) {
    TCMutexGuard guard(m_lock);
    AV_LOG(4, "[%s-%s] is called", kClassName, m_strHandle.c_str());
    x = t_currentDst.x;
    y = t_currentDst.y;
    height = t_currentDst.height;
    width = t_currentDst.width;
    AV_LOG(1, "[%s-%s] x : %d , y : %d , h : %d , w : %d", kClassName, m_strHandle.c_str(), x, y, height, width);
    return 1;
}

int TCSizeControl::GetCropVideoInfo(TSRectInfo& src, TSRectInfo& dst) {
    TCMutexGuard guard(m_lock);
    src = TSRectInfo(t_currentSrc.x, t_currentSrc.y, t_currentSrc.width, t_currentSrc.height);
    dst = TSRectInfo(t_currentDst.x, t_currentDst.y, t_currentDst.width, t_currentDst.height);
    AV_LOG(1, "[%s-%s] src : x[%d] , y[%d] , h[%d] , w[%d]", kClassName, m_strHandle.c_str(), src.x, src.y,
           src.height, src.width);
    AV_LOG(1, "[%s-%s] dest : x[%d] , y[%d] , h[%d] , w[%d]", kClassName, m_strHandle.c_str(), dst.x, dst.y,
           dst.height, dst.width);
    return 1;
}

// The state setters below take m_lock: operations on other threads read
// these members under it. None of them reaches the agent manager.
int TCSizeControl::InitializeData() {
    TCMutexGuard guard(m_lock);
    AV_LOG(4, "[%s-%s] called!!", kClassName, m_strHandle.c_str());
    m_lastWideMode = -1;
    return 1;
}

void TCSizeControl::SetLiveTvShowState(bool onOff) {
    TCMutexGuard guard(m_lock);
    m_bCheckLiveTvShow = onOff;
    AV_LOG(1, "[ORB_PICTURE][%s-%s] onOff[%d]", kClassName, m_strHandle.c_str(), onOff);
    AV_LOG(4, "[%s-%s] onOff[%d]", kClassName, m_strHandle.c_str(), onOff);
}

void TCSizeControl::SetPrevResolutionInfo(kova_resolution_e resolution, unsigned int horizontal,
                                          unsigned int vertical) {
    if (horizontal == 0 || vertical == 0) {
        return;
    }
    TCMutexGuard guard(m_lock);
    m_prevResolution = resolution;
    m_prevHorizontal = horizontal;
    m_prevVertical = vertical;
    AV_LOG(1,
           "[TCSizeControl::SetPrevResolutionInfo] save to PrevRESInfo, prevResolution[%d] prevHorizontal[%d], "
           "prevVertical[%d] \n",
           m_prevResolution, m_prevHorizontal, m_prevVertical);
}

void TCSizeControl::SetStillMode(bool bStill) {
    TCMutexGuard guard(m_lock);
    m_bStillMode = bStill;
    AV_LOG(1, "[TCSizeControl::SetStillMode] SetStillMode[%d]", bStill);
}

// The capability checks ask for the state from other threads without the
// controller's lock, so it is loaded and stored atomically.
TCSizeControl::EScreenStateType TCSizeControl::GetCurrentScreenState() {
    return __atomic_load_n(&t_eCurrentScreenState, __ATOMIC_RELAXED);
}

void TCSizeControl::SetCurrentScreenState(EScreenStateType eState) {
    __atomic_store_n(&t_eCurrentScreenState, eState, __ATOMIC_RELAXED);
}

int TCSizeControl::m_NotSupported() {
    AV_LOG(2, "[%s-%s] This API is not supported at TV", kClassName, m_strHandle.c_str());
    return 0;
}

int TCSizeControl::SetCoarse(TVStream, TSAspectRatioKey, int, bool) { return m_NotSupported(); }
int TCSizeControl::GetCoarse(TSAspectRatioKey, int&) { return m_NotSupported(); }
int TCSizeControl::SetFine(TVStream, TSAspectRatioKey, int, bool) { return m_NotSupported(); }
int TCSizeControl::GetFine(TSAspectRatioKey, int&) { return m_NotSupported(); }
int TCSizeControl::SetPcPosition(TVStream, TSAspectRatioKey, int, int, bool) { return m_NotSupported(); }
int TCSizeControl::GetPcPosition(TSAspectRatioKey, int&, int&) { return m_NotSupported(); }
int TCSizeControl::SetAutoAdjustment(TVStream, TSAspectRatioKey, int, bool) { return m_NotSupported(); }
int TCSizeControl::GetAutoAdjustment(TSAspectRatioKey, int&) { return m_NotSupported(); }
int TCSizeControl::SaveAutoAdjustment(TVStream, TSAspectRatioKey, int) { return m_NotSupported(); }
int TCSizeControl::SetPCPositionByAutoAdjustment(TVStream, TSAspectRatioKey, int, int, bool) {
    return m_NotSupported();
}
int TCSizeControl::GetHVofPcPosition(TSAspectRatioKey, int&, int&) { return m_NotSupported(); }
int TCSizeControl::ResetPcPicture(TVStream, TSAspectRatioKey) { return m_NotSupported(); }

void TCSizeControl::Get21to9SizeInfo(TS21to9SizeInfo& info) {
    TCMutexGuard guard(m_lock);
    info = t_21to9SizeInfo;
}

void TCSizeControl::Set21to9SizeInfo(TS21to9SizeInfo info) {
    TCMutexGuard guard(m_lock);
    t_21to9SizeInfo = info;
}

void TCSizeControl::Reset21to9SizeInfo() {
    TCMutexGuard guard(m_lock);
    t_21to9SizeInfo = TS21to9SizeInfo();
}

void TCSizeControl::SetPipelineTask(TCTask* pPipelineTask) {
    AV_LOG(1, "[%s::%s -%s] pPipelineTask[%p] ", kClassName, "SetPipelineTask", m_strHandle.c_str(),
           static_cast<void*>(pPipelineTask));
    m_pPipelineTask = pPipelineTask;
}
