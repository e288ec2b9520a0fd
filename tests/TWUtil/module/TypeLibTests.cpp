// The built type library, read back through ITypeLib/ITypeInfo as a client
// would see it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TWUtil.h"
#include "TWRegSpy.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;

class TypeLibrary : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(twtest::LibraryPath().c_str(), REGKIND_NONE, library_.Put()), S_OK);
  }

  ComPtr<ITypeInfo> Info(const GUID& guid) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.Put()), S_OK);
    return info;
  }

  // "name:dispid" for each function after the IDispatch/IUnknown ones, in
  // function-table order; property pairs appear twice.
  // The vtable half of a dual interface (the dispinterface half lists the
  // IDispatch members too).
  static ComPtr<ITypeInfo> VtableHalf(ITypeInfo* info) {
    ComPtr<ITypeInfo> result(info);
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> half;
    if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, half.Put())))
      result = half;
    return result;
  }

  static std::vector<std::wstring> Members(ITypeInfo* dual) {
    std::vector<std::wstring> members;
    ComPtr<ITypeInfo> half = VtableHalf(dual);
    ITypeInfo* info = half.Get();
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return members;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* func = nullptr;
      if (FAILED(info->GetFuncDesc(i, &func))) continue;
      Bstr name;
      info->GetDocumentation(func->memid, name.Put(), nullptr, nullptr, nullptr);
      wchar_t id[16];
      swprintf(id, 16, L":%lx", static_cast<unsigned long>(func->memid));
      members.push_back(std::wstring(name.Text()) + id);
      info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    return members;
  }

  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, NamesItselfAndItsVersion) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_TWUtilityLib));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x409u);
  library_->ReleaseTLibAttr(attr);
  Bstr name, doc;
  ASSERT_EQ(library_->GetDocumentation(-1, name.Put(), doc.Put(), nullptr, nullptr), S_OK);
  EXPECT_STREQ(name.Text(), L"TWUtilityLib");
  EXPECT_STREQ(doc.Text(), L"Tarnwick Harbor Utility Library 1.0");
}

TEST_F(TypeLibrary, RegistryAndFileMembersKeepTheirOrderAndIds) {
  std::vector<std::wstring> registry = {
      L"RegAddValue:1",    L"RegReadValue:2",          L"RegQueryKey:3",
      L"RegDeleteValue:4", L"RegSoftDeleteRegValue:5", L"RegSetExtractComponent:6",
      L"RegReadType:7"};
  EXPECT_EQ(Members(Info(IID_IRegistry).Get()), registry);
  std::vector<std::wstring> file = {
      L"FileCopy:1",      L"FileExists:2",    L"ShowDemo:3",
      L"LogError:4",      L"IsFileUnicode:5", L"LogMessage:6",
      L"FileType:7",      L"IsCPSupported:8", L"IsCPInstalled:9",
      L"GetVxdVersionInfoSize:a", L"GetVxdVersionInfo:b", L"GetShortLongFilename:c"};
  EXPECT_EQ(Members(Info(IID_IFileSys).Get()), file);
}

TEST_F(TypeLibrary, ModelInterfacesFollowTheCallerContract) {
  std::vector<std::wstring> component = {
      L"KeyFile:1",           L"Destination:2",   L"TypeLibCollection:3",
      L"ComClassCollection:4", L"AppInfoCollection:5", L"ProgIDCollection:6",
      L"ExtensionCol:7",       L"MIMECol:8",       L"AddMiscRegistryInfo:9"};
  EXPECT_EQ(Members(Info(IID_IExtractComponent).Get()), component);
  std::vector<std::wstring> collection = {L"Add:60030003", L"Item:0", L"Count:68030001"};
  for (const IID* iid : {&IID_IExtractTypeLibCol, &IID_IExtractComClassCol,
                         &IID_IExtractContextCol, &IID_IExtractAppIDCol, &IID_IExtractProgIDCol,
                         &IID_IExtractVerbCol, &IID_IExtractExtensionCol, &IID_IExtractMIMECol})
    EXPECT_EQ(Members(Info(*iid).Get()), collection);
  std::vector<std::wstring> verb = {L"Verb:1",      L"Verb:1",     L"Command:2",  L"Command:2",
                                    L"ProgID:3",    L"ProgID:3",   L"Argument:4", L"Argument:4",
                                    L"Sequence:5",  L"Sequence:5", L"PEFile:6",   L"PEFile:6",
                                    L"Extension:7", L"Extension:7"};
  EXPECT_EQ(Members(Info(IID_IExtractVerbInfo).Get()), verb);

  // Hidden, dual, automation-compatible.
  TYPEATTR* attr = nullptr;
  ComPtr<ITypeInfo> info = VtableHalf(Info(IID_IExtractComClass).Get());
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION),
            TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
  info->ReleaseTypeAttr(attr);
}

