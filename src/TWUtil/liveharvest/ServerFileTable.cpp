#include "liveharvest/ServerFileTable.h"

#include <shlwapi.h>

#include <new>
#include <vector>

#include "Errors.h"
#include "servers/PathForms.h"
#include "servers/ServerRegistration.h"

namespace twutil {
namespace {

// Sized to the text, so a long path is unquoted whole rather than refused.
std::wstring Unquoted(const std::wstring& text) {
  std::vector<wchar_t> buffer(text.size() + 1, L'\0');
  if (!UnquotePath(buffer.data(), buffer.size(), text.c_str())) return std::wstring();
  return buffer.data();
}

}  // namespace

void GetComponentKeyFile(IExtractComponent* component, bool repackaging, Bstr* path) {
  if (!repackaging) {
    component->get_KeyFile(VARIANT_FALSE, path->Put());
    return;
  }
  Bstr source;
  if (FAILED(component->get_KeyFile(VARIANT_TRUE, source.Put()))) return;
  std::wstring sourceText(source.Text(), source.Length());
  size_t name = sourceText.rfind(L'\\');
  component->get_Destination(path->Put());
  if (name == std::wstring::npos) return;
  std::wstring joined = std::wstring(path->Text(), path->Length()) + sourceText.substr(name);
  *path = Bstr(joined.data(), static_cast<UINT>(joined.size()));
}

ServerFileTable::ServerFileTable() : systemFolder_(SystemFolderText()) {}

HRESULT ServerFileTable::Prepare(IDispatch* const* components, LONG count, bool repackaging) {
  repackaging_ = repackaging;
  prepared_ = 0;
  try {
    for (LONG i = 0; i < count; ++i) {
      if (!components || !components[i]) return E_POINTER;
      ComPtr<IExtractComponent> component;
      ThrowIfFailed(components[i]->QueryInterface(IID_IExtractComponent, component.PutVoid()));
      if (!component) throw com_exception(E_NOINTERFACE);
      Bstr keyFileText;
      GetComponentKeyFile(component.Get(), repackaging, &keyFileText);
      std::wstring keyFile(keyFileText.Text(), keyFileText.Length());
      Insert(keyFile, component.Get());
      if (std::optional<std::wstring> network = NetworkPathOf(keyFile))
        Insert(*network, component.Get());
      if (std::optional<std::wstring> shortPath = ShortPathOf(keyFile))
        Insert(*shortPath, component.Get());
      if (std::optional<std::wstring> bare = SystemFolderName(keyFile, systemFolder_))
        Insert(*bare, component.Get());
      ++prepared_;
    }
  } catch (const std::bad_alloc&) {
    CheckCall(E_OUTOFMEMORY);
  }
  return S_OK;
}

IExtractComponent* ServerFileTable::Find(Bstr path) const {
  try {
    std::wstring text(path.Text(), path.Length());
    if (IExtractComponent* found = Lookup(text)) return found;
    std::wstring unquoted = Unquoted(text);
    if (IExtractComponent* found = Lookup(unquoted)) return found;
    if (PathIsUNCW(unquoted.c_str())) return nullptr;
    if (std::optional<std::wstring> shortPath = ShortPathOf(unquoted))
      if (IExtractComponent* found = Lookup(*shortPath)) return found;
    std::optional<std::wstring> expanded = ExpandedPathOf(text);
    if (!expanded) return nullptr;
    if (IExtractComponent* found = Lookup(*expanded)) return found;
    if (std::optional<std::wstring> shortPath = ShortPathOf(*expanded))
      if (IExtractComponent* found = Lookup(*shortPath)) return found;
    return nullptr;
  } catch (const std::bad_alloc&) {
    CheckCall(E_OUTOFMEMORY);
    return nullptr;
  }
}

std::wstring ServerFileTable::ExpandSystemPrefix(const std::wstring& path) const {
  return repackaging_ ? path : ExpandSystemPathPrefix(path);
}

void ServerFileTable::Clear() {
  forms_.clear();
  prepared_ = 0;
}

void ServerFileTable::Insert(const std::wstring& form, IExtractComponent* component) {
  forms_[LowerPath(form)] = component;
}

IExtractComponent* ServerFileTable::Lookup(const std::wstring& form) const {
  auto found = forms_.find(LowerPath(form));
  return found == forms_.end() ? nullptr : found->second;
}

}  // namespace twutil
