// Reading the PE headers, the resource directory and the version blocks from
// bytes: what is found in well-formed images and that damaged ones are
// refused without reading outside them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PeBuilder.h"
#include "peres/format/PeLayout.h"
#include "peres/format/ResourceTree.h"
#include "peres/format/VersionLocator.h"
#include "peres/format/VersionWalk.h"

using pefixture::Bytes;
using twutil::ByteSpan;
using twutil::peformat::LocateVersionInfo;
using twutil::peformat::VersionBlock;
using twutil::peformat::VersionSearch;

namespace {

VersionSearch Locate(const Bytes& image, uint64_t* root = nullptr) {
  uint64_t found = 0;
  // A copy of exactly the image's size, so a read past its end is a read
  // past the allocation.
  std::vector<uint8_t> exact(image.begin(), image.end());
  VersionSearch result = LocateVersionInfo(ByteSpan(exact.data(), exact.size()), &found);
  if (root) *root = found;
  return result;
}

pefixture::VersionPlan OneTable() {
  pefixture::VersionPlan plan;
  plan.tables.push_back(pefixture::StandardTable());
  return plan;
}

pefixture::Resource VersionEntry(const pefixture::VersionPlan& plan) {
  pefixture::Resource r;
  r.type = 16;
  r.id = 1;
  r.data = pefixture::VersionResource(plan);
  return r;
}

// Offset of the root directory's first entry's OffsetToData.
size_t FirstRootEntryTarget(const Bytes& image) {
  return pefixture::ResourceSectionOffset(image) + 16 + 4;
}

TEST(VersionLocator, FindsTheRootBlockOfWellFormedImages) {
  for (bool pe32Plus : {false, true}) {
    pefixture::PePlan plan;
    plan.pe32Plus = pe32Plus;
    pefixture::Resource icon;
    icon.type = 3;
    icon.id = 7;
    icon.data = Bytes(40, 0x11);
    plan.resources = {icon, VersionEntry(OneTable())};
    Bytes image = pefixture::BuildPe(plan);
    uint64_t root = 0;
    ASSERT_EQ(Locate(image, &root), VersionSearch::kFound) << pe32Plus;
    EXPECT_EQ(root + 6, pefixture::FindText(image, u"VS_VERSION_INFO")) << pe32Plus;
  }
}

TEST(VersionLocator, TellsWhatIsMissing) {
  EXPECT_EQ(Locate(Bytes()), VersionSearch::kNotPE);
  EXPECT_EQ(Locate(pefixture::DosOnlyImage()), VersionSearch::kNotPE);
  EXPECT_EQ(Locate(pefixture::NEImage()), VersionSearch::kNotPE);
  EXPECT_EQ(Locate(pefixture::LEImage()), VersionSearch::kNotPE);

  pefixture::PePlan none;
  none.withResourceSection = false;
  EXPECT_EQ(Locate(pefixture::BuildPe(none)), VersionSearch::kNoResources);

  pefixture::PePlan shortDirectory;
  shortDirectory.rvaCount = 2;  // the resource entry is not among them
  shortDirectory.resources = {VersionEntry(OneTable())};
  EXPECT_EQ(Locate(pefixture::BuildPe(shortDirectory)), VersionSearch::kNoResources);

  pefixture::PePlan elsewhere;
  elsewhere.resources = {VersionEntry(OneTable())};
  elsewhere.resourceRvaOverride = 0x00F00000;  // in no section
  EXPECT_EQ(Locate(pefixture::BuildPe(elsewhere)), VersionSearch::kNoResources);

  pefixture::PePlan iconsOnly;
  pefixture::Resource icon;
  icon.type = 3;
  icon.id = 1;
  icon.data = Bytes(40, 1);
  iconsOnly.resources = {icon};
  EXPECT_EQ(Locate(pefixture::BuildPe(iconsOnly)), VersionSearch::kNoVersionResource);

  pefixture::VersionPlan badSignature = OneTable();
  badSignature.signature = 0xFEEF04BE;
  EXPECT_EQ(Locate(pefixture::PeWithVersion(badSignature)), VersionSearch::kNoFixedInfo);
}

TEST(VersionLocator, SixtyFourBitHeadersAreReadWithTheirOwnOffsets) {
  // The same resources in a PE32+ image: read with the PE32 offsets the
  // resource entry would be the optional header's stack sizes.
  pefixture::PePlan plan;
  plan.pe32Plus = true;
  plan.resources = {VersionEntry(OneTable())};
  Bytes image = pefixture::BuildPe(plan);
  twutil::peformat::ResourceSection section;
  uint32_t rva = 0;
  ASSERT_EQ(
      twutil::peformat::FindResourceSection(ByteSpan(image.data(), image.size()), &section, &rva),
      twutil::peformat::SectionSearch::kFound);
  EXPECT_EQ(section.rawPointer, pefixture::ResourceSectionOffset(image));
  EXPECT_EQ(rva, section.virtualAddress);
}

TEST(VersionLocator, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  Bytes image = pefixture::PeWithVersion(OneTable());
  uint64_t root = 0;
  ASSERT_EQ(Locate(image, &root), VersionSearch::kFound);
  for (size_t size = 0; size < image.size(); ++size) {
    Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
    VersionSearch result = Locate(cut);
    if (size < root + 44) {
      EXPECT_NE(result, VersionSearch::kFound) << size;
    }
    if (size >= pefixture::kNtOffset + 4 && size < pefixture::kNtOffset + 24 + 224 + 40 + 24) {
      EXPECT_EQ(result, VersionSearch::kDamagedHeader) << size;
    }
  }
}

TEST(VersionLocator, OffsetsPointingOutsideTheFileAreDamage) {
  const Bytes good = pefixture::PeWithVersion(OneTable());

  Bytes farHeader = good;
  pefixture::PutU32(&farHeader, 0x3C, 0xFFFFFFF0);
  EXPECT_EQ(Locate(farHeader), VersionSearch::kNotPE);

  Bytes manySections = good;
  pefixture::PutU16(&manySections, pefixture::kNtOffset + 6, 0xFFFF);
  EXPECT_EQ(Locate(manySections), VersionSearch::kFound);  // the .rsrc header comes first
  Bytes cutTable = good;  // a third section header that the file cuts off
  pefixture::PutU16(&cutTable, pefixture::kNtOffset + 6, 3);
  pefixture::PutU32(&cutTable, pefixture::kNtOffset + 24 + 96 + 16, 0x00F00000);
  cutTable.resize(pefixture::kNtOffset + 248 + 80 + 10);
  EXPECT_EQ(Locate(cutTable), VersionSearch::kDamagedHeader);

  Bytes farDirectory = good;
  pefixture::PutU32(&farDirectory, FirstRootEntryTarget(good), 0x80000000u | 0x7FFFFFF0u);
  EXPECT_EQ(Locate(farDirectory), VersionSearch::kDamagedDirectory);

  Bytes manyEntries = good;
  pefixture::PutU16(&manyEntries, pefixture::ResourceSectionOffset(good) + 14, 0xFFFF);
  EXPECT_EQ(Locate(manyEntries), VersionSearch::kDamagedDirectory);

  // The data entry's RVA: past the section, and inside it but past the file.
  const size_t section = pefixture::ResourceSectionOffset(good);
  const size_t dataEntry = section + 16 + 8 + 16 + 8 + 16 + 8;
  ASSERT_EQ(pefixture::GetU32(good, dataEntry) & 0xFFF, dataEntry - section + 16);
  Bytes farData = good;
  pefixture::PutU32(&farData, dataEntry, 0x7FFFFFF0);
  EXPECT_EQ(Locate(farData), VersionSearch::kDamagedVersionData);
  Bytes rawBeyondFile = good;
  const size_t rsrcHeader = pefixture::kNtOffset + 24 + 224 + 40;
  pefixture::PutU32(&rawBeyondFile, rsrcHeader + 16, 0x10000000);  // SizeOfRawData
  pefixture::PutU32(&rawBeyondFile, dataEntry,
                    pefixture::GetU32(good, rsrcHeader + 12) + 0x0FFFFFF0);
  EXPECT_EQ(Locate(rawBeyondFile), VersionSearch::kDamagedVersionData);
}

TEST(VersionLocator, LoopsAndEmptyDirectoriesInTheTreeAreDamage) {
  const Bytes good = pefixture::PeWithVersion(OneTable());
  Bytes selfLoop = good;
  pefixture::PutU32(&selfLoop, FirstRootEntryTarget(good), 0x80000000u);  // back to the root
  EXPECT_EQ(Locate(selfLoop), VersionSearch::kDamagedDirectory);

  Bytes twoStep = good;  // the name level points back at the type level
  const size_t section = pefixture::ResourceSectionOffset(good);
  const uint32_t nameLevel = pefixture::GetU32(good, section + 20) & 0x7FFFFFFF;
  pefixture::PutU32(&twoStep, section + nameLevel + 16 + 4, 0x80000000u);
  EXPECT_EQ(Locate(twoStep), VersionSearch::kDamagedDirectory);

  Bytes empty = good;
  pefixture::PutU16(&empty, section + nameLevel + 14, 0);
  EXPECT_EQ(Locate(empty), VersionSearch::kDamagedDirectory);
}

TEST(ResourceTree, TheLastEntryOfTheTypeIsTaken) {
  // Two root entries both numbered 16: the second one's data is used.
  pefixture::Resource first = VersionEntry(OneTable());
  pefixture::Resource second;
  second.type = 17;
  second.id = 1;
  second.data = Bytes(8, 0x22);
  pefixture::PePlan plan;
  plan.resources = {first, second};
  Bytes image = pefixture::BuildPe(plan);
  const size_t section = pefixture::ResourceSectionOffset(image);
  pefixture::PutU32(&image, section + 16 + 8, 16);  // rename type 17 to 16
  uint32_t rva = 0;
  ASSERT_EQ(
      twutil::peformat::FindFirstResource(ByteSpan(image.data(), image.size()), section, 16, &rva),
      twutil::peformat::ResourceSearch::kFound);
  const uint32_t rsrcRva = pefixture::GetU32(image, pefixture::kNtOffset + 24 + 96 + 16);
  EXPECT_EQ(image[section + (rva - rsrcRva)], 0x22);
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
  void OnStringFileInfo() override { visits.push_back("StringFileInfo"); }
  void OnStringTable(const VersionBlock& table) override {
    visits.push_back("table " + Key(table));
  }
  void OnString(const VersionBlock&, const VersionBlock& string) override {
    visits.push_back(Key(string));
  }
  void OnTranslation(const VersionBlock& variable) override {
    visits.push_back("translation " + Key(variable));
  }
  std::vector<std::string> visits;

 private:
  const Bytes& image_;
};

std::vector<std::string> Walk(const Bytes& image) {
  uint64_t root = 0;
  if (Locate(image, &root) != VersionSearch::kFound) return {"not found"};
  VersionBlock block;
  ByteSpan span(image.data(), image.size());
  twutil::peformat::ReadVersionBlock(span, root, &block);
  Recorder recorder(image);
  twutil::peformat::WalkVersionInfo(span, block, recorder);
  return recorder.visits;
}

pefixture::VersionPlan Small() {
  pefixture::VersionPlan plan;
  pefixture::StringTable a{
      u"040904b0",
      {pefixture::StringNode(u"CompanyName", u"A"), pefixture::StringNode(u"ProductName", u"B")}};
  pefixture::StringTable b{u"040704b0", {pefixture::StringNode(u"FileVersion", u"1")}};
  plan.tables = {a, b};
  return plan;
}

TEST(VersionWalk, VisitsEveryTableAndTheFirstTranslationInFileOrder) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(pefixture::PeWithVersion(Small())),
            (V{"StringFileInfo", "table 040904b0", "CompanyName", "ProductName", "table 040704b0",
               "FileVersion", "translation Translation"}));
  pefixture::VersionPlan varFirst = Small();
  varFirst.varFileInfoFirst = true;
  EXPECT_EQ(Walk(pefixture::PeWithVersion(varFirst)).front(), "translation Translation");
}

