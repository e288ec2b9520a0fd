// The component: key file, destination, its collections, the registry entries
// handed to AddMiscRegistryInfo, the verbs' ProgID link and object lifetime.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "com/Module.h"

using namespace modeltest;
using twutil::Module;
using twutil::model::MiscRegistryEntry;
using twutil::model::MiscRegistryOf;

namespace {

// The key file and destination themselves show in the JSON dump tests.
TEST(Component, RepackagerKeyFileAndNullArguments) {
  ComPtr<IExtractComponent> component = NewComponent(L"C:\\srv\\a.dll");
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(component.Get(), L"D:\\stage\\a.dll"), S_OK);
  Bstr plain, repackager;
  component->get_KeyFile(VARIANT_TRUE, repackager.Put());
  component->get_KeyFile(VARIANT_FALSE, plain.Put());
  EXPECT_STREQ(repackager.Text(), L"D:\\stage\\a.dll");
  EXPECT_STREQ(plain.Text(), L"C:\\srv\\a.dll");
  EXPECT_EQ(twutil::model::SetRepackagerKeyFile(nullptr, L"x"), E_INVALIDARG);
  EXPECT_EQ(component->get_KeyFile(VARIANT_FALSE, nullptr), E_POINTER);
  EXPECT_EQ(component->get_ComClassCollection(nullptr), E_POINTER);
  EXPECT_EQ(twutil::model::CreateExtractComponent(nullptr, nullptr, nullptr), E_POINTER);

  // Null paths read back as empty texts, never as null BSTRs.
  ComPtr<IExtractComponent> unnamed = NewComponent(nullptr, nullptr);
  unnamed->get_KeyFile(VARIANT_TRUE, plain.Put());
  ASSERT_NE(plain.Get(), nullptr);
  EXPECT_EQ(plain.Length(), 0u);
}

TEST(Component, AddMiscRegistryInfoRecordsBothFormsInOrder) {
  ComPtr<IExtractComponent> component = NewComponent();
  Bstr key(L"CLSID\\{C}\\Implemented Categories"), value(L"AppID"), emptyName(L"");
  LONG result = 99;
  ASSERT_EQ(component->AddMiscRegistryInfo(HKCR, key.Get(), nullptr, VARIANT_TRUE, &result), S_OK);
  EXPECT_EQ(result, 0);
  result = 99;
  ASSERT_EQ(component->AddMiscRegistryInfo(HKCR, key.Get(), value.Get(), VARIANT_FALSE, &result),
            S_OK);
  EXPECT_EQ(result, 0);
  component->AddMiscRegistryInfo(HKCR, key.Get(), emptyName.Get(), VARIANT_FALSE, &result);
  // The spy harvest's form: a predefined key's value and no names.
  component->AddMiscRegistryInfo(static_cast<ERegistryHives>(0x80000002), nullptr, nullptr,
                                 VARIANT_TRUE, &result);
  EXPECT_EQ(component->AddMiscRegistryInfo(HKU, nullptr, nullptr, VARIANT_TRUE, nullptr), S_OK);

  const std::vector<MiscRegistryEntry>* entries = MiscRegistryOf(component.Get());
  ASSERT_NE(entries, nullptr);
  ASSERT_EQ(entries->size(), 5u);
  const MiscRegistryEntry& whole = (*entries)[0];
  EXPECT_EQ(whole.root, 0u);
  EXPECT_EQ(whole.key.value_or(L"<null>"), L"CLSID\\{C}\\Implemented Categories");
  EXPECT_FALSE(whole.valueName.has_value());
  EXPECT_EQ(whole.deleteAllValues, VARIANT_TRUE);
  EXPECT_EQ((*entries)[1].valueName.value_or(L"<null>"), L"AppID");
  EXPECT_EQ((*entries)[1].deleteAllValues, VARIANT_FALSE);
  // An empty value name (the default value) is not the same as none.
  EXPECT_EQ((*entries)[2].valueName.value_or(L"<null>"), L"");
  const MiscRegistryEntry& hive = (*entries)[3];
  EXPECT_EQ(hive.root, 0x80000002u);
  EXPECT_FALSE(hive.key.has_value());
  EXPECT_FALSE(hive.valueName.has_value());
  EXPECT_EQ((*entries)[4].root, 3u);
  EXPECT_EQ(MiscRegistryOf(nullptr), nullptr);
}

class VerbLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startLocks_ = Module::LockCount();
    component_ = NewComponent();
    ComPtr<IExtractProgIDCol> progIds;
    ASSERT_EQ(component_->get_ProgIDCollection(progIds.Put()), S_OK);
    ASSERT_EQ(AddKey(progIds.Get(), L"Word.Doc", &progId_), S_OK);
    ComPtr<IExtractVerbCol> verbs;
    ASSERT_EQ(progId_->get_VerbCollection(verbs.Put()), S_OK);
    ASSERT_EQ(AddKey(verbs.Get(), L"open", &verb_), S_OK);
    ASSERT_EQ(verb_->putref_ProgID(progId_.Get()), S_OK);
  }

  LONG startLocks_ = 0;
  ComPtr<IExtractComponent> component_;
  ComPtr<IExtractProgIDInfo> progId_;
  ComPtr<IExtractVerbInfo> verb_;
};

TEST_F(VerbLinkTest, TheVerbAnswersTheProgIDItSetAndNullAfterClearing) {
  ComPtr<IExtractProgIDInfo> linked;
  ASSERT_EQ(verb_->get_ProgID(linked.Put()), S_OK);
  EXPECT_TRUE(SameObject(linked.Get(), progId_.Get()));
  ASSERT_EQ(verb_->putref_ProgID(nullptr), S_OK);
  ASSERT_EQ(verb_->get_ProgID(linked.Put()), S_OK);
  EXPECT_EQ(linked.Get(), nullptr);
  EXPECT_EQ(verb_->get_ProgID(nullptr), E_POINTER);
}

// ProgID -> verbs -> verb -> ProgID must not keep the tree alive.
TEST_F(VerbLinkTest, ReleasingTheTreeFreesEveryObject) {
  EXPECT_GT(Module::LockCount(), startLocks_);
  verb_.Reset();
  progId_.Reset();
  component_.Reset();
  EXPECT_EQ(Module::LockCount(), startLocks_);
}

TEST_F(VerbLinkTest, AVerbKeptAloneOutlivesItsProgIDAndAnswersNull) {
  progId_.Reset();
  component_.Reset();
  ComPtr<IExtractProgIDInfo> linked;
  ASSERT_EQ(verb_->get_ProgID(linked.Put()), S_OK);
  EXPECT_EQ(linked.Get(), nullptr);
  verb_.Reset();
  EXPECT_EQ(Module::LockCount(), startLocks_);
}

// Verbs of two ProgIDs that point at each other, contexts and records.
TEST(ModelLifetime, AFullTreeLeavesNoObjectBehind) {
  LONG start = Module::LockCount();
  {
    ComPtr<IExtractComponent> component = NewComponent();
    ComPtr<IExtractComClassCol> classes;
    component->get_ComClassCollection(classes.Put());
    ComPtr<IExtractComClass> comClass;
    AddKey(classes.Get(), L"{C}", &comClass);
    ComPtr<IExtractContextCol> contexts;
    comClass->get_ContextCol(contexts.Put());
    ComPtr<IExtractContextType> context;
    AddKey(contexts.Get(), L"LocalServer32", &context);
    ComPtr<IExtractProgIDCol> progIds;
    component->get_ProgIDCollection(progIds.Put());
    ComPtr<IExtractProgIDInfo> progId[2];
    ComPtr<IExtractVerbCol> verbs[2];
    ComPtr<IExtractVerbInfo> verb[2];
    for (int i = 0; i < 2; ++i) {
      AddKey(progIds.Get(), i ? L"B.1" : L"A.1", &progId[i]);
      progId[i]->get_VerbCollection(verbs[i].Put());
      AddKey(verbs[i].Get(), L"open", &verb[i]);
    }
    verb[0]->putref_ProgID(progId[1].Get());
    verb[1]->putref_ProgID(progId[0].Get());
    LONG result = 0;
    component->AddMiscRegistryInfo(HKCR, nullptr, nullptr, VARIANT_TRUE, &result);
  }
  EXPECT_EQ(Module::LockCount(), start);
}

}  // namespace
