// The keyed collections: Add, Item by key or position, Count.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"

using namespace modeltest;

namespace {

class CollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    component_ = NewComponent();
    ASSERT_EQ(component_->get_ProgIDCollection(progIds_.Put()), S_OK);
    for (const wchar_t* key : {L"Zeta.Doc", L"Alpha.Doc", L"Mid.Doc"}) {
      ComPtr<IExtractProgIDInfo> item;
      ASSERT_EQ(AddKey(progIds_.Get(), key, &item), S_OK);
    }
  }

  std::wstring KeyAt(VARIANT key) {
    ComPtr<IExtractProgIDInfo> item;
    if (FAILED(progIds_->get_Item(key, item.Put())) || !item) return L"<none>";
    return Text(item.Get(), &IExtractProgIDInfo::get_ProgID);
  }

  // Item must fail and leave the out-pointer null.
  void ExpectNoItem(VARIANT key) {
    IExtractProgIDInfo* item = reinterpret_cast<IExtractProgIDInfo*>(0x1);
    EXPECT_TRUE(FAILED(progIds_->get_Item(key, &item)));
    EXPECT_EQ(item, nullptr);
  }

  LONG Count() {
    LONG count = -1;
    progIds_->get_Count(&count);
    return count;
  }

  ComPtr<IExtractComponent> component_;
  ComPtr<IExtractProgIDCol> progIds_;
};

TEST_F(CollectionTest, RepeatedAddHandsBackTheFirstItemAndLaterPutsWin) {
  ComPtr<IExtractProgIDInfo> first, again, found;
  ASSERT_EQ(AddKey(progIds_.Get(), L"Alpha.Doc", &first), S_OK);
  Bstr early(L"early"), late(L"late"), key(L"alpha.DOC");
  first->put_Description(early.Get());
  // Registry names ignore case, so a differently spelt key is the same ProgID.
  ASSERT_EQ(AddKey(progIds_.Get(), L"ALPHA.doc", &again), S_OK);
  EXPECT_TRUE(SameObject(first.Get(), again.Get()));
  again->put_Description(late.Get());

  EXPECT_EQ(Count(), 3);
  ASSERT_EQ(progIds_->get_Item(ByText(key), found.Put()), S_OK);
  EXPECT_EQ(Text(found.Get(), &IExtractProgIDInfo::get_Description), L"late");
  EXPECT_EQ(Text(found.Get(), &IExtractProgIDInfo::get_ProgID), L"Alpha.Doc");
}

TEST_F(CollectionTest, ItemByKeyAndByOneBasedPositionInInsertionOrder) {
  Bstr key(L"Mid.Doc"), lowered(L"zeta.doc");
  EXPECT_EQ(KeyAt(ByText(key)), L"Mid.Doc");
  EXPECT_EQ(KeyAt(ByPosition(1)), L"Zeta.Doc");
  EXPECT_EQ(KeyAt(ByPosition(2)), L"Alpha.Doc");
  EXPECT_EQ(KeyAt(ByPosition(3)), L"Mid.Doc");

  // The forms script callers pass: short numbers, doubles, references.
  VARIANT shortPosition = Typed(VT_I2);
  V_I2(&shortPosition) = 3;
  EXPECT_EQ(KeyAt(shortPosition), L"Mid.Doc");
  VARIANT doublePosition = Typed(VT_R8);
  V_R8(&doublePosition) = 2.0;
  EXPECT_EQ(KeyAt(doublePosition), L"Alpha.Doc");
  LONG two = 2;
  VARIANT longRef = Typed(VT_I4 | VT_BYREF);
  V_I4REF(&longRef) = &two;
  EXPECT_EQ(KeyAt(longRef), L"Alpha.Doc");
  BSTR text = lowered.Get();
  VARIANT textRef = Typed(VT_BSTR | VT_BYREF);
  V_BSTRREF(&textRef) = &text;
  EXPECT_EQ(KeyAt(textRef), L"Zeta.Doc");
  VARIANT inner = ByPosition(3);
  VARIANT variantRef = Typed(VT_VARIANT | VT_BYREF);
  V_VARIANTREF(&variantRef) = &inner;
  EXPECT_EQ(KeyAt(variantRef), L"Mid.Doc");
}

TEST_F(CollectionTest, MissingKeysAndPositionsOutOfRangeFailWithNoItem) {
  Bstr missing(L"Nope.Doc"), empty(L"");
  ExpectNoItem(ByText(missing));
  ExpectNoItem(ByText(empty));
  ExpectNoItem(ByPosition(0));  // the spy harvest's first request
  ExpectNoItem(ByPosition(4));
  ExpectNoItem(ByPosition(-1));
  ExpectNoItem(Typed(VT_EMPTY));
  VARIANT huge = Typed(VT_R8);
  V_R8(&huge) = 1e300;
  ExpectNoItem(huge);
  VARIANT object = Typed(VT_UNKNOWN);
  V_UNKNOWN(&object) = progIds_.Get();
  ExpectNoItem(object);
  EXPECT_EQ(Count(), 3);
}

TEST_F(CollectionTest, NullArgumentsAndUnusualKeys) {
  EXPECT_EQ(progIds_->Add(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(progIds_->get_Item(ByPosition(1), nullptr), E_POINTER);
  EXPECT_EQ(progIds_->get_Count(nullptr), E_POINTER);

  // A null key is the empty key: one item, found again by "".
  ComPtr<IExtractProgIDInfo> first, second, found;
  ASSERT_EQ(progIds_->Add(nullptr, first.Put()), S_OK);
  ASSERT_EQ(progIds_->Add(nullptr, second.Put()), S_OK);
  EXPECT_TRUE(SameObject(first.Get(), second.Get()));
  Bstr empty(L"");
  ASSERT_EQ(progIds_->get_Item(ByText(empty), found.Put()), S_OK);
  EXPECT_TRUE(SameObject(first.Get(), found.Get()));

  // Keys are taken whole: 300 characters, or with an embedded null.
  std::wstring longName(300, L'x');
  Bstr longKey(longName.c_str()), withNull(L"a\0b", 3), plain(L"a");
  progIds_->Add(longKey.Get(), first.Put());
  EXPECT_EQ(KeyAt(ByText(longKey)), longName);
  progIds_->Add(withNull.Get(), first.Put());
  progIds_->Add(plain.Get(), second.Put());
  EXPECT_FALSE(SameObject(first.Get(), second.Get()));
  EXPECT_EQ(Text(first.Get(), &IExtractProgIDInfo::get_ProgID), std::wstring(L"a\0b", 3));
  EXPECT_EQ(Count(), 7);
}

}  // namespace
