// The component: null paths and arguments, the verbs' ProgID link and object
// lifetime.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "com/Module.h"

using namespace modeltest;
using twutil::Module;

namespace {

// The key files, destination and registry entries show in the JSON dump tests.
TEST(Component, NullPathsReadBackEmptyAndNullArgumentsAreRefused) {
  Bstr path;
  NewComponent(nullptr, nullptr)->get_KeyFile(VARIANT_TRUE, path.Put());
  ASSERT_NE(path.Get(), nullptr);
  EXPECT_EQ(path.Length(), 0u);
  ComPtr<IExtractComponent> component = NewComponent();
  EXPECT_EQ(component->get_KeyFile(VARIANT_FALSE, nullptr), E_POINTER);
  EXPECT_EQ(component->get_ComClassCollection(nullptr), E_POINTER);
  EXPECT_EQ(twutil::model::CreateExtractComponent(nullptr, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(twutil::model::SetRepackagerKeyFile(nullptr, L"x"), E_INVALIDARG);
  EXPECT_EQ(twutil::model::MiscRegistryOf(nullptr), nullptr);
}

// ProgID -> verbs -> verb -> ProgID must not keep the tree alive: the link
// neither owns its ProgID nor outlives it.
TEST(Component, TheVerbsProgIDLinkKeepsNoObjectAlive) {
  const LONG startLocks = Module::LockCount();
  {
    ComPtr<IExtractComponent> component = NewComponent();
    auto add = [&](const wchar_t* progId) {
      return Add<IExtractProgIDInfo>(component.Get(), &IExtractComponent::get_ProgIDCollection,
                                     progId);
    };
    ComPtr<IExtractProgIDInfo> a = add(L"A.1"), b = add(L"B.1"), linked;
    auto verbOf = [](IExtractProgIDInfo* progId) {
      return Add<IExtractVerbInfo>(progId, &IExtractProgIDInfo::get_VerbCollection, L"open");
    };
    ComPtr<IExtractVerbInfo> ofA = verbOf(a.Get()), ofB = verbOf(b.Get());
    ASSERT_EQ(ofA->putref_ProgID(b.Get()), S_OK);
    ASSERT_EQ(ofB->putref_ProgID(a.Get()), S_OK);
    ASSERT_EQ(ofA->get_ProgID(linked.Put()), S_OK);
    EXPECT_TRUE(SameObject(linked.Get(), b.Get()));
    ASSERT_EQ(ofB->putref_ProgID(nullptr), S_OK);
    ASSERT_EQ(ofB->get_ProgID(linked.Put()), S_OK);
    EXPECT_EQ(linked.Get(), nullptr);
    ofB->putref_ProgID(a.Get());
    auto comClass =
        Add<IExtractComClass>(component.Get(), &IExtractComponent::get_ComClassCollection, L"{C}");
    Add<IExtractContextType>(comClass.Get(), &IExtractComClass::get_ContextCol, L"LocalServer32");
    // A verb kept alone answers null once its ProgID is gone.
    a.Reset();
    b.Reset();
    comClass.Reset();
    component.Reset();
    ASSERT_EQ(ofA->get_ProgID(linked.Put()), S_OK);
    EXPECT_EQ(linked.Get(), nullptr);
    EXPECT_GT(Module::LockCount(), startLocks);
  }
  EXPECT_EQ(Module::LockCount(), startLocks);
}

}  // namespace
