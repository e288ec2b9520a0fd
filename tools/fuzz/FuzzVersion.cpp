// Finds the version resource of an arbitrary file and stamps it as a run
// would: every read and write must stay inside the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/format/ValueRewrite.h"
#include "image/format/VersionLocator.h"
#include "image/format/VersionWalk.h"

namespace {

using twutil::ByteSpan;
using twutil::peformat::VersionBlock;

class Stamper : public twutil::peformat::VersionVisitor {
 public:
  explicit Stamper(std::vector<uint8_t>* image) : image_(image) {}

  bool KeyIs(const VersionBlock& block, const char* name) override {
    if (!block.keyTerminated) return false;
    const ByteSpan bytes = Bytes().Reader();
    size_t i = 0;
    for (; name[i]; ++i) {
      uint16_t unit = 0;
      if (i >= block.keyUnits || !bytes.ReadU16(block.keyOffset + 2 * i, &unit) ||
          unit != static_cast<uint8_t>(name[i]))
        return false;
    }
    return i == block.keyUnits;
  }

  void OnString(const VersionBlock&, const VersionBlock& string) override {
    // Alternate a short text and a full field so both rewrite paths run.
    static const std::u16string kShort = u"2.5";
    static const std::u16string kLong(60, u'L');
    const std::u16string& text = (++strings_ % 2) ? kShort : kLong;
    twutil::peformat::ReadStringValue(Bytes().Reader(), string);
    std::vector<uint16_t> units(text.begin(), text.end());
    const std::vector<uint8_t> before = *image_;
    twutil::peformat::RewriteStringValue(Bytes(), string, units.data(), units.size());
    ExpectChangesOnlyIn(before, string.valueOffset, string.End());
  }

  void OnTranslation(const VersionBlock& variable) override {
    const std::vector<uint8_t> before = *image_;
    twutil::peformat::WriteTranslationLanguage(Bytes(), variable, 0x0407);
    ExpectChangesOnlyIn(before, variable.valueOffset, variable.valueOffset + 2);
  }

 private:
  // A write outside the value of the block it was given is a failure too.
  void ExpectChangesOnlyIn(const std::vector<uint8_t>& before, uint64_t begin, uint64_t end) {
    for (size_t i = 0; i < before.size(); ++i)
      if (before[i] != (*image_)[i] && (i < begin || i >= end)) __builtin_trap();
  }
  twutil::peformat::WritableBytes Bytes() const {
    return twutil::peformat::WritableBytes(image_->data(), image_->size());
  }
  std::vector<uint8_t>* image_;
  int strings_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's size: one byte past it is outside the heap block.
  std::vector<uint8_t> image(data, data + size);
  const ByteSpan span(image.data(), image.size());
  uint64_t root = 0;
  if (twutil::peformat::LocateVersionInfo(span, &root) != twutil::peformat::VersionSearch::kFound)
    return 0;
  VersionBlock block;
  if (!twutil::peformat::ReadVersionBlock(span, root, &block)) __builtin_trap();
  Stamper stamper(&image);
  twutil::peformat::WalkVersionInfo(span, block, stamper);
  return 0;
}
