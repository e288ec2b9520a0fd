#include "ClassTable.h"

#include "TWUtil.h"
#include "com/ComObject.h"
#include "control/PropertyHeader.h"
#include "files/Encryptor.h"
#include "files/File.h"
#include "files/Guid.h"
#include "files/SearchReplace.h"
#include "peres/StampVersion.h"
#include "peres/TWResXfer.h"
#include "registry/Registry.h"
#include "serverinfo/ServerInfo.h"
#include "signing/SignCode.h"

namespace twutil {
namespace {

ClassEntry g_classes[] = {
    {&CLSID_SearchReplace,
     L"TWHbrTarnwick.Utility.1",
     L"TWHbrTarnwick.Utility",
     &CreateComObject<SearchReplace>,
     {}},
    {&CLSID_Guid, L"TWHbrTarnwick.Guid.1", L"TWHbrTarnwick.Guid", &CreateComObject<Guid>, {}},
    {&CLSID_Registry,
     L"TWHbrTarnwick.Registry.1",
     L"TWHbrTarnwick.Registry",
     &CreateComObject<Registry>,
     {}},
    {&CLSID_File, L"TWHbrTarnwick.File.1", L"TWHbrTarnwick.File", &CreateComObject<File>, {}},
    {&CLSID_TWResXfer,
     L"TWHbrTarnwick.ResourceCopier.1",
     L"TWHbrTarnwick.ResourceCopier",
     &CreateComObject<TWResXfer>,
     {}},
    {&CLSID_ServerInfo,
     L"TWHbrTarnwick.ServerInfo.1",
     L"TWHbrTarnwick.ServerInfo",
     &CreateComObject<ServerInfo>,
     {}},
    {&CLSID_PropertyHeader,
     L"TWHbrUtil.PropertyHeader.1",
     L"TWHbrUtil.PropertyHeader",
     &CreateComObject<PropertyHeader>,
     {}},
    {&CLSID_Encryptor,
     L"TWHbrTarnwick.Encryptor.1",
     L"TWHbrTarnwick.Encryptor",
     &CreateComObject<Encryptor>,
     {}},
    {&CLSID_SignCode,
     L"TWHbrTarnwick.SignCode.1",
     L"TWHbrTarnwick.SignCode",
     &CreateComObject<SignCode>,
     {}},
    {&CLSID_StampVersion,
     L"TWHbrTarnwick.StampVersion.1",
     L"TWHbrTarnwick.StampVersion",
     &CreateComObject<StampVersion>,
     {}},
};

}  // namespace

ClassEntry* ClassTable() { return g_classes; }
size_t ClassTableSize() { return sizeof(g_classes) / sizeof(g_classes[0]); }

}  // namespace twutil
