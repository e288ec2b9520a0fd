// The icon transfer on files built by the tests and on the test executable's
// own icons: the slot scheme, the choice of the group, the VARIANT rules,
// and destinations left as they were whenever a copy fails.
#include <gtest/gtest.h>

#include "IconTestSupport.h"
#include "PeresTestSupport.h"
#include "peres/VariantLong.h"
#include "support/TestSupport.h"

using icontest::Bytes;
using icontest::Copy;
using icontest::ListedImages;
using icontest::ReadOwnResource;
using icontest::ReadResource;
using icontest::Transfer;
using twutil::Bstr;
using twutil::Variant;

namespace {

class IconTransfer : public ::testing::Test {
 protected:
  std::wstring Write(const wchar_t* name, const Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(perestest::WriteBytes(path, bytes));
    return path;
  }
  // A program without icons (a version resource only).
  std::wstring Plain(const wchar_t* name) {
    pefixture::VersionPlan plan;
    plan.tables = {pefixture::StandardTable()};
    return Write(name, pefixture::PeWithVersion(plan));
  }
  // A file with group icons built from resources.
  std::wstring WithResources(const wchar_t* name, const std::vector<pefixture::Resource>& list) {
    pefixture::PePlan plan;
    plan.resources = list;
    return Write(name, pefixture::BuildPe(plan));
  }
  twtest::TempDir dir_;
};

TEST_F(IconTransfer, NamesAreKeptAsCopies) {
  auto transfer = Transfer(nullptr, nullptr);
  ASSERT_TRUE(transfer);
  Variant name, result;
  EXPECT_EQ(transfer->GetSourceFile(name.Put(), result.Put()), S_OK);
  EXPECT_EQ(name.Type(), VT_BSTR);
  EXPECT_EQ(V_BSTR(&name.Ref()), nullptr);
  EXPECT_EQ(V_I4(&result.Ref()), 0);

  Bstr source(L"C:\\a\\source.exe"), destination(L"D:\\dest.dll");
  EXPECT_EQ(transfer->SetSourceFile(source.Get(), result.Put()), S_OK);
  EXPECT_EQ(result.Type(), VT_I4);
  EXPECT_EQ(V_I4(&result.Ref()), 0);
  transfer->SetDestinationFile(destination.Get(), result.Put());
  transfer->GetSourceFile(name.Put(), result.Put());
  EXPECT_STREQ(V_BSTR(&name.Ref()), L"C:\\a\\source.exe");
  EXPECT_NE(V_BSTR(&name.Ref()), source.Get());
  transfer->GetDestinationFile(name.Put(), result.Put());
  EXPECT_STREQ(V_BSTR(&name.Ref()), L"D:\\dest.dll");

  transfer->SetSourceFile(nullptr, result.Put());
  transfer->GetSourceFile(name.Put(), result.Put());
  EXPECT_EQ(V_BSTR(&name.Ref()), nullptr);

  EXPECT_EQ(transfer->GetSourceFile(nullptr, result.Put()), E_POINTER);
  EXPECT_EQ(transfer->GetDestinationFile(name.Put(), nullptr), E_POINTER);
  EXPECT_EQ(transfer->SetSourceFile(source.Get(), nullptr), E_POINTER);
  Variant index;
  EXPECT_EQ(transfer->CopyIconResource(index.Ref(), nullptr, result.Put()), E_POINTER);
}

TEST_F(IconTransfer, WithoutASourceTheHostsIconsAreCopiedIntoTheSlot) {
  std::wstring destination = Plain(L"dest.exe");
  auto transfer = Transfer(nullptr, destination.c_str());
  icontest::CopyResult copy = Copy(transfer.Get(), -5, 2);
  EXPECT_EQ(copy.hr, S_OK);
  ASSERT_EQ(copy.result, 0);
  EXPECT_EQ(copy.type, VT_I4);
  EXPECT_EQ(copy.out, 3);

  Bytes group = ReadResource(destination, RT_GROUP_ICON, 28);
  EXPECT_EQ(ListedImages(group), (std::vector<uint16_t>{29, 30, 31}));
  Bytes original = ReadOwnResource(RT_GROUP_ICON, 5);
  ASSERT_EQ(group.size(), original.size());
  for (size_t i = 0; i < 3; ++i) pefixture::PutU16(&group, 6 + 14 * i + 12, 51 + i);
  EXPECT_EQ(group, original) << "only the image numbers change";
  for (uint16_t i = 0; i < 3; ++i)
    EXPECT_EQ(ReadResource(destination, RT_ICON, 29 + i), ReadOwnResource(RT_ICON, 51 + i));
  EXPECT_FALSE(perestest::QueryTranslation(destination) == 0) << "other resources stay";
}

TEST_F(IconTransfer, GroupsAreChosenByPositionOrByNumber) {
  std::wstring destination = Plain(L"dest.exe");
  auto transfer = Transfer(nullptr, destination.c_str());
  ASSERT_EQ(Copy(transfer.Get(), 0, 0).result, 0);
  ASSERT_EQ(Copy(transfer.Get(), 1, 1).result, 0);
  EXPECT_EQ(ListedImages(ReadResource(destination, RT_GROUP_ICON, uint16_t{0})).size(), 2u);
  EXPECT_EQ(ReadResource(destination, RT_ICON, 1), ReadOwnResource(RT_ICON, 11));
  EXPECT_EQ(ListedImages(ReadResource(destination, RT_GROUP_ICON, 14)),
            (std::vector<uint16_t>{15, 16, 17}));

  const Bytes before = perestest::ReadBytes(destination);
  icontest::CopyResult beyond = Copy(transfer.Get(), 2, 5);
  EXPECT_EQ(beyond.result, -1);
  EXPECT_EQ(beyond.out, 5) << "nOutIndex is left as it was";
  EXPECT_EQ(Copy(transfer.Get(), -2, 5).result, -1) << "no group numbered 2";
  EXPECT_EQ(perestest::ReadBytes(destination), before);
}

TEST_F(IconTransfer, TheAutomaticSlotFollowsTheDestinationsGroups) {
  std::wstring source =
      WithResources(L"source.dll", {icontest::GroupResource(7, {70, 71}),
                                    icontest::ImageResource(70, icontest::ImageBytes(70)),
                                    icontest::ImageResource(71, icontest::ImageBytes(71))});
  std::wstring four =
      WithResources(L"four.exe", {icontest::GroupResource(0, {1}, u"ALPHA"),
                                  icontest::GroupResource(0, {1}, u"BETA"),
                                  icontest::GroupResource(3, {1}), icontest::GroupResource(9, {1}),
                                  icontest::ImageResource(1, icontest::ImageBytes(1))});
  auto transfer = Transfer(source.c_str(), four.c_str());
  icontest::CopyResult copy = Copy(transfer.Get(), 0, -1);
  ASSERT_EQ(copy.result, 0);
  EXPECT_EQ(copy.out, 4);
  EXPECT_EQ(ListedImages(ReadResource(four, RT_GROUP_ICON, 56)), (std::vector<uint16_t>{57, 58}));
  EXPECT_EQ(ReadResource(four, RT_ICON, 58), icontest::ImageBytes(71));
  EXPECT_FALSE(ReadResource(four, RT_GROUP_ICON, L"BETA").empty());

  auto nowhere = Transfer(source.c_str(), nullptr);
  EXPECT_EQ(Copy(nowhere.Get(), 0, -1).result, -1);
}

TEST_F(IconTransfer, AnEmptyDestinationGetsSlotZero) {
  std::wstring source = WithResources(
      L"source.dll",
      {icontest::GroupResource(7, {70}), icontest::ImageResource(70, icontest::ImageBytes(70))});
  std::wstring destination = Plain(L"empty.exe");
  const Bytes before = perestest::ReadBytes(destination);
  auto transfer = Transfer(source.c_str(), destination.c_str());
  icontest::CopyResult copy = Copy(transfer.Get(), 0, -1);
  // Group number 0 is the resource-update service's to accept or refuse.
  if (copy.result == 0) {
    EXPECT_EQ(copy.out, 0);
    EXPECT_EQ(ReadResource(destination, RT_ICON, 1), icontest::ImageBytes(70));
  } else {
    EXPECT_EQ(copy.result, -1);
    EXPECT_EQ(copy.out, -1);
    EXPECT_EQ(perestest::ReadBytes(destination), before);
  }
}

TEST_F(IconTransfer, ASecondCopyIntoTheSameSlotReplacesWhatItCovers) {
  std::wstring destination = Plain(L"dest.exe");
  auto transfer = Transfer(nullptr, destination.c_str());
  ASSERT_EQ(Copy(transfer.Get(), -5, 1).result, 0);  // three images: 15, 16, 17
  ASSERT_EQ(Copy(transfer.Get(), -1, 1).result, 0);  // two images: 15, 16
  EXPECT_EQ(ListedImages(ReadResource(destination, RT_GROUP_ICON, 14)),
            (std::vector<uint16_t>{15, 16}));
  EXPECT_EQ(ReadResource(destination, RT_ICON, 15), ReadOwnResource(RT_ICON, 11));
  EXPECT_EQ(ReadResource(destination, RT_ICON, 16), ReadOwnResource(RT_ICON, 12));
  EXPECT_EQ(ReadResource(destination, RT_ICON, 17), ReadOwnResource(RT_ICON, 53));
}

TEST_F(IconTransfer, BadSourcesAndDestinationsChangeNothing) {
  std::wstring destination = Plain(L"dest.exe");
  const Bytes before = perestest::ReadBytes(destination);
  std::wstring text = Write(L"notes.txt", Bytes{'n', 'o', 't', 'e', 's'});
  EXPECT_EQ(Copy(Transfer(text.c_str(), destination.c_str()).Get(), 0, 0).result, -1);
  std::wstring missing = dir_.Path() + L"missing.exe";
  EXPECT_EQ(Copy(Transfer(missing.c_str(), destination.c_str()).Get(), 0, 0).result, -1);
  EXPECT_EQ(Copy(Transfer(L"", destination.c_str()).Get(), 0, 0).result, -1);

  // A group that announces more entries than it holds, one larger than the
  // copy buffer, and one that lists a missing image.
  Bytes overstated = icontest::GroupDirectory({70});
  pefixture::PutU16(&overstated, 4, 40);
  pefixture::Resource lying = icontest::GroupResource(1, {});
  lying.data = overstated;
  std::vector<uint16_t> many(300, 70);
  std::wstring bad = WithResources(
      L"bad.dll", {lying, icontest::GroupResource(2, many), icontest::GroupResource(3, {70, 99}),
                   icontest::ImageResource(70, icontest::ImageBytes(70))});
  auto transfer = Transfer(bad.c_str(), destination.c_str());
  for (long group : {-1, -2, -3}) EXPECT_EQ(Copy(transfer.Get(), group, 3).result, -1) << group;
  EXPECT_EQ(perestest::ReadBytes(destination), before);

  auto noDestination = Transfer(nullptr, nullptr);
  EXPECT_EQ(Copy(noDestination.Get(), 0, 3).result, -1);
  auto missingDestination = Transfer(nullptr, missing.c_str());
  EXPECT_EQ(Copy(missingDestination.Get(), 0, 3).result, -1);
  EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IconTransfer, IndexesAreConvertedAndWrittenBackByType) {
  std::wstring destination = Plain(L"dest.exe");
  auto transfer = Transfer(nullptr, destination.c_str());
  Variant index, out;
  V_VT(index.Put()) = VT_BSTR;
  V_BSTR(&index.Ref()) = SysAllocString(L"-5");
  V_VT(out.Put()) = VT_I2;
  V_I2(&out.Ref()) = 2;
  icontest::CopyResult copy = Copy(transfer.Get(), index.Ref(), &out.Ref());
  EXPECT_EQ(copy.result, 0);
  EXPECT_EQ(copy.type, VT_I4);
  EXPECT_EQ(copy.out, 3);

  V_VT(out.Put()) = VT_BOOL;
  V_BOOL(&out.Ref()) = VARIANT_FALSE;  // slot 0; 1 comes back as true
  copy = Copy(transfer.Get(), index.Ref(), &out.Ref());
  EXPECT_EQ(copy.result, 0);
  EXPECT_EQ(copy.type, VT_BOOL);
  EXPECT_EQ(V_BOOL(&out.Ref()), VARIANT_TRUE);

  V_VT(out.Put()) = VT_BSTR;
  V_BSTR(&out.Ref()) = SysAllocString(L"not a number");
  copy = Copy(transfer.Get(), index.Ref(), &out.Ref());
  EXPECT_EQ(copy.result, -1);
  EXPECT_EQ(copy.type, VT_BSTR);

  V_VT(index.Put()) = VT_BSTR;
  V_BSTR(&index.Ref()) = SysAllocString(L"first");
  V_VT(out.Put()) = VT_I4;
  V_I4(&out.Ref()) = 4;
  EXPECT_EQ(Copy(transfer.Get(), index.Ref(), &out.Ref()).result, -1);

  VARIANT error;
  V_VT(&error) = VT_ERROR;
  V_ERROR(&error) = 0;
  twutil::StoreLongInVariant(&error, 7);
  EXPECT_EQ(V_VT(&error), VT_ERROR);
  EXPECT_EQ(V_ERROR(&error), 7);
}

}  // namespace
