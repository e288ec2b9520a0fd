// The built type library as a client reads it: the member order and DISPIDs
// that callers bind to, and ServerInfo's events.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TWRegSpy.h"
#include "TWUtil.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;

class TypeLibrary : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(twtest::LibraryPath().c_str(), REGKIND_NONE, library_.Put()), S_OK);
  }

  // The type, or the vtable half of a dual interface (the dispinterface half
  // lists the IDispatch members too).
  ComPtr<ITypeInfo> Info(const GUID& guid) {
    ComPtr<ITypeInfo> info, half;
    HREFTYPE ref = 0;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.Put()), S_OK);
    if (info && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, half.Put())))
      return half;
    return info;
  }

  // "name:dispid" of each function in table order (property pairs show
  // twice); the type's attributes into type when given.
  std::wstring Members(const GUID& guid, TYPEATTR* type = nullptr) {
    ComPtr<ITypeInfo> info = Info(guid);
    TYPEATTR* attr = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attr))) return L"<none>";
    std::wstring members;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* func = nullptr;
      if (FAILED(info->GetFuncDesc(i, &func))) continue;
      Bstr name;
      info->GetDocumentation(func->memid, name.Put(), nullptr, nullptr, nullptr);
      wchar_t id[16];
      swprintf(id, 16, L":%lx", static_cast<unsigned long>(func->memid));
      members += (members.empty() ? L"" : L" ") + std::wstring(name.Text()) + id;
      info->ReleaseFuncDesc(func);
    }
    if (type) *type = *attr;
    info->ReleaseTypeAttr(attr);
    return members;
  }

  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, InterfacesKeepTheMemberOrderAndIdsCallersBindTo) {
  EXPECT_EQ(Members(IID_IRegistry),
            L"RegAddValue:1 RegReadValue:2 RegQueryKey:3 RegDeleteValue:4 "
            L"RegSoftDeleteRegValue:5 RegSetExtractComponent:6 RegReadType:7");
  EXPECT_EQ(Members(IID_IFileSys),
            L"FileCopy:1 FileExists:2 ShowDemo:3 LogError:4 IsFileUnicode:5 LogMessage:6 "
            L"FileType:7 IsCPSupported:8 IsCPInstalled:9 GetVxdVersionInfoSize:a "
            L"GetVxdVersionInfo:b GetShortLongFilename:c");
  EXPECT_EQ(Members(IID_IExtractComponent),
            L"KeyFile:1 Destination:2 TypeLibCollection:3 ComClassCollection:4 "
            L"AppInfoCollection:5 ProgIDCollection:6 ExtensionCol:7 MIMECol:8 "
            L"AddMiscRegistryInfo:9");
  for (const IID* iid : {&IID_IExtractTypeLibCol, &IID_IExtractComClassCol, &IID_IExtractContextCol,
                         &IID_IExtractAppIDCol, &IID_IExtractProgIDCol, &IID_IExtractVerbCol,
                         &IID_IExtractExtensionCol, &IID_IExtractMIMECol})
    EXPECT_EQ(Members(*iid), L"Add:60030003 Item:0 Count:68030001");
  EXPECT_EQ(Members(IID_IExtractVerbInfo),
            L"Verb:1 Verb:1 Command:2 Command:2 ProgID:3 ProgID:3 Argument:4 Argument:4 "
            L"Sequence:5 Sequence:5 PEFile:6 PEFile:6 Extension:7 Extension:7");
  // The model's interfaces are hidden, dual and automation-compatible.
  TYPEATTR type = {};
  Members(IID_IExtractComClass, &type);
  const WORD model = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION;
  EXPECT_EQ(type.wTypeFlags & model, model);
}

TEST_F(TypeLibrary, ServerInfoIsCustomWithEventsAsDefaultSourceAndInternalsStayOut) {
  TYPEATTR type = {};
  std::wstring members = Members(IID_IServerInfo, &type);
  EXPECT_EQ(type.typekind, TKIND_INTERFACE);
  EXPECT_EQ(type.wTypeFlags & TYPEFLAG_FDUAL, 0);
  EXPECT_EQ(members.substr(0, 10), L"SetServer:");
  EXPECT_EQ(members.substr(members.rfind(L' ') + 1, 12), L"SetServerVB:");
  EXPECT_EQ(std::count(members.begin(), members.end(), L' '), 6);

  ComPtr<ITypeInfo> coclass = Info(CLSID_ServerInfo);
  bool defaultInterface = false, defaultSource = false;
  for (UINT i = 0;; ++i) {
    INT implFlags = 0;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> impl;
    TYPEATTR* attr = nullptr;
    if (FAILED(coclass->GetImplTypeFlags(i, &implFlags))) break;
    coclass->GetRefTypeOfImplType(i, &ref);
    coclass->GetRefTypeInfo(ref, impl.Put());
    impl->GetTypeAttr(&attr);
    defaultInterface |= implFlags == IMPLTYPEFLAG_FDEFAULT && attr->guid == IID_IServerInfo;
    defaultSource |= implFlags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) &&
                     attr->guid == DIID_ServerInfoEvents;
    impl->ReleaseTypeAttr(attr);
  }
  EXPECT_TRUE(defaultInterface);
  EXPECT_TRUE(defaultSource);
  ComPtr<ITypeInfo> missing;
  for (const IID* internal : {&IID_IRegSpyCallback, &IID_IServerInfoStatusEvent})
    EXPECT_EQ(library_->GetTypeInfoOfGuid(*internal, missing.Put()), TYPE_E_ELEMENTNOTFOUND);
}

}  // namespace
