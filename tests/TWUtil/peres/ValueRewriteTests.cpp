// Overwriting a String block's value and a translation's language: padding,
// the 60-unit field, and never a byte past the block.
#include <gtest/gtest.h>

#include <string>

#include "PeBuilder.h"
#include "peres/format/GroupIconDirectory.h"
#include "peres/format/ValueRewrite.h"

using pefixture::Bytes;
using twutil::ByteSpan;
using twutil::peformat::RewriteOutcome;
using twutil::peformat::VersionBlock;

namespace {

// One String block alone, followed by guard bytes.
struct Block {
  Block(const std::u16string& value, size_t extraUnits) {
    bytes = pefixture::Serialize(pefixture::StringNode(u"CompanyName", value, extraUnits));
    end = bytes.size();
    bytes.insert(bytes.end(), 16, 0xEE);
    twutil::peformat::ReadVersionBlock(ByteSpan(bytes.data(), bytes.size()), 0, &block);
  }
  RewriteOutcome Rewrite(const std::u16string& text) {
    std::vector<uint16_t> units(text.begin(), text.end());
    return twutil::peformat::RewriteStringValue(
        twutil::peformat::WritableBytes(bytes.data(), bytes.size()), block, units.data(),
        units.size());
  }
  // The value's units up to the block's end.
  std::u16string Value() const {
    std::u16string value;
    for (uint64_t at = block.valueOffset; at + 2 <= end; at += 2)
      value.push_back(static_cast<char16_t>(pefixture::GetU16(bytes, at)));
    return value;
  }
  bool GuardIntact() const {
    for (size_t i = end; i < bytes.size(); ++i)
      if (bytes[i] != 0xEE) return false;
    return true;
  }
  Bytes bytes;
  size_t end = 0;
  VersionBlock block;
};

std::u16string Spaces(size_t n) { return std::u16string(n, u' '); }
std::u16string Nuls(size_t n) { return std::u16string(n, u'\0'); }

TEST(ValueRewrite, AShorterTextIsPaddedToTheOldLength) {
  Block b(Spaces(61), 0);
  RewriteOutcome outcome = b.Rewrite(u"2.5.0.12");
  EXPECT_TRUE(outcome.padded);
  EXPECT_EQ(outcome.oldUnits, 61u);
  EXPECT_EQ(b.Value(), u"2.5.0.12" + Spaces(53) + Nuls(1));  // old terminator kept

  Block copyright(std::u16string(70, u'c'), 0);
  copyright.Rewrite(std::u16string(20, u'n'));
  EXPECT_EQ(copyright.Value(), std::u16string(20, u'n') + Spaces(50) + Nuls(1));
}

TEST(ValueRewrite, AnEqualTextReplacesWithoutPadding) {
  Block b(u"1.2.3.4", 0);
  EXPECT_TRUE(b.Rewrite(u"9.8.7.6").padded);
  EXPECT_EQ(b.Value().substr(0, 8), std::u16string(u"9.8.7.6") + Nuls(1));
}

TEST(ValueRewrite, TextsAreCutToSixtyUnits) {
  Block b(Spaces(61), 0);
  std::u16string text;
  for (int i = 0; i < 75; ++i) text.push_back(static_cast<char16_t>(u'A' + i % 26));
  b.Rewrite(text);
  EXPECT_EQ(b.Value(), text.substr(0, 60) + Spaces(1) + Nuls(1));
}

TEST(ValueRewrite, ALongerTextFillsASixtyUnitFieldWhereTheBlockHasRoom) {
  Block b(u"1.0", 70);
  RewriteOutcome outcome = b.Rewrite(u"2.5.0.12");
  EXPECT_FALSE(outcome.padded);
  EXPECT_FALSE(outcome.truncated);
  EXPECT_EQ(b.Value().substr(0, 60), u"2.5.0.12" + Nuls(52));

  Block full(u"x", 70);  // a 60-unit text has no terminator inside the field
  full.Rewrite(std::u16string(60, u'z'));
  EXPECT_EQ(full.Value().substr(0, 61), std::u16string(60, u'z') + Nuls(1));
  EXPECT_TRUE(b.GuardIntact());
}

TEST(ValueRewrite, ALongerTextStopsAtTheBlocksEnd) {
  Block b(u"1.0", 0);  // room for three units and the terminator
  RewriteOutcome outcome = b.Rewrite(u"2.5.0.12");
  EXPECT_TRUE(outcome.truncated);
  EXPECT_EQ(outcome.written, 3u);
  EXPECT_EQ(b.Value(), std::u16string(u"2.5") + Nuls(1));
  EXPECT_TRUE(b.GuardIntact());

  Block roomy(u"1.0", 6);  // ten units of room: the text fits with NULs after it
  outcome = roomy.Rewrite(u"2.5.0.12");
  EXPECT_FALSE(outcome.truncated);
  EXPECT_EQ(roomy.Value(), u"2.5.0.12" + Nuls(2));
  EXPECT_TRUE(roomy.GuardIntact());
}

TEST(ValueRewrite, BlocksThatLieAboutTheirLengthAreWrittenOnlyInsideTheFile) {
  Block b(u"abc", 0);
  pefixture::PutU16(&b.bytes, 0, 0xFFFF);  // the block claims 64 KB
  b.bytes.resize(b.end);                   // but the file ends with it
  twutil::peformat::ReadVersionBlock(ByteSpan(b.bytes.data(), b.bytes.size()), 0, &b.block);
  RewriteOutcome outcome = b.Rewrite(u"longer text");
  EXPECT_EQ(b.Value(), std::u16string(u"lon") + Nuls(1));
  EXPECT_TRUE(outcome.truncated);

  Block unterminated(u"abcd", 0);  // no NUL before the block's end
  pefixture::PutU16(&unterminated.bytes, unterminated.end - 2, 'e');
  unterminated.Rewrite(u"xy");
  EXPECT_EQ(unterminated.Value(), u"xy" + Spaces(3));
  EXPECT_TRUE(unterminated.GuardIntact());
}

TEST(ValueRewrite, TheLanguageWordIsWrittenOnlyInsideTheVariable) {
  pefixture::VersionNode var;
  var.key = u"Translation";
  var.type = 0;
  var.value = {0x09, 0x04, 0xB0, 0x04};
  Bytes bytes = pefixture::Serialize(var);
  VersionBlock block;
  twutil::peformat::ReadVersionBlock(ByteSpan(bytes.data(), bytes.size()), 0, &block);
  ASSERT_TRUE(twutil::peformat::WriteTranslationLanguage(
      twutil::peformat::WritableBytes(bytes.data(), bytes.size()), block, 0x0407));
  EXPECT_EQ(pefixture::GetU32(bytes, block.valueOffset), 0x04B00407u);

  pefixture::PutU16(&bytes, 0, static_cast<uint16_t>(block.valueOffset + 1));  // no room
  twutil::peformat::ReadVersionBlock(ByteSpan(bytes.data(), bytes.size()), 0, &block);
  EXPECT_FALSE(twutil::peformat::WriteTranslationLanguage(
      twutil::peformat::WritableBytes(bytes.data(), bytes.size()), block, 0x0C0C));
  EXPECT_EQ(pefixture::GetU32(bytes, block.valueOffset), 0x04B00407u);
}

Bytes Group(uint16_t count, size_t entriesPresent) {
  Bytes group(6 + 14 * entriesPresent, 0);
  pefixture::PutU16(&group, 2, 1);
  pefixture::PutU16(&group, 4, count);
  for (size_t i = 0; i < entriesPresent; ++i)
    pefixture::PutU16(&group, 6 + 14 * i + 12, static_cast<uint16_t>(100 + i));
  return group;
}

TEST(GroupIconDirectory, EntriesAreReadOnlyWhereTheyExist) {
  uint16_t count = 0;
  Bytes three = Group(3, 3);
  ASSERT_TRUE(twutil::peformat::ReadGroupIconCount(ByteSpan(three.data(), three.size()), &count));
  EXPECT_EQ(count, 3);
  uint16_t id = 0;
  ASSERT_TRUE(twutil::peformat::ReadGroupIconImageId(ByteSpan(three.data(), three.size()), 2, &id));
  EXPECT_EQ(id, 102);
  ASSERT_TRUE(twutil::peformat::WriteGroupIconImageId(three.data(), three.size(), 2, 31));
  EXPECT_EQ(pefixture::GetU16(three, 6 + 28 + 12), 31);
  EXPECT_FALSE(twutil::peformat::WriteGroupIconImageId(three.data(), three.size(), 3, 1));

  Bytes overstated = Group(4, 3);
  EXPECT_FALSE(
      twutil::peformat::ReadGroupIconCount(ByteSpan(overstated.data(), overstated.size()), &count));
  Bytes header = Group(0, 0);
  header.resize(5);
  EXPECT_FALSE(
      twutil::peformat::ReadGroupIconCount(ByteSpan(header.data(), header.size()), &count));
  Bytes huge = Group(300, 300);  // 4206 bytes: more than the copy buffer
  EXPECT_FALSE(twutil::peformat::ReadGroupIconCount(ByteSpan(huge.data(), huge.size()), &count));
  Bytes largest = Group(292, 292);
  EXPECT_TRUE(
      twutil::peformat::ReadGroupIconCount(ByteSpan(largest.data(), largest.size()), &count));
}

}  // namespace
