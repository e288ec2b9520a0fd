// Reading PE headers, the resource directory and group icons from bytes.
// Damaged version blocks are told by the stamping tests and the fuzzers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PeBuilder.h"
#include "image/format/GroupIconDirectory.h"
#include "image/format/ResourceTree.h"
#include "image/format/VersionLocator.h"

namespace pefixture {
namespace {

using twutil::ByteSpan;
using twutil::peformat::VersionSearch;

VersionSearch Locate(const Bytes& image, uint64_t* root = nullptr) {
  uint64_t found = 0;
  // Exactly the image's size, so a read past its end is one past the allocation.
  std::vector<uint8_t> exact(image.begin(), image.end());
  VersionSearch result =
      twutil::peformat::LocateVersionInfo(ByteSpan(exact.data(), exact.size()), &found);
  if (root) *root = found;
  return result;
}

Resource Version() { return {16, 1, u"", 0x0409, VersionResource({{StandardTable()}})}; }

TEST(VersionLocator, FindsTheRootBlockOfWellFormedImages) {
  for (bool pe32Plus : {false, true}) {
    PePlan plan;
    plan.pe32Plus = pe32Plus;
    plan.resources = {{3, 7, u"", 0x0409, Bytes(40, 0x11)}, Version()};
    Bytes image = BuildPe(plan);
    uint64_t root = 0;
    ASSERT_EQ(Locate(image, &root), VersionSearch::kFound) << pe32Plus;
    EXPECT_EQ(root + 6, FindText(image, u"VS_VERSION_INFO")) << pe32Plus;
    PutU16(&image, kNtOffset + 6, 0xFFFF);  // the .rsrc header comes before the missing ones
    EXPECT_EQ(Locate(image), VersionSearch::kFound) << pe32Plus;
  }
}

TEST(VersionLocator, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  Bytes image = PeWithVersion();
  uint64_t root = 0;
  ASSERT_EQ(Locate(image, &root), VersionSearch::kFound);
  const size_t end = root + GetU16(image, root);
  for (size_t size = 0; size < image.size(); ++size) {
    VersionSearch result = Locate(Bytes(image.begin(), image.begin() + size));
    EXPECT_TRUE(size >= end || result != VersionSearch::kFound) << size;
    const bool inHeaders = size >= kNtOffset + 4 && size < kNtOffset + 24 + 224 + 40 + 24;
    EXPECT_TRUE(!inHeaders || result == VersionSearch::kDamagedHeader) << size;
  }
}

TEST(ResourceTree, TheLastEntryOfTheTypeIsTaken) {
  // Two root entries both numbered 16: the second one's data is used.
  PePlan plan;
  plan.resources = {Version(), {17, 1, u"", 0x0409, Bytes(8, 0x22)}};
  Bytes image = BuildPe(plan);
  PutU32(&image, kRsrcOffset + 16 + 8, 16);
  uint32_t rva = 0;
  ASSERT_EQ(twutil::peformat::FindFirstResource(ByteSpan(image.data(), image.size()), kRsrcOffset,
                                                16, &rva),
            twutil::peformat::ResourceSearch::kFound);
  EXPECT_EQ(image[kRsrcOffset + (rva - kRsrcRva)], 0x22);
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
}  // namespace pefixture
