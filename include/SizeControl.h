// Picture-size controller: one instance per framework handle, holding the
// geometry state of one video path.
#pragma once

#include <map>
#include <string>

#include "AVTypes.h"
#include "TCFramework.h"
#include "kova_types.h"
#include "tv_stream.h"

class TCMutex;

class TVAV_EXPORT TCSizeControl {
public:
    enum EScreenStateType : int32_t {
        SCREENSTATE_FULLSIZE = 0,
        SCREENSTATE_PIG_BY_SETSIZE = 1,
        SCREENSTATE_PIG_BY_CROPVIDEO = 2,
    };

    // The instance of a handle, created on first use. (p 1, s 20) is (p 1, s 0).
    static TCSizeControl* GetInstance(ORBHandle handle);

    explicit TCSizeControl(ORBHandle handle);
    virtual ~TCSizeControl();
    TCSizeControl(const TCSizeControl&) = delete;
    TCSizeControl& operator=(const TCSizeControl&) = delete;

    // Virtual operations, in table order.
    virtual int GetSize(int& x, int& y, int& height, int& width);
    virtual int GetCropVideoInfo(TSRectInfo& src, TSRectInfo& dst);
    virtual int InitializeData();
    virtual void SetLiveTvShowState(bool onOff);
    virtual void SetPrevResolutionInfo(kova_resolution_e resolution, unsigned int horizontal, unsigned int vertical);
    virtual void SetStillMode(bool bStill);
    virtual EScreenStateType GetCurrentScreenState();
    virtual void SetCurrentScreenState(EScreenStateType eState);

    // PC-input geometry: not supported on this product; each returns 0.
    virtual int SetCoarse(TVStream stream, TSAspectRatioKey key, int value, bool bSave);
    virtual int GetCoarse(TSAspectRatioKey key, int& value);
    virtual int SetFine(TVStream stream, TSAspectRatioKey key, int value, bool bSave);
    virtual int GetFine(TSAspectRatioKey key, int& value);
    virtual int SetPcPosition(TVStream stream, TSAspectRatioKey key, int horizontal, int vertical, bool bSave);
    virtual int GetPcPosition(TSAspectRatioKey key, int& horizontal, int& vertical);
    virtual int SetAutoAdjustment(TVStream stream, TSAspectRatioKey key, int value, bool bSave);
    virtual int GetAutoAdjustment(TSAspectRatioKey key, int& value);
    virtual int SaveAutoAdjustment(TVStream stream, TSAspectRatioKey key, int value);
    virtual int SetPCPositionByAutoAdjustment(TVStream stream, TSAspectRatioKey key, int horizontal, int vertical,
                                              bool bSave);
    virtual int GetHVofPcPosition(TSAspectRatioKey key, int& horizontal, int& vertical);
    virtual int ResetPcPicture(TVStream stream, TSAspectRatioKey key);

    // 21:9 letterbox information; no lock.
    void Get21to9SizeInfo(TS21to9SizeInfo& info);
    void Set21to9SizeInfo(TS21to9SizeInfo info);
    void Reset21to9SizeInfo();

    void SetPipelineTask(TCTask* pPipelineTask);

    const ORBHandle& GetHandle() const { return m_handle; }

protected:
    struct TSIntRect {
        int x;
        int y;
        int width;
        int height;
    };

    TSIntRect t_currentDst;
    TSIntRect t_currentSrc;
    TSRectInfo t_fullScreenRect;
    TSRectInfo t_BaseGfxRect;
    TSRectInfo t_zoomOffset;
    TSRectInfo t_captionOffset;
    TSRectInfo t_customOffset;
    TSRectInfo t_screenFitPosition;

private:
    ORBHandle m_handle;
    std::string m_strHandle;

protected:
    EScreenStateType t_eCurrentScreenState;

private:
    int m_lastWideMode;

protected:
    TS21to9SizeInfo t_21to9SizeInfo;
    TSRectInfo t_afdGeometryRect;
    bool t_bCurrentPCMode;

private:
    bool m_bCheckLiveTvShow;
    bool m_bDstWiderThanFull;
    kova_resolution_e m_prevResolution;
    unsigned int m_prevHorizontal;
    unsigned int m_prevVertical;
    bool m_bStillMode;
    std::string m_strSetSizeCaller;
    std::string m_strSetCropVideoCaller;
    TCTask* m_pPipelineTask;

    static std::map<ORBHandle, TCSizeControl*> m_instances;
    static TCRWLock m_rwlock;
    static TCMutex* m_lock;

    // Fast-video server hand-over state.
    static bool m_bNeedtoTerminateFBServer;
    static bool m_bFlagSkipFBterminate;
    static int m_iResultOfFBTerminate;

    int m_NotSupported();
};
