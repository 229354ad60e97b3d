// Picture-size controller: one instance per framework handle, holding the
// geometry state of one video path and applying picture sizes, automatic
// wide, screen fit, zoom offsets, 21:9 letterbox, panorama and application
// windows to the player's video sink.
#pragma once

#include <atomic>
#include <map>
#include <string>

#include <tvav/AVTypes.h>
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

    // One entry of the AFD scale table.
    struct ScaleInfo_t {
        int32_t eAfdScaleType = 7;  // 7: no entry found
        TSRectInfo tInputVideo;
        TSRectInfo tCaptureRatio;   // width/height in 1/10000, x/y centring multipliers
    };

    // The instance of a handle, created on first use. (p 1, s 20) is (p 1, s 0).
    static TCSizeControl* GetInstance(ORBHandle handle);

    explicit TCSizeControl(ORBHandle handle);
    virtual ~TCSizeControl();
    TCSizeControl(const TCSizeControl&) = delete;
    TCSizeControl& operator=(const TCSizeControl&) = delete;

    // Virtual operations, in table order.
    // Application windows (rectangles as x, y, height, width).
    virtual int SetSize(TVStream stream, TSAspectRatioKey key, int x, int y, int height, int width);
    virtual int SetSizeInfo(int x, int y, int height, int width);
    virtual int SetCropVideo(TVStream stream, TSRectInfo src, TSRectInfo dst);
    // Back to full size, and what full size would show.
    virtual void SetDefaultSize(TVStream stream, TSAspectRatioKey key);
    virtual void GetDefaultSize(TVStream stream, TSAspectRatioKey key, TSRectInfo& src, TSRectInfo& dst);
    virtual void SetDefaultSizeInfo();
    virtual int GetSize(int& x, int& y, int& height, int& width);
    virtual int GetCropVideoInfo(TSRectInfo& src, TSRectInfo& dst);
    // Automatic wide by the broadcast signalling.
    virtual int ChangeVideoSizeByWSS(TVStream stream, TSAspectRatioKey key, int wss, int screenModePreview);
    virtual int ChangeVideoSizeByAFD(TVStream stream, TSAspectRatioKey key, unsigned char afd,
                                     int screenModePreview);
    virtual int SetScreenFitPosition(TVStream stream, TSAspectRatioKey key, int x, int y);
    virtual int Set21to9_AutoSize(TVStream stream, TSAspectRatioKey key, bool bLogoDetected, bool bCaptionDetected,
                                  int TopBlankLine, int BottomBlankLine);
    // Menu request (and internal re-apply) of a picture size; signal re-apply.
    virtual int SetPictureSize(TVStream stream, TSAspectRatioKey key, EPictureSizeType size, bool bSave);
    virtual int SetPictureSize(TVStream stream, TSAspectRatioKey key);
    virtual int GetPictureSize(TSAspectRatioKey key, EPictureSizeType& size);
    virtual int GetKOVASourceType(TSAspectRatioKey key, kova_source_e& source);
    virtual int RefreshGFXRectSize(TVStream stream);
    // Zoom, caption and custom steps.
    virtual int SetZoomSize(TVStream stream, TSAspectRatioKey key, int hStep, int vStep);
    virtual int SetZoomPosition(TVStream stream, TSAspectRatioKey key, int dx, int dy);
    virtual void GetZoomPosition(TSAspectRatioKey key, int& dx, int& dy);
    virtual void GetZoomSize(TSAspectRatioKey key, int& width, int& height);
    // Per-input options of the picture-size menu.
    virtual int GetScreenFitOption(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType& option);
    virtual int SetScreenFitOption(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType option, bool bSave);
    virtual int ResetPictureSize(TVStream stream, TSAspectRatioKey key);
    virtual int GetAutoWideOption(TSAspectRatioKey key, bool& onOff);
    virtual int SetAutoWideOption(TVStream stream, TSAspectRatioKey key, bool onOff, bool bSave);
    virtual int GetScreenMode(TSAspectRatioKey key, EScreenModeData& mode);
    virtual int SetScreenMode(TVStream stream, TSAspectRatioKey key, EScreenModeData mode, bool bSave);
    virtual int SetPanoramaOption(TVStream stream, TSAspectRatioKey key, bool onOff, bool bSave);
    virtual int GetPanoramaOption(TSAspectRatioKey key, bool& onOff);
    virtual int InitializeData();
    virtual void InitializeDataForFBStore();
    virtual void SetLiveTvShowState(bool onOff);
    virtual void ResetPictureSizeDetailOption(EPictureSizeSubMenuType subMenu);
    virtual int GetAFDGeometryRectSize(int& x, int& y, int& width, int& height);
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

protected:
    // Hooks a derived class may replace (still in table order).
    virtual kova_resolution_e t_ConvertResolutionToSingleResolution(kova_resolution_e resolution);
    virtual int t_GetKOVAResolutionType(TSAspectRatioKey key, KOVAResolutionType_k& type);
    virtual int t_GetFBSource(TSAspectRatioKey key);
    virtual int t_GetRectSizeByLookupTable(TVStream stream, EPictureSizeType size, TSAspectRatioKey key,
                                           TSRectInfo& src, TSRectInfo& dst, unsigned char afd);
    virtual int t_ResLookupGetRectSize(TSAspectRatioKey key, EPictureSizeType& size, KOVAPictureSizeType_k& code,
                                       KOVARect_t& rect);
    virtual void t_SetPanorama(TVStream stream, EPictureSizeType size, TSAspectRatioKey key);
    virtual int t_GetScreenFitOption(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType& option,
                                     EPictureSizeType size);
    virtual int t_AdjustScreenFitForVideoWall(TSAspectRatioKey key, EScreenFitOptionType& option,
                                              EPictureSizeType size);
    virtual int t_PictureSizeDetailInfoInit(EPictureSizeType size, TSAspectRatioKey key, TSPictureSizeOption& option);
    virtual void t_ScreenFitOptionInit(EPictureSizeType size, TSAspectRatioKey key, TSPictureSizeOption& option);

    // Resolution mode 0..5 of the option store's key.
    int t_ConvertResolutionToResolutionMode(kova_resolution_e resolution);

