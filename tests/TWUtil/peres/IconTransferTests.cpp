// The icon transfer on files built by the tests and on the test executable's
// own icons (HostIcons.rc): the slot scheme, the choice of the group, the
// VARIANT rules, and destinations left as they were whenever a copy fails.
#include <gtest/gtest.h>

#include "PeresTestSupport.h"

namespace perestest {
namespace {

using Ids = std::vector<uint16_t>;
using twutil::Variant;

Ids ListedImages(const Bytes& group) {
  Ids ids;
  for (size_t i = 0; group.size() >= 6 && i < GetU16(group, 4); ++i)
    ids.push_back(GetU16(group, 6 + 14 * i + 12));
  return ids;
}

// The transfer object with its source and destination set (null for none).
twutil::ComPtr<ITWXferIconResource> Transfer(const wchar_t* source, const wchar_t* destination) {
  twutil::ComPtr<ITWXferIconResource> transfer;
  twtest::Create(CLSID_TWResXfer, &transfer);
  Variant result;
  twutil::Bstr sourceName(source), destinationName(destination);
  if (transfer && source) transfer->SetSourceFile(sourceName.Get(), result.Put());
  if (transfer && destination) transfer->SetDestinationFile(destinationName.Get(), result.Put());
  return transfer;
}

// CopyIconResource: varResult (12345 when it is no long); nOutIndex is
// written back in place.
long Copy(ITWXferIconResource* transfer, const VARIANT& iconIndex, VARIANT* outIndex) {
  Variant result;
  EXPECT_EQ(transfer->CopyIconResource(iconIndex, outIndex, result.Put()), S_OK);
  return result.Type() == VT_I4 ? V_I4(&result.Ref()) : 12345;
}

// With long indexes; *out (when given) is nOutIndex afterwards.
long Copy(ITWXferIconResource* transfer, long iconIndex, long outIndex, long* out = nullptr) {
  VARIANT index = {}, slot = {};
  V_VT(&index) = V_VT(&slot) = VT_I4;
  V_I4(&index) = iconIndex;
  V_I4(&slot) = outIndex;
  long result = Copy(transfer, index, &slot);
  if (out) *out = V_VT(&slot) == VT_I4 ? V_I4(&slot) : 12345;
  return result;
}

class IconTransfer : public ::testing::Test {
 protected:
  // A file with these resources; a program without icons when there are none.
  std::wstring Write(const wchar_t* name, const std::vector<Resource>& list = {}) {
    return dir_.Write(name, list.empty() ? PeWithVersion() : BuildPe({false, list}));
  }
  twtest::TempDir dir_;
};

TEST_F(IconTransfer, HostIconsGoIntoTheSlotChosenByPositionOrNumberAndFailuresChangeNothing) {
  std::wstring destination = Write(L"dest.exe");
  auto transfer = Transfer(nullptr, destination.c_str());
  // Group 5 into slot 2; the indexes are converted, and nOutIndex comes back a long.
  Variant index, out;
  V_VT(index.Put()) = VT_BSTR;
  V_BSTR(&index.Ref()) = SysAllocString(L"-5");
  V_VT(out.Put()) = VT_I2;
  V_I2(&out.Ref()) = 2;
  ASSERT_EQ(Copy(transfer.Get(), index.Ref(), &out.Ref()), 0);
  EXPECT_EQ(out.Type(), VT_I4);
  EXPECT_EQ(V_I4(&out.Ref()), 3);
  Bytes group = ReadResource(destination, RT_GROUP_ICON, 28);
  EXPECT_EQ(ListedImages(group), (Ids{29, 30, 31}));
  for (uint16_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadResource(destination, RT_ICON, 29 + i), ReadResource(L"", RT_ICON, 51 + i));
    PutU16(&group, 6 + 14 * i + 12, 51 + i);
  }
  EXPECT_EQ(group, ReadResource(L"", RT_GROUP_ICON, 5)) << "only the image numbers change";
  EXPECT_NE(Translation(destination), 0u) << "other resources stay";

