#include "peres/StampVersion.h"

#include <cwchar>
#include <new>
#include <string>

#include "CodePage.h"
#include "peres/VersionStamper.h"

namespace twutil {
namespace {

// A field's text up to its first NUL; a null BSTR is empty.
std::wstring FieldText(BSTR field) { return field ? std::wstring(field) : std::wstring(); }

}  // namespace

STDMETHODIMP StampVersion::Stamp(BSTR sFile2Stamp, StampVerOption* svoOption) {
  StdoutStampSink sink;
  try {
    std::string name = sFile2Stamp ? ToNarrow(sFile2Stamp, SysStringLen(sFile2Stamp)) : "";
    const char* ansiName = sFile2Stamp ? name.c_str() : nullptr;
    if (!svoOption) {
      StampMessage(sink, kStampError, "No version options given for %s",
                   ansiName ? ansiName : "(null)");
      return S_OK;
    }
    StampRequest request;
    request.companyName = FieldText(svoOption->sCompanyName);
    request.productName = FieldText(svoOption->sProductName);
    request.productAndFileVersion = FieldText(svoOption->sProductAndFileVer);
    request.description = FieldText(svoOption->sDescription);
    request.copyright = FieldText(svoOption->sCopyRight);
    request.language = svoOption->dwLanguage;
    StampFile(ansiName, request, sink);
  } catch (const std::bad_alloc&) {
    StampMessage(sink, kStampError, "Out of memory while stamping");
  }
  return S_OK;
}

}  // namespace twutil
