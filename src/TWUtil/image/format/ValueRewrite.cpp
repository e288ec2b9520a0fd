#include "image/format/ValueRewrite.h"

namespace twutil {
namespace peformat {
namespace {

constexpr uint16_t kSpace = 0x0020;

uint64_t WritableEnd(const ByteSpan& image, const VersionBlock& block) {
  return block.End() < image.Size() ? block.End() : image.Size();
}

}  // namespace

StringValue ReadStringValue(const ByteSpan& image, const VersionBlock& string) {
  StringValue value;
  value.offset = string.valueOffset;
  const uint64_t end = WritableEnd(image, string);
  if (!string.keyTerminated || value.offset >= end) return value;
  value.room = static_cast<uint32_t>((end - value.offset) / 2);
  uint16_t unit = 0;
  while (value.units < value.room && image.ReadU16(value.offset + 2 * value.units, &unit) &&
         unit != 0)
    ++value.units;
  return value;
}

RewriteOutcome RewriteStringValue(WritableBytes image, const VersionBlock& string,
                                  const uint16_t* text, size_t textUnits) {
  const StringValue old = ReadStringValue(image.Reader(), string);
  const uint32_t n =
      static_cast<uint32_t>(textUnits < kStampFieldUnits ? textUnits : kStampFieldUnits);
  RewriteOutcome outcome;
  outcome.oldUnits = old.units;

  if (old.units >= n) {
    // Same length as before: the text, then spaces up to the old terminator.
    outcome.padded = true;
    outcome.written = n;
    for (uint32_t i = 0; i < old.units; ++i)
      image.WriteU16(old.offset + 2 * i, i < n ? text[i] : kSpace);
    return outcome;
  }

  uint32_t field = static_cast<uint32_t>(kStampFieldUnits);
  if (old.room < field) {
    // Cut at the block's end, keeping a terminator inside the block.
    field = old.room;
    outcome.written = field == 0 ? 0 : (n < field ? n : field - 1);
    outcome.truncated = outcome.written < n;
  } else {
    outcome.written = n;
  }
  for (uint32_t i = 0; i < field; ++i)
    image.WriteU16(old.offset + 2 * i, i < outcome.written ? text[i] : 0);
  return outcome;
}

bool WriteTranslationLanguage(WritableBytes image, const VersionBlock& variable,
                              uint16_t language) {
  if (!variable.keyTerminated || variable.valueOffset + 2 > WritableEnd(image.Reader(), variable))
    return false;
  return image.WriteU16(variable.valueOffset, language);
}

}  // namespace peformat
}  // namespace twutil
