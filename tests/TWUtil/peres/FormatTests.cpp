// Reading PE headers, the resource directory and version blocks from bytes,
// and rewriting a value in place: what well-formed images give, and that
// damaged ones are refused without a read or write outside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PeBuilder.h"
#include "peres/format/GroupIconDirectory.h"
#include "peres/format/ResourceTree.h"
#include "peres/format/ValueRewrite.h"
#include "peres/format/VersionLocator.h"
#include "peres/format/VersionWalk.h"

using pefixture::Bytes;
using pefixture::kNtOffset;
using pefixture::kRsrcOffset;
using pefixture::PutU16;
using pefixture::PutU32;
using twutil::ByteSpan;
using twutil::peformat::RewriteOutcome;
using twutil::peformat::VersionBlock;
using twutil::peformat::VersionSearch;

namespace {

VersionSearch Locate(const Bytes& image, uint64_t* root = nullptr) {
  uint64_t found = 0;
  // Exactly the image's size, so a read past its end is one past the allocation.
  std::vector<uint8_t> exact(image.begin(), image.end());
  VersionSearch result =
      twutil::peformat::LocateVersionInfo(ByteSpan(exact.data(), exact.size()), &found);
  if (root) *root = found;
  return result;
}

pefixture::VersionPlan OneTable() { return {{pefixture::StandardTable()}}; }
pefixture::Resource Version() {
  return {16, 1, u"", 0x0409, pefixture::VersionResource(OneTable())};
}

// What is missing or damaged is told by the stamping tests, through the
// messages it leads to.
TEST(VersionLocator, FindsTheRootBlockOfWellFormedImages) {
  for (bool pe32Plus : {false, true}) {
    pefixture::PePlan plan;
    plan.pe32Plus = pe32Plus;
    plan.resources = {{3, 7, u"", 0x0409, Bytes(40, 0x11)}, Version()};
    Bytes image = pefixture::BuildPe(plan);
    uint64_t root = 0;
    ASSERT_EQ(Locate(image, &root), VersionSearch::kFound) << pe32Plus;
    EXPECT_EQ(root + 6, pefixture::FindText(image, u"VS_VERSION_INFO")) << pe32Plus;
    PutU16(&image, kNtOffset + 6, 0xFFFF);  // the .rsrc header comes before the missing ones
    EXPECT_EQ(Locate(image), VersionSearch::kFound) << pe32Plus;
  }
}

TEST(VersionLocator, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  Bytes image = pefixture::PeWithVersion(OneTable());
  uint64_t root = 0;
  ASSERT_EQ(Locate(image, &root), VersionSearch::kFound);
  for (size_t size = 0; size < image.size(); ++size) {
    VersionSearch result = Locate(Bytes(image.begin(), image.begin() + size));
    if (size < root + 44) {
      EXPECT_NE(result, VersionSearch::kFound) << size;
    }
    if (size >= kNtOffset + 4 && size < kNtOffset + 24 + 224 + 40 + 24) {
      EXPECT_EQ(result, VersionSearch::kDamagedHeader) << size;
    }
  }
}

TEST(ResourceTree, TheLastEntryOfTheTypeIsTaken) {
  // Two root entries both numbered 16: the second one's data is used.
  pefixture::PePlan plan;
  plan.resources = {Version(), {17, 1, u"", 0x0409, Bytes(8, 0x22)}};
  Bytes image = pefixture::BuildPe(plan);
  PutU32(&image, kRsrcOffset + 16 + 8, 16);
  uint32_t rva = 0;
  ASSERT_EQ(twutil::peformat::FindFirstResource(ByteSpan(image.data(), image.size()), kRsrcOffset,
                                                16, &rva),
            twutil::peformat::ResourceSearch::kFound);
  EXPECT_EQ(image[kRsrcOffset + (rva - pefixture::kRsrcRva)], 0x22);
}

// Records what the walk visits; keys compared as plain ASCII.
class Recorder : public twutil::peformat::VersionVisitor {
 public:
  explicit Recorder(const Bytes& image) : image_(image) {}
  std::string Key(const VersionBlock& block) const {
    std::string key;
    for (uint32_t i = 0; i < block.keyUnits; ++i)
      key.push_back(static_cast<char>(image_[block.keyOffset + 2 * i]));
    return key;
  }
  bool KeyIs(const VersionBlock& block, const char* name) override {
    return block.keyTerminated && Key(block) == name;
  }
  void OnStringFileInfo() override { visits += "StringFileInfo "; }
  void OnStringTable(const VersionBlock& table) override { visits += "/" + Key(table) + " "; }
  void OnString(const VersionBlock&, const VersionBlock& string) override {
    visits += Key(string) + " ";
  }
  void OnTranslation(const VersionBlock& variable) override { visits += "=" + Key(variable); }
  std::string visits;

