// The server-file table of a live-registry capture: every lower-cased form
// under which a component's key file may be written in the registry, mapped
// to that component, and the lookup that tries a registry path's forms
// against it.
#pragma once

#include <map>
#include <string>

#include "TWUtil.h"
#include "com/Owners.h"

namespace twutil {

// The path under which a component's server file is registered: its key file,
// or in repackaging mode the destination folder joined to the key file's name.
// path stays untouched when the repackaging key file cannot be read.
void GetComponentKeyFile(IExtractComponent* component, bool repackaging, Bstr* path);

class ServerFileTable {
 public:
  ServerFileTable();

  // Fills the table from the caller's components, each form mapped to the
  // last component that has it. E_POINTER at a null element (the elements
  // behind it get no entries); com_exception for an element that is not a
  // component; CExcept when memory runs out.
  HRESULT Prepare(IDispatch* const* components, LONG count, bool repackaging);

  // The component whose key file path names (quoted, short, with environment
  // variables...), or null. A UNC path counts only as written.
  IExtractComponent* Find(Bstr path) const;

  // ExpandSystemPathPrefix, except in repackaging mode, where paths are
  // compared as they stand.
  std::wstring ExpandSystemPrefix(const std::wstring& path) const;

  void Clear();
  LONG PreparedCount() const { return prepared_; }
  const std::wstring& SystemFolder() const { return systemFolder_; }
  // Form to component, for inspection.
  const std::map<std::wstring, IExtractComponent*>& Forms() const { return forms_; }

 private:
  void Insert(const std::wstring& form, IExtractComponent* component);
  IExtractComponent* Lookup(const std::wstring& form) const;

  std::wstring systemFolder_;
  // Components without a reference of their own: the caller's array keeps
  // them alive for the capture.
  std::map<std::wstring, IExtractComponent*> forms_;
  LONG prepared_ = 0;
  bool repackaging_ = false;
};

}  // namespace twutil