TEST(VersionWalk, StopsAtAZeroLengthAndAtTheParentsEnd) {
  const Bytes good = pefixture::PeWithVersion(Small());
  const size_t product = pefixture::FindText(good, u"ProductName") - 6;

  Bytes zero = good;
  pefixture::PutU16(&zero, product, 0);  // ends the first table's walk
  EXPECT_EQ(Walk(zero),
            (std::vector<std::string>{"StringFileInfo", "table 040904b0", "CompanyName",
                                      "table 040704b0", "FileVersion", "translation Translation"}));

  Bytes shortTable = good;  // the first table now ends right after its first string
  const size_t table = pefixture::FindText(good, u"040904b0") - 6;
  pefixture::PutU16(&shortTable, table, static_cast<uint16_t>(product - table));
  std::vector<std::string> visits = Walk(shortTable);
  EXPECT_EQ(visits[2], "CompanyName");
  EXPECT_NE(visits[3], "ProductName");

  Bytes unterminated = good;  // the table's key runs to the end of its block
  for (size_t at = table + 6; at < table + pefixture::GetU16(good, table); at += 2)
    pefixture::PutU16(&unterminated, at, 'x');
  visits = Walk(unterminated);  // that table has no strings any more
  ASSERT_EQ(visits.size(), 5u);
  EXPECT_EQ(visits[2], "table 040704b0");
}

TEST(VersionWalk, EveryTruncatedOrScrambledVersionBlockIsWalkedSafely) {
  const Bytes good = pefixture::PeWithVersion(Small());
  uint64_t root = 0;
  ASSERT_EQ(Locate(good, &root), VersionSearch::kFound);
  const size_t length = pefixture::GetU16(good, root);
  for (size_t at = root; at < root + length; at += 2) {
    for (uint16_t value : {0x0000, 0x0001, 0x0006, 0x7FFF, 0xFFFF}) {
      Bytes changed = good;
      pefixture::PutU16(&changed, at, value);
      changed.resize(root + length);  // and the file ends with the resource
      std::vector<std::string> visits = Walk(changed);
      EXPECT_LE(visits.size(), 12u);
    }
  }
}

}  // namespace
