// The helper's report is read from a pipe that a hostile server can write
// to as well: only one whole report within the bounds reads.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "helper/HelperReport.h"

namespace {

using namespace twregspy;
using Bytes = std::vector<BYTE>;

TEST(HelperReport, OnlyWholeReportsWithinTheBoundsRead) {
  HelperReport written;
  written.result = kHelperCrashed;
  written.code = 0xC0000005;
  written.flags = kReportSaveShowsArea;
  for (size_t i = 0; i < kMaxReportNotes + 3; ++i)
    written.AddNote(std::wstring(kMaxNoteChars + 50, static_cast<wchar_t>(L'a' + i)));
  const Bytes whole = EncodeReport(written);
  HelperReport read;
  ASSERT_TRUE(DecodeReport(whole.data(), whole.size(), &read));
  EXPECT_EQ(read.code, 0xC0000005u);
  EXPECT_EQ(read.flags, kReportSaveShowsArea);
  ASSERT_EQ(read.notes.size(), kMaxReportNotes);
  EXPECT_EQ(read.notes.back(), std::wstring(kMaxNoteChars, L'p'));

  auto with = [&](size_t at, DWORD value) {
    Bytes bytes = whole;
    memcpy(&bytes[at], &value, sizeof(value));
    return bytes;
  };
  Bytes trailing = whole;
  trailing.push_back(0);
  const Bytes damaged[] = {
      Bytes(whole.begin(), whole.end() - 1),
      Bytes(whole.begin(), whole.begin() + 12),
      trailing,
      with(0, 0x53525754),            // another magic
      with(12, kMaxReportNotes + 1),  // too many notes
      with(16, 2),                    // a flag nobody knows
      with(20, kMaxNoteChars + 1),    // a note too long
      with(20, 0xFFFFFFFF),           // one past the end
      Bytes(kMaxReportBytes + 1, 0),
  };
  for (size_t i = 0; i < std::size(damaged); ++i) {
    HelperReport untouched;
    EXPECT_FALSE(DecodeReport(damaged[i].data(), damaged[i].size(), &untouched)) << i;
    EXPECT_TRUE(untouched.notes.empty()) << i;
  }
}

}  // namespace
