// File: file services for scripts: copy, test, classify and log; code-page
// checks, VxD version data and short names.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"
#include "files/ShortName.h"

namespace twutil {

class File : public ComObject<TypeInfoDispatch<IFileSys>, ObjectSafety> {
 public:
  explicit File(IUnknown* outer);

  STDMETHODIMP FileCopy(BSTR bstrSrcFile, BSTR bstrTargetFile, VARIANT_BOOL bOverWrite,
                        LONG* pResult) override;
  STDMETHODIMP FileExists(BSTR bstrFile, VARIANT_BOOL* bExists) override;
  STDMETHODIMP ShowDemo(BSTR bstrPath, BSTR bstrFileName, VARIANT_BOOL* vbSuccess) override;
  STDMETHODIMP LogError(BSTR bstrMessage, BSTR bstrUrl, BSTR bstrLine) override;
  STDMETHODIMP IsFileUnicode(BSTR bstrFileName, VARIANT_BOOL* vbIsUnicode) override;
  STDMETHODIMP LogMessage(BSTR bstrMessage, BSTR bstrFileName) override;
  STDMETHODIMP FileType(BSTR sFileName, EnumFileType* pFileType) override;
  STDMETHODIMP IsCPSupported(BSTR sCodePage, VARIANT_BOOL* bSupported) override;
  STDMETHODIMP IsCPInstalled(BSTR sCodePage, VARIANT_BOOL* bInstalled) override;
  STDMETHODIMP GetVxdVersionInfoSize(BSTR bstrFileName, LONG* pResult) override;
  STDMETHODIMP GetVxdVersionInfo(BSTR bstrFileName, LONG Len, LONG* dwFileVersionMS,
                                 LONG* dwFileVersionLS, BSTR* bstrVersion, VARIANT* pLanguage,
                                 VARIANT* pCodePage, VARIANT_BOOL* vbSuccess) override;
  STDMETHODIMP GetShortLongFilename(BSTR bstrFileName, BSTR bstrLangID, BSTR* bstrShortLongName,
                                    LONG* pResult) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IFileSys || iid == IID_IDispatch) return static_cast<IFileSys*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }

 private:
  const WideFileFunctions wideFileFunctions_;
};

}  // namespace twutil
