// Overwriting the value of one String block, and the language word of a
// translation, without ever writing past the block or the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/format/VersionBlock.h"
#include "image/format/WritableBytes.h"

namespace twutil {
namespace peformat {

// Longest text that a rewrite writes; a value shorter than the new text is
// replaced by a field of this many units.
constexpr size_t kStampFieldUnits = 60;

// Where a String block's value lies and how long it is.
struct StringValue {
  uint64_t offset = 0;
  uint32_t units = 0;  // up to its NUL, or up to the room when none ends it
  uint32_t room = 0;   // units from the value to the end of the block (or file)
};
StringValue ReadStringValue(const ByteSpan& image, const VersionBlock& string);

struct RewriteOutcome {
  uint32_t oldUnits = 0;
  bool padded = false;     // the old value was at least as long: kept its length
  uint32_t written = 0;    // units of the new text that were written
  bool truncated = false;  // the block had no room for the whole text
};

// The new text (at most kStampFieldUnits units) replaces the value. A value
// at least as long keeps its length: the text is padded with spaces and the
// old terminator stays. A shorter value becomes a field of kStampFieldUnits
// units (the text, then NULs); where the block ends before that field does,
// the field stops at the block's end with a NUL in its last unit.
RewriteOutcome RewriteStringValue(WritableBytes image, const VersionBlock& string,
                                  const uint16_t* text, size_t textUnits);

// Overwrites the first word of the variable's value (the language of its
// first translation); false when that word is not inside the block.
bool WriteTranslationLanguage(WritableBytes image, const VersionBlock& variable, uint16_t language);

}  // namespace peformat
}  // namespace twutil
