// The keyed collections: Add, Item by key or position, Count.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"

using namespace modeltest;

namespace {

class CollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(component_->get_ProgIDCollection(progIds_.Put()), S_OK);
    for (const wchar_t* key : {L"Zeta.Doc", L"Alpha.Doc", L"Mid.Doc"}) Add(key);
  }
  ComPtr<IExtractProgIDInfo> Add(const wchar_t* key) {
    return modeltest::Add<IExtractProgIDInfo>(component_.Get(),
                                              &IExtractComponent::get_ProgIDCollection, key);
  }
  // The item's ProgID; "<none>" when Item fails, which must leave null.
  std::wstring KeyAt(VARIANT key) {
    IExtractProgIDInfo* raw = reinterpret_cast<IExtractProgIDInfo*>(0x1);
    if (FAILED(progIds_->get_Item(key, &raw))) return raw ? L"<not null>" : L"<none>";
    Bstr text;
    ComPtr<IExtractProgIDInfo>::Adopt(raw)->get_ProgID(text.Put());
    return std::wstring(text.Text(), text.Length());
  }
  LONG Count() {
    LONG count = -1;
    progIds_->get_Count(&count);
    return count;
  }

  ComPtr<IExtractComponent> component_ = NewComponent();
  ComPtr<IExtractProgIDCol> progIds_;
};

TEST_F(CollectionTest, RepeatedAddHandsBackTheFirstItemAndLaterPutsWin) {
  ComPtr<IExtractProgIDInfo> first = Add(L"Alpha.Doc");
  first->put_Description(Bstr(L"early").Get());
  // Registry names ignore case, so a differently spelt key is the same ProgID.
  ComPtr<IExtractProgIDInfo> again = Add(L"ALPHA.doc");
  EXPECT_TRUE(SameObject(first.Get(), again.Get()));
  again->put_Description(Bstr(L"late").Get());
  EXPECT_EQ(Count(), 3);
  Bstr description;
  first->get_Description(description.Put());
  EXPECT_STREQ(description.Text(), L"late");
  EXPECT_EQ(KeyAt(Of(VT_BSTR, Bstr(L"alpha.DOC").Get())), L"Alpha.Doc");
}

TEST_F(CollectionTest, ItemByKeyOrOneBasedPositionInTheFormsScriptsPass) {
  Bstr mid(L"Mid.Doc"), lowered(L"zeta.doc"), missing(L"Nope.Doc"), empty(L"");
  BSTR text = lowered.Get();
  LONG two = 2;
  VARIANT three = Of(VT_I4, 3L);
  const std::pair<VARIANT, const wchar_t*> cases[] = {
      {Of(VT_BSTR, mid.Get()), L"Mid.Doc"},
      {Of(VT_I4, 1L), L"Zeta.Doc"},
      {Of(VT_I4, 2L), L"Alpha.Doc"},
      {Of(VT_I2, SHORT(3)), L"Mid.Doc"},
      {Of(VT_R8, 2.0), L"Alpha.Doc"},
      {Of(VT_I4 | VT_BYREF, &two), L"Alpha.Doc"},
      {Of(VT_BSTR | VT_BYREF, &text), L"Zeta.Doc"},
      {Of(VT_VARIANT | VT_BYREF, &three), L"Mid.Doc"},
      // Missing keys and positions out of range; 0 is the spy harvest's first request.
      {Of(VT_BSTR, missing.Get()), L"<none>"},
      {Of(VT_BSTR, empty.Get()), L"<none>"},
      {Of(VT_I4, 0L), L"<none>"},
      {Of(VT_I4, 4L), L"<none>"},
      {Of(VT_I4, -1L), L"<none>"},
      {Of(VT_EMPTY, 0), L"<none>"},
      {Of(VT_R8, 1e300), L"<none>"},
      {Of(VT_UNKNOWN, static_cast<IUnknown*>(progIds_.Get())), L"<none>"}};
  for (const auto& [key, expected] : cases) EXPECT_EQ(KeyAt(key), expected) << V_VT(&key);
  EXPECT_EQ(Count(), 3);
}

TEST_F(CollectionTest, NullArgumentsAndUnusualKeys) {
  EXPECT_EQ(progIds_->Add(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(progIds_->get_Item(Of(VT_I4, 1L), nullptr), E_POINTER);
  EXPECT_EQ(progIds_->get_Count(nullptr), E_POINTER);
  // A null key is the empty key: one item, found again by "".
  ComPtr<IExtractProgIDInfo> first, second;
  ASSERT_EQ(progIds_->Add(nullptr, first.Put()), S_OK);
  ASSERT_EQ(progIds_->Add(nullptr, second.Put()), S_OK);
  EXPECT_TRUE(SameObject(first.Get(), second.Get()));
  EXPECT_EQ(KeyAt(Of(VT_BSTR, Bstr(L"").Get())), L"");
  // Keys are taken whole: 300 characters, or with an embedded null.
  const std::wstring longName(300, L'x'), withNull(L"a\0b", 3);
  Add(longName.c_str());
  EXPECT_EQ(KeyAt(Of(VT_BSTR, Bstr(longName.c_str()).Get())), longName);
  ASSERT_EQ(progIds_->Add(Bstr(withNull.c_str(), 3).Get(), first.Put()), S_OK);
  EXPECT_FALSE(SameObject(first.Get(), Add(L"a").Get()));
  EXPECT_EQ(KeyAt(Of(VT_I4, 6L)), withNull);
  EXPECT_EQ(Count(), 7);
}

}  // namespace
