// Names a script may write for enumeration values and for the key's coded
// fields: the enumerators of the library's and the platform's enumerations
// (PICTURESIZETYPE_4_3, or 4_3 without the common prefix), and the key's
// aspect-ratio codes and sources the module names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <tvav/AVTypes.h>
#include "tv_stream.h"

namespace avctl {

struct NamedValue {
    const char* name;
    int64_t value;
};

struct NameTable {
    const char* type;    // the enumeration, or "key ar" / "key source"
    const char* prefix;  // common prefix the short form leaves out ("" when none)
    std::vector<NamedValue> names;
};

// The table of an enumeration; nullptr for a type without names.
template <typename T>
const NameTable* NamesOf() {
    return nullptr;
}
template <>
const NameTable* NamesOf<EPictureSizeType>();
template <>
const NameTable* NamesOf<EScreenFitOptionType>();
template <>
const NameTable* NamesOf<EPictureSizeSubMenuType>();
template <>
const NameTable* NamesOf<EScreenModeData>();
template <>
const NameTable* NamesOf<EAVCheckRegion>();
template <>
const NameTable* NamesOf<EMultiSoundMode>();
template <>
const NameTable* NamesOf<EExceptionScreenStateType>();
template <>
const NameTable* NamesOf<TvStreamAnalogMTSType>();
template <>
const NameTable* NamesOf<TvStreamAnalogDualAudioType>();

// Every table, in the order help lists them.
const std::vector<const NameTable*>& AllNameTables();

// The value of a full or short name (letters in either case); false when
// `text` names nothing in the table.
bool ValueOfName(const NameTable& table, const std::string& text, int64_t& value);

// "NAME=V NAME=V ..." with the short names, for help and messages.
std::string ListNames(const NameTable& table);

// The key's aspect-ratio code (ar=4:3 is 2, ar=16:9 is 3) and source
// (tuner, hdmi1..hdmi4).
const NameTable& KeyAspectRatioNames();
const NameTable& KeySourceNames();

}  // namespace avctl
