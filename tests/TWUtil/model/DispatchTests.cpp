// Late binding: scripts drive the model through IDispatch and the registered
// type library.
#include <gtest/gtest.h>

#include <vector>

#include "ModelTestSupport.h"
#include "support/TestSupport.h"

using namespace modeltest;
using twutil::Variant;

namespace {

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(twtest::RegisteredLibrary(), nullptr);
    component_ = NewComponent();
  }

  static DISPID IdOf(IUnknown* object, const wchar_t* name) {
    ComPtr<IDispatch> dispatch;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (SUCCEEDED(object->QueryInterface(IID_IDispatch, dispatch.PutVoid())))
      dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
  }

  // Arguments in the order written; a put passes its value as the named one.
  static HRESULT CallId(IUnknown* object, DISPID id, WORD flags, std::vector<VARIANT> args,
                        VARIANT* result) {
    ComPtr<IDispatch> dispatch;
    HRESULT hr = object->QueryInterface(IID_IDispatch, dispatch.PutVoid());
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    bool isPut = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params = {reversed.data(), isPut ? &put : nullptr,
                         static_cast<UINT>(reversed.size()), isPut ? 1u : 0u};
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                            nullptr);
  }
  static HRESULT Call(IUnknown* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                      VARIANT* result) {
    return CallId(object, IdOf(object, name), flags, std::move(args), result);
  }

  ComPtr<IExtractComponent> component_;
};

TEST_F(DispatchTest, AddItemAndCountByName) {
  Variant classes, added, item, guid, count, missing;
  ASSERT_EQ(Call(component_.Get(), L"ComClassCollection", DISPATCH_PROPERTYGET, {}, classes.Put()),
            S_OK);
  ASSERT_EQ(classes.Type(), VT_DISPATCH);
  IDispatch* collection = V_DISPATCH(&classes.Ref());
  EXPECT_EQ(IdOf(collection, L"Add"), 0x60030003);
  Bstr key(L"{X}");
  ASSERT_EQ(Call(collection, L"Add", DISPATCH_METHOD, {ByText(key)}, added.Put()), S_OK);
  ASSERT_EQ(added.Type(), VT_DISPATCH);

  // Item is the default member: DISPID 0 with a position.
  ASSERT_EQ(CallId(collection, DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                   {ByPosition(1)}, item.Put()),
            S_OK);
  ASSERT_EQ(item.Type(), VT_DISPATCH);
  ASSERT_EQ(Call(V_DISPATCH(&item.Ref()), L"Guid", DISPATCH_PROPERTYGET, {}, guid.Put()), S_OK);
  ASSERT_EQ(guid.Type(), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&guid.Ref()), L"{X}");
  ASSERT_EQ(Call(collection, L"Count", DISPATCH_PROPERTYGET, {}, count.Put()), S_OK);
  EXPECT_EQ(count.Type(), VT_I4);
  EXPECT_EQ(V_I4(&count.Ref()), 1);
  EXPECT_TRUE(FAILED(
      CallId(collection, DISPID_VALUE, DISPATCH_PROPERTYGET, {ByPosition(2)}, missing.Put())));
}

TEST_F(DispatchTest, ScriptSetsTheVerbsProgIDByReference) {
  ComPtr<IExtractProgIDCol> progIds;
  component_->get_ProgIDCollection(progIds.Put());
  ComPtr<IExtractProgIDInfo> progId, linked;
  AddKey(progIds.Get(), L"S.1", &progId);
  ComPtr<IExtractVerbCol> verbs;
  progId->get_VerbCollection(verbs.Put());
  ComPtr<IExtractVerbInfo> verb;
  AddKey(verbs.Get(), L"open", &verb);

  VARIANT value = Typed(VT_DISPATCH);
  V_DISPATCH(&value) = progId.Get();  // borrowed
  ASSERT_EQ(Call(verb.Get(), L"ProgID", DISPATCH_PROPERTYPUTREF, {value}, nullptr), S_OK);
  ASSERT_EQ(verb->get_ProgID(linked.Put()), S_OK);
  EXPECT_TRUE(SameObject(linked.Get(), progId.Get()));
}

TEST_F(DispatchTest, AddMiscRegistryInfoTakesItsOptionalFlagAsFalse) {
  Bstr key(L"Interface\\{I}"), name(L"x");
  VARIANT hive = Typed(VT_I4);
  V_I4(&hive) = HKCR;
  Variant result;
  ASSERT_EQ(Call(component_.Get(), L"AddMiscRegistryInfo", DISPATCH_METHOD,
                 {hive, ByText(key), ByText(name)}, result.Put()),
            S_OK);
  EXPECT_EQ(result.Type(), VT_I4);
  EXPECT_EQ(V_I4(&result.Ref()), 0);
  const auto* entries = twutil::model::MiscRegistryOf(component_.Get());
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ((*entries)[0].key.value_or(L""), L"Interface\\{I}");
  EXPECT_EQ((*entries)[0].deleteAllValues, VARIANT_FALSE);
}

}  // namespace
