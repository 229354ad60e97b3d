// Internal plumbing shared by the stand-in's units: the journal writer, the
// text forms of journal arguments and the per-service reset hooks that
// host::Reset() runs.
#pragma once

#include <string>
#include <vector>

#include "kova_types.h"
#include "tv_stream.h"

namespace host {
namespace detail {

// Appends one outside call to the journal. Call sites use HOST_RECORD, which
// builds the argument texts only while the journal is kept. A read passes
// the value it handed back (empty when it handed back none).
void Record(std::string name, std::vector<std::string> args, std::string result, std::string value = {});
// Same, for a call without a result.
void RecordNoResult(std::string name, std::vector<std::string> args);
// Whether outside calls are journaled (host::SetJournal).
bool JournalOn();

std::string Dec(long long value);
std::string Bool(bool value);  // "1" or "0"
std::string Rect(const KOVARect_t& rect);
std::string SrcRect(const TvStreamXvideoSrcDstRect& rect);
std::string DstRect(const TvStreamXvideoSrcDstRect& rect);
// The value of a read that succeeded, else "".
inline std::string ReadValue(bool ok, const std::string& value) { return ok ? value : std::string(); }

// Start-up state of each service store.
void ResetJournal();
void ResetFramework();
void ResetPlayer();
void ResetServices();

}  // namespace detail
}  // namespace host

#define HOST_RECORD(...)                                   \
    do {                                                   \
        if (::host::detail::JournalOn()) {                 \
            ::host::detail::Record(__VA_ARGS__);           \
        }                                                  \
    } while (0)
#define HOST_RECORD_NO_RESULT(...)                         \
    do {                                                   \
        if (::host::detail::JournalOn()) {                 \
            ::host::detail::RecordNoResult(__VA_ARGS__);   \
        }                                                  \
    } while (0)
