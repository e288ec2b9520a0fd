#include "liveharvest/LiveHarvest.h"

#include <shlwapi.h>

#include "Errors.h"
#include "com/TypeLibAttributes.h"
#include "servers/ServerRegistration.h"

namespace twutil {

void LiveHarvest::Begin(IRegistry* registry, IDispatch* const* components, LONG count,
                        bool repackaging) {
  Clear();
  registry_.reset(registry ? new LiveRegistry(registry, repackaging) : nullptr);
  components_ = components;
  count_ = count;
  repackaging_ = repackaging;
}

void LiveHarvest::Clear() {
  serverFiles_.Clear();
  serverFileAnswers_.clear();
  classes_.clear();
  appIds_.clear();
  progIds_.clear();
  extensions_.clear();
  versions_.clear();
  typeLibs_.clear();
  registry_.reset();
  components_ = nullptr;
  count_ = 0;
}

void LiveHarvest::PrepareServerFiles() { serverFiles_.Prepare(components_, count_, repackaging_); }

IExtractComponent* LiveHarvest::ServerComponent(const std::wstring& path) {
  return FindServerFile(serverFiles_.ExpandSystemPrefix(path));
}

IExtractComponent* LiveHarvest::FindServerFile(const std::wstring& path) {
  auto known = serverFileAnswers_.find(path);
  if (known != serverFileAnswers_.end()) return known->second;
  IExtractComponent* component = serverFiles_.Find(AsBstr(path));
  serverFileAnswers_.emplace(path, component);
  return component;
}

namespace {

bool IsOleThunkLibrary(const wchar_t* path) {
  std::wstring name = PathFindFileNameW(path);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return lstrcmpiW(name.c_str(), L"olethk32") == 0;
}

// A file that is itself a type library goes through the platform's functions.
void RegisterTypeLibraryFile(const wchar_t* path, bool registering) {
  ComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLib(path, library.Put())) || !library) return;
  if (registering) {
    RegisterTypeLib(library.Get(), const_cast<LPOLESTR>(path), nullptr);
    return;
  }
  TypeLibAttributes attributes(library.Get());
  if (!attributes) return;
  UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                    attributes->lcid, attributes->syskind);
}

}  // namespace

void LiveHarvest::RegisterComponentServers(bool registering) {
  for (LONG i = 0; i < count_; ++i) {
    if (!components_ || !components_[i]) return;
    ComPtr<IExtractComponent> component;
    ThrowIfFailed(components_[i]->QueryInterface(IID_IExtractComponent, component.PutVoid()));
    if (!component) throw com_exception(E_NOINTERFACE);
    Bstr keyFile;
    GetComponentKeyFile(component.Get(), repackaging_, &keyFile);
    if (!keyFile.Get() || IsOleThunkLibrary(keyFile.Get())) continue;
    long kind = GetServerKind(keyFile.Get());
    if (kind == kServerExecutable || kind == kServerInProcess) {
      if (registering)
        RegisterServerFile(keyFile.Get());
      else
        UnregisterServerFile(keyFile.Get());
    } else if (ClassifyExtension(keyFile.Get()) == kExtensionTypeLibrary) {
      RegisterTypeLibraryFile(keyFile.Get(), registering);
    }
  }
}

}  // namespace twutil