  ASSERT_EQ(Copy(transfer.Get(), 1, 1), 0);  // the second, group 5: images 15 to 17
  ASSERT_EQ(Copy(transfer.Get(), 0, 1), 0);  // two images over them
  EXPECT_EQ(ListedImages(ReadResource(destination, RT_GROUP_ICON, 14)), (Ids{15, 16}));
  EXPECT_EQ(ReadResource(destination, RT_ICON, 16), ReadResource(L"", RT_ICON, 12));
  EXPECT_EQ(ReadResource(destination, RT_ICON, 17), ReadResource(L"", RT_ICON, 53));

  const Bytes before = ReadBytes(destination);
  V_VT(out.Put()) = VT_BSTR;
  V_BSTR(&out.Ref()) = SysAllocString(L"not a number");
  EXPECT_EQ(Copy(transfer.Get(), index.Ref(), &out.Ref()), -1);
  long slot = 0;
  EXPECT_EQ(Copy(transfer.Get(), 2, 5, &slot), -1);
  EXPECT_EQ(slot, 5) << "nOutIndex is left as it was";
  EXPECT_EQ(Copy(transfer.Get(), -2, 5), -1) << "no group numbered 2";
  EXPECT_EQ(ReadBytes(destination), before);

  std::wstring text = dir_.Write(L"notes.txt", {'n', 'o'}), missing = dir_.Path() + L"missing.exe";
  for (const std::wstring& source : {text, missing, std::wstring()})
    EXPECT_EQ(Copy(Transfer(source.c_str(), destination.c_str()).Get(), 0, 0), -1);

  // A group that announces more entries than it holds (idCount too large),
  // one larger than the copy buffer, and one that lists a missing image.
  Resource lying = GroupResource(1, {70});
  PutU16(&lying.data, 4, 40);
  std::wstring bad = Write(L"bad.dll", {lying, GroupResource(2, Ids(300, 70)),
                                        GroupResource(3, {70, 99}), ImageResource(70)});
  auto badTransfer = Transfer(bad.c_str(), destination.c_str());
  for (long id : {-1, -2, -3}) EXPECT_EQ(Copy(badTransfer.Get(), id, 3), -1) << id;
  EXPECT_EQ(ReadBytes(destination), before);

  EXPECT_EQ(Copy(Transfer(nullptr, nullptr).Get(), 0, 3), -1);
  EXPECT_EQ(Copy(Transfer(nullptr, missing.c_str()).Get(), 0, 3), -1);
  EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IconTransfer, TheAutomaticSlotFollowsTheDestinationsGroups) {
  std::wstring source =
      Write(L"source.dll", {GroupResource(7, {70, 71}), ImageResource(70), ImageResource(71)});
  std::wstring four =
      Write(L"four.exe", {GroupResource(0, {1}, u"ALPHA"), GroupResource(0, {1}, u"BETA"),
                          GroupResource(3, {1}), GroupResource(9, {1}), ImageResource(1)});
  long slot = 0;
  ASSERT_EQ(Copy(Transfer(source.c_str(), four.c_str()).Get(), 0, -1, &slot), 0);
  EXPECT_EQ(slot, 4);
  EXPECT_EQ(ListedImages(ReadResource(four, RT_GROUP_ICON, 56)), (Ids{57, 58}));
  EXPECT_EQ(ReadResource(four, RT_ICON, 58), ImageBytes(71));
  EXPECT_FALSE(ReadResource(four, RT_GROUP_ICON, L"BETA").empty());
  EXPECT_EQ(Copy(Transfer(source.c_str(), nullptr).Get(), 0, -1), -1);

  // An empty destination gets slot 0, group number 0 (which Wine's
  // resource-update service accepts).
  std::wstring empty = Write(L"empty.exe");
  ASSERT_EQ(Copy(Transfer(source.c_str(), empty.c_str()).Get(), 0, -1, &slot), 0);
  EXPECT_EQ(slot, 0);
  EXPECT_EQ(ReadResource(empty, RT_ICON, 1), ImageBytes(70));
}

}  // namespace
}  // namespace perestest