TEST_F(TypeLibrary, ServerInfoIsCustomWithEventsAsDefaultSource) {
  ComPtr<ITypeInfo> server = Info(IID_IServerInfo);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(server->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attr->wTypeFlags & TYPEFLAG_FDUAL, 0);
  EXPECT_EQ(attr->cFuncs, 7);
  server->ReleaseTypeAttr(attr);
  std::vector<std::wstring> members = Members(server.Get());
  ASSERT_EQ(members.size(), 7u);
  EXPECT_EQ(members.front().substr(0, 10), L"SetServer:");
  EXPECT_EQ(members.back().substr(0, 12), L"SetServerVB:");

  ComPtr<ITypeInfo> coclass = Info(CLSID_ServerInfo);
  Bstr doc;
  coclass->GetDocumentation(MEMBERID_NIL, nullptr, doc.Put(), nullptr, nullptr);
  EXPECT_STREQ(doc.Text(), L"Tarnwick ServerInfo Class");
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  bool defaultInterface = false, defaultSource = false;
  for (UINT i = 0; i < attr->cImplTypes; ++i) {
    INT flags = 0;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> impl;
    coclass->GetImplTypeFlags(i, &flags);
    coclass->GetRefTypeOfImplType(i, &ref);
    coclass->GetRefTypeInfo(ref, impl.Put());
    TYPEATTR* implAttr = nullptr;
    impl->GetTypeAttr(&implAttr);
    if (flags == IMPLTYPEFLAG_FDEFAULT && IsEqualGUID(implAttr->guid, IID_IServerInfo))
      defaultInterface = true;
    if (flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) &&
        IsEqualGUID(implAttr->guid, DIID_ServerInfoEvents))
      defaultSource = true;
    impl->ReleaseTypeAttr(implAttr);
  }
  coclass->ReleaseTypeAttr(attr);
  EXPECT_TRUE(defaultInterface);
  EXPECT_TRUE(defaultSource);
}

TEST_F(TypeLibrary, HoldsTheRecordsButNotTheInternalInterfaces) {
  UINT count = library_->GetTypeInfoCount();
  std::vector<std::wstring> records;
  for (UINT i = 0; i < count; ++i) {
    TYPEKIND kind;
    library_->GetTypeInfoType(i, &kind);
    if (kind != TKIND_RECORD) continue;
    Bstr name;
    library_->GetDocumentation(static_cast<INT>(i), name.Put(), nullptr, nullptr, nullptr);
    records.push_back(name.Text());
  }
  EXPECT_EQ(records, (std::vector<std::wstring>{L"StampVerOption", L"SignCodeOption"}));
  ComPtr<ITypeInfo> missing;
  EXPECT_EQ(library_->GetTypeInfoOfGuid(IID_IRegSpyCallback, missing.Put()),
            TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(library_->GetTypeInfoOfGuid(IID_IServerInfoStatusEvent, missing.Put()),
            TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(TypeLibrary, CoclassesCarryTheirDescriptions) {
  struct Case {
    const CLSID* clsid;
    const wchar_t* help;
  } cases[] = {{&CLSID_SearchReplace, L"Tarnwick SearchReplace Class"},
               {&CLSID_TWResXfer, L"Tarnwick ResourceTranser Class"},
               {&CLSID_PropertyHeader, L"PropertyHeader Class"},
               {&CLSID_StampVersion, L"StampVersion Class"}};
  for (const Case& c : cases) {
    Bstr doc;
    Info(*c.clsid)->GetDocumentation(MEMBERID_NIL, nullptr, doc.Put(), nullptr, nullptr);
    EXPECT_STREQ(doc.Text(), c.help);
  }
}

}  // namespace