 private:
  const Bytes& image_;
};

std::string Walk(const Bytes& image) {
  uint64_t root = 0;
  if (Locate(image, &root) != VersionSearch::kFound) return "not found";
  VersionBlock block;
  ByteSpan span(image.data(), image.size());
  twutil::peformat::ReadVersionBlock(span, root, &block);
  Recorder recorder(image);
  twutil::peformat::WalkVersionInfo(span, block, recorder);
  return recorder.visits;
}

TEST(VersionWalk, VisitsEveryTableAndTheFirstTranslationAndStopsAtDamage) {
  pefixture::VersionPlan plan = {
      {{u"040904b0",
        {pefixture::StringNode(u"CompanyName", u"A"), pefixture::StringNode(u"ProductName", u"B")}},
       {u"040704b0", {pefixture::StringNode(u"FileVersion", u"1")}}}};
  const Bytes good = pefixture::PeWithVersion(plan);
  EXPECT_EQ(Walk(good),
            "StringFileInfo /040904b0 CompanyName ProductName /040704b0 FileVersion =Translation");
  plan.varFileInfoFirst = true;
  EXPECT_EQ(Walk(pefixture::PeWithVersion(plan)).substr(0, 12), "=Translation");

  const size_t product = pefixture::FindText(good, u"ProductName") - 6;
  const size_t table = pefixture::FindText(good, u"040904b0") - 6;
  Bytes zero = good, shortTable = good, unterminated = good;
  PutU16(&zero, product, 0);                              // ends the first table's walk
  PutU16(&shortTable, table, uint16_t(product - table));  // ends right after its first string
  for (size_t at = table + 6; at < table + pefixture::GetU16(good, table); at += 2)
    PutU16(&unterminated, at, 'x');  // the key runs to the end of its block: no strings
  const std::string rest = "/040704b0 FileVersion =Translation";
  EXPECT_EQ(Walk(zero), "StringFileInfo /040904b0 CompanyName " + rest);
  // The rest is walked in either case, but not the strings cut off.
  const std::string cut = Walk(shortTable), keyless = Walk(unterminated);
  EXPECT_EQ(cut.substr(0, 37), "StringFileInfo /040904b0 CompanyName ");
  EXPECT_EQ(cut.find("CompanyName ProductName"), std::string::npos);
  EXPECT_EQ(keyless.find("CompanyName"), std::string::npos);
  for (const std::string& walked : {cut, keyless})
    EXPECT_EQ(walked.substr(walked.size() - rest.size()), rest);

  uint64_t root = 0;
  ASSERT_EQ(Locate(good, &root), VersionSearch::kFound);
  const size_t length = pefixture::GetU16(good, root);
  for (size_t at = root; at < root + length; at += 2)
    for (uint16_t value : {0x0000, 0x0001, 0x0006, 0x7FFF, 0xFFFF}) {
      Bytes changed(good.begin(), good.begin() + root + length);  // the file ends there
      PutU16(&changed, at, value);
      std::string visits = Walk(changed);
      EXPECT_LE(std::count(visits.begin(), visits.end(), ' '), 12);
    }
}

// One String block alone, followed by guard bytes.
struct Block {
  Block(const std::u16string& value, size_t extraUnits) {
    bytes = pefixture::Serialize(pefixture::StringNode(u"CompanyName", value, extraUnits));
    end = bytes.size();
    bytes.insert(bytes.end(), 16, 0xEE);
  }
  RewriteOutcome Rewrite(const std::u16string& text) {
    VersionBlock block;
    twutil::peformat::ReadVersionBlock(ByteSpan(bytes.data(), bytes.size()), 0, &block);
    valueOffset = block.valueOffset;
    std::vector<uint16_t> units(text.begin(), text.end());
    return twutil::peformat::RewriteStringValue(
        twutil::peformat::WritableBytes(bytes.data(), bytes.size()), block, units.data(),
        units.size());
  }
  // The value's units up to the block's end, and whether the guard is intact.
  std::u16string Value() const {
    std::u16string value;
    for (size_t at = valueOffset; at + 2 <= end; at += 2)
      value.push_back(static_cast<char16_t>(pefixture::GetU16(bytes, at)));
    return bytes.size() == end + 16 && Bytes(bytes.begin() + end, bytes.end()) == Bytes(16, 0xEE)
               ? value
               : u"guard overwritten";
  }
  Bytes bytes;
  size_t end = 0, valueOffset = 0;
};

std::u16string Spaces(size_t n) { return std::u16string(n, u' '); }
std::u16string Nuls(size_t n) { return std::u16string(n, u'\0'); }

TEST(ValueRewrite, PadsToTheOldLengthOrFillsASixtyUnitFieldUpToTheBlocksEnd) {
  std::u16string letters;
  for (int i = 0; i < 75; ++i) letters.push_back(static_cast<char16_t>(u'A' + i % 26));
  const struct {
    std::u16string old;
    size_t room;
    std::u16string text, expected;
    bool padded, truncated;
  } cases[] = {
      {Spaces(61), 0, u"2.5.0.12", u"2.5.0.12" + Spaces(53) + Nuls(1), true, false},
      {std::u16string(70, u'c'), 0, std::u16string(20, u'n'),
       std::u16string(20, u'n') + Spaces(50) + Nuls(1), true, false},
      {u"1.2.3.4", 0, u"9.8.7.6", u"9.8.7.6" + Nuls(1), true, false},
      {Spaces(61), 0, letters, letters.substr(0, 60) + Spaces(1) + Nuls(1), true, false},
      {u"1.0", 70, u"2.5.0.12", u"2.5.0.12" + Nuls(66), false, false},
      // A 60-unit text has no terminator inside the field.
      {u"x", 70, std::u16string(60, u'z'), std::u16string(60, u'z') + Nuls(12), false, false},
      {u"1.0", 0, u"2.5.0.12", u"2.5" + Nuls(1), false, true},
      {u"1.0", 6, u"2.5.0.12", u"2.5.0.12" + Nuls(2), false, false},
  };
  for (const auto& c : cases) {
    Block b(c.old, c.room);
    RewriteOutcome outcome = b.Rewrite(c.text);
    EXPECT_EQ(b.Value(), c.expected) << c.old.size() << " " << c.text.size();
    EXPECT_EQ(outcome.padded, c.padded);
    EXPECT_EQ(outcome.truncated, c.truncated);
    EXPECT_EQ(outcome.oldUnits, c.old.size());
  }
}

TEST(ValueRewrite, BlocksThatLieAreWrittenOnlyInsideTheFileAndTheVariable) {
  Block lying(u"abc", 0);
  PutU16(&lying.bytes, 0, 0xFFFF);  // the block claims 64 KB
  lying.bytes.resize(lying.end);    // but the file ends with it
  RewriteOutcome outcome = lying.Rewrite(u"longer text");
  lying.bytes.insert(lying.bytes.end(), 16, 0xEE);
  EXPECT_EQ(lying.Value(), u"lon" + Nuls(1));
  EXPECT_TRUE(outcome.truncated);
  EXPECT_EQ(outcome.written, 3u);

  Block unterminated(u"abcd", 0);  // no NUL before the block's end
  PutU16(&unterminated.bytes, unterminated.end - 2, 'e');
  unterminated.Rewrite(u"xy");
  EXPECT_EQ(unterminated.Value(), u"xy" + Spaces(3));

  Bytes var = pefixture::Serialize({u"Translation", 0, {0x09, 0x04, 0xB0, 0x04}});
  VersionBlock block;
  twutil::peformat::ReadVersionBlock(ByteSpan(var.data(), var.size()), 0, &block);
  ASSERT_TRUE(twutil::peformat::WriteTranslationLanguage(
      twutil::peformat::WritableBytes(var.data(), var.size()), block, 0x0407));
  EXPECT_EQ(pefixture::GetU32(var, block.valueOffset), 0x04B00407u);
  PutU16(&var, 0, static_cast<uint16_t>(block.valueOffset + 1));  // no room
  twutil::peformat::ReadVersionBlock(ByteSpan(var.data(), var.size()), 0, &block);
  EXPECT_FALSE(twutil::peformat::WriteTranslationLanguage(
      twutil::peformat::WritableBytes(var.data(), var.size()), block, 0x0C0C));
  EXPECT_EQ(pefixture::GetU32(var, block.valueOffset), 0x04B00407u);
}

TEST(GroupIconDirectory, CountsOnlyEntriesThatFitTheDataAndTheCopyBuffer) {
  auto count = [](uint16_t announced, size_t present) {
    Bytes group(6 + 14 * present, 0);
    PutU16(&group, 4, announced);
    uint16_t n = 0;
    return twutil::peformat::ReadGroupIconCount(ByteSpan(group.data(), group.size()), &n) ? n : -1;
  };
  EXPECT_EQ(count(3, 3), 3);
  EXPECT_EQ(count(4, 3), -1);
  EXPECT_EQ(count(292, 292), 292);
  EXPECT_EQ(count(300, 300), -1);  // 4206 bytes: more than the copy buffer
  Bytes three(6 + 14 * 3, 0);
  EXPECT_FALSE(twutil::peformat::WriteGroupIconImageId(three.data(), three.size(), 3, 1));
}

}  // namespace