public:
    // 21:9 letterbox information, under the controllers' mutex.
    void Get21to9SizeInfo(TS21to9SizeInfo& info);
    void Set21to9SizeInfo(TS21to9SizeInfo info);
    void Reset21to9SizeInfo();

    void SetPipelineTask(TCTask* pPipelineTask);

    // The service reports that the fast-boot video server was terminated
    // elsewhere, with that termination's result.
    static void SetFlagSkipFBterminate(int result);

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
    // The option most recently passed to SetScreenFitOption.
    EScreenFitOptionType m_eScreenFitOption;

    static std::map<ORBHandle, TCSizeControl*> m_instances;
    static TCRWLock m_rwlock;
    static TCMutex* m_lock;

    // Fast-video server hand-over state. Atomic: SetFlagSkipFBterminate
    // writes the flags without the lock that the sink writes hold.
    static std::atomic<bool> m_bNeedtoTerminateFBServer;
    static std::atomic<bool> m_bFlagSkipFBterminate;
    static std::atomic<int> m_iResultOfFBTerminate;

    int m_NotSupported();

    // Option store.
    bool m_GetPictureSizeDetailInfo(EPictureSizeType size, TSAspectRatioKey key, TSPictureSizeOption& option,
                                    bool bStoreFB, TVStream stream);
    int m_GetDefaultScreenSizeType(EPictureSizeType& size);
    // The key's current picture size, and its option record in `option`.
    EPictureSizeType m_GetCurrentSizeOption(TSAspectRatioKey key, TSPictureSizeOption& option, bool bStoreFB);

    // Fast-boot mirror.
    void m_StoreFBPictureSize(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                              TSPictureSizeOption option, bool bUseGiven);
    void m_CheckSavedPictureinfoFB(TVStream stream, TSAspectRatioKey key, EPictureSizeType size);

    // Video sink.
    int m_SetCropVideo(TVStream stream, TSRectInfo src, TSRectInfo dst, EPictureSizeType size);
    void m_TerminateFastvideoServer(TVStream stream);
    int m_SetWideMode(EPictureSizeType size);

    // Automatic wide.
    bool m_IsWideScreenModel();
    bool m_CheckApplyAFD(unsigned char afd, EPictureSizeType size, TSAspectRatioKey key);
    void m_GetAfdScaleInfo(unsigned char afd, TSAspectRatioKey key, ScaleInfo_t& out);
    void m_CalcInputVideoRect(TSRectInfo input, TSRectInfo captureRatio, TSRectInfo& out);
    int m_GetAutoWideOption(TSAspectRatioKey key, bool& onOff, EPictureSizeType size);
    bool m_IsNeedToAutoWideSetting(TVStream stream, TSAspectRatioKey key, EPictureSizeType size);
    bool m_SettingToAutoWideSize(TVStream stream, TSAspectRatioKey key);
    // Reads the input's AFD (digital) or WSS (analog) code and applies it with
    // the 4:3 screen mode `screenModePreview` (-1: the stored one).
    int m_ApplyCurrentSignal(TVStream stream, TSAspectRatioKey key, int screenModePreview);
    // Stores an option record of the key's picture size in the agent and the
    // fast-boot mirror (the menu setters' save step).
    void m_SaveDetailOption(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                            const TSPictureSizeOption& option, TIAspectRatioAgent* agent);
    // Steps shared by the AFD and WSS paths.
    int32_t m_GetSignalScreenMode(TVStream stream, TSAspectRatioKey key, int screenModePreview,
                                  EPictureSizeType& pictureSize);
    int m_ApplySignalSize(TVStream stream, TSAspectRatioKey key, EPictureSizeType psType,
                          EPictureSizeType pictureSize, unsigned char afd, bool bLogSource);
    // Steps shared by the two picture-size setters.
    bool m_HandOverToAutoWide(TVStream stream, TSAspectRatioKey key, EPictureSizeType size);
    bool m_RestoreRememberedOffset(TVStream stream, TSAspectRatioKey key, EPictureSizeType size, bool bStoreFB,
                                   int& result);
    bool m_SwitchLetterboxDetector(TVStream stream, TSAspectRatioKey key, EPictureSizeType size, bool bTraced);

    // Screen fit.
    int m_CheckScreenFitAutowork(TVStream stream, TSAspectRatioKey key, EScreenFitOptionType& result);
    void m_UpdatePCMode(TVStream stream, TSAspectRatioKey key);
    bool m_CheckScreenFitPosition(TVStream stream, EPictureSizeType size, TSAspectRatioKey key, int x, int y, int w,
                                  int h);
    // Zoom steps: stores the stepped record and applies the picture.
    int m_ApplyZoomStep(TVStream stream, TSAspectRatioKey key, EPictureSizeType size,
                        const TSPictureSizeOption& option, TIAspectRatioAgent* agent);
    // Application windows: writes source and destination to the sink inside
    // the scope trace `traceLabel`; returns the sink call's result.
    int m_WriteSinkRect(TVStream stream, const TSRectInfo& src, const TSRectInfo& dst, const char* traceLabel);
};
