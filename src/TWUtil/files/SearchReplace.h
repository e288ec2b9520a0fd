// SearchReplace: copies a text file and replaces one text by another on the
// way. Files and texts are 8-bit text in the system ANSI code page; file
// names without a backslash are taken relative to DefaultPath.
#pragma once

#include <string>

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class SearchReplace : public ComObject<TypeInfoDispatch<ISearchReplace>, ObjectSafety> {
 public:
  explicit SearchReplace(IUnknown* outer) : ComObject(outer) {}

  // S_OK when the destination was written; E_INVALIDARG when either file
  // cannot be opened; E_FAIL when reading or writing fails.
  STDMETHODIMP SearchAndReplace(BSTR sourceFile, BSTR destFile, BSTR searchText,
                                BSTR replaceText) override;
  STDMETHODIMP get_DefaultPath(BSTR* path) override;
  STDMETHODIMP put_DefaultPath(BSTR path) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_ISearchReplace || iid == IID_IDispatch)
      return static_cast<ISearchReplace*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }

 private:
  HRESULT Replace(BSTR sourceFile, BSTR destFile, BSTR searchText, BSTR replaceText) const;
  // DefaultPath in front of a name without a backslash. False when the
  // result does not fit a path buffer.
  bool ResolvePath(const std::string& name, std::string* path) const;

  std::string defaultPath_ = ".\\";
};

}  // namespace twutil
