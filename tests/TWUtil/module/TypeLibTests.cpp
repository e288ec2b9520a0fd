// The built type library as a client reads it: the member order and DISPIDs
// that callers bind to.
#include <gtest/gtest.h>

#include <string>

#include "TWUtil.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;

// "name:dispid" of each function of the interface's vtable half, in table order.
std::wstring Members(ITypeLib* library, const GUID& guid) {
  ComPtr<ITypeInfo> info, half;
  HREFTYPE ref = 0;
  if (FAILED(library->GetTypeInfoOfGuid(guid, info.Put()))) return L"<none>";
  if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
      SUCCEEDED(info->GetRefTypeInfo(ref, half.Put())))
    info = half;
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return L"<none>";
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
  info->ReleaseTypeAttr(attr);
  return members;
}

TEST(TypeLibrary, InterfacesKeepTheMemberOrderAndIdsCallersBindTo) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(twtest::LibraryPath().c_str(), REGKIND_NONE, library.Put()), S_OK);
  EXPECT_EQ(Members(library.Get(), IID_IRegistry),
            L"RegAddValue:1 RegReadValue:2 RegQueryKey:3 RegDeleteValue:4 "
            L"RegSoftDeleteRegValue:5 RegSetExtractComponent:6 RegReadType:7");
  EXPECT_EQ(Members(library.Get(), IID_IExtractComponent),
            L"KeyFile:1 Destination:2 TypeLibCollection:3 ComClassCollection:4 "
            L"AppInfoCollection:5 ProgIDCollection:6 ExtensionCol:7 MIMECol:8 "
            L"AddMiscRegistryInfo:9");
  EXPECT_EQ(Members(library.Get(), IID_IExtractProgIDCol), L"Add:60030003 Item:0 Count:68030001");
  // Internal interfaces stay out of the library.
  EXPECT_EQ(Members(library.Get(), IID_IRegSpyCallback), L"<none>");
}

}  // namespace
