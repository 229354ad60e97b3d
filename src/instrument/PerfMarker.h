// Performance markers: a begin/end text handed to the kernel with prctl
// option 666. A refused prctl (as on a desktop kernel) is ignored.
#pragma once

namespace tvav {

// "[BEGIN]PER_ORB_<cls>::<fn><tag>" / "[END]PER_ORB_<cls>::<fn><tag>"; tag is
// "" or one of " 2", "-SRCDST", "-AVOC_PC_MODE", "-AVOC_PICTURE_MODE",
// "-res_lookup_get_picture_size", "-res_lookup_get_video_crop".
void PerfBegin(const char* cls, const char* fn, const char* tag = "");
void PerfEnd(const char* cls, const char* fn, const char* tag = "");
// The "[BEGIN]PER_ORB_TV_<cls>::<fn>" variant.
void PerfBeginTV(const char* cls, const char* fn);
void PerfEndTV(const char* cls, const char* fn);

// Begin on construction, end on destruction.
class PerfScope {
public:
    PerfScope(const char* cls, const char* fn, const char* tag = "") : m_cls(cls), m_fn(fn), m_tag(tag) {
        PerfBegin(m_cls, m_fn, m_tag);
    }
    ~PerfScope() { PerfEnd(m_cls, m_fn, m_tag); }
    PerfScope(const PerfScope&) = delete;
    PerfScope& operator=(const PerfScope&) = delete;

private:
    const char* m_cls;
    const char* m_fn;
    const char* m_tag;
};

}  // namespace tvav
