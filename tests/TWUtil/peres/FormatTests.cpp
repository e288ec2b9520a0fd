// Reading PE headers, the resource directory and group icons from bytes.
// Well-formed and damaged version blocks are told by the stamping tests and
// the fuzzers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/format/GroupIconDirectory.h"
#include "image/format/VersionLocator.h"
#include "support/PeBuilder.h"

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
