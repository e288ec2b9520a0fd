// The live-registry capture: the search steps that ServerInfo runs, in its
// order, over the caller's registry object, and the lookup tables they share
// for one SetServer call. Each named step turns a failed checked call into
// the ServerInfo error, its message followed by the step's context.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "TWUtil.h"
#include "com/Owners.h"
#include "liveharvest/LiveRegistry.h"
#include "liveharvest/ServerFileTable.h"

namespace twutil {

using ComponentRef = ComPtr<IExtractComponent>;

// One registration of a type library found on a component file.
struct TypeLibCandidate {
  LONG lcid = 0;
  std::wstring version;  // "major.minor" in decimal
  std::wstring libId;
  std::wstring versionKey;
  std::wstring lcidKey;
};

class LiveHarvest {
 public:
  // Starts a capture: the caller's objects stay the caller's.
  void Begin(IRegistry* registry, IDispatch* const* components, LONG count, bool repackaging);
  // Empties every table; the registry object is no longer used.
  void Clear();

  void PrepareServerFiles();
  void RegisterComponentServers(bool registering);
  void ExtractTypeLibInfo();
  void FindCOMInfo();
  void FindInterfaceInfo();
  void AddAdditionalAppInfo();
  void FindProgIDInfo();
  void FindVerIndProgIDInfo();
  void FindExtensionInfo();
  void FindMIMEInfo();
  void CheckForDefaultIcons();

  // Kinds of item that ExtractDefIconInfo writes into.
  static constexpr LONG kProgIDIcon = 1001;
  static constexpr LONG kClassIcon = 1002;

 private:
  // Classes and AppIDs
  void CheckServerEntry(const std::wstring& serverKey, const std::wstring& className);
  void ExtractCOMClassInfo(IExtractComponent* component, const std::wstring& className);
  void AddContextType(IExtractComponent* component, IExtractComClass* item,
                      const std::wstring& contextName, const std::wstring& className, bool handler,
                      bool handler32);
  void AddAppInfo(IExtractComponent* component, const std::wstring& appId);
  void ExtractDefIconInfo(IUnknown* target, const std::wstring& key, LONG kind);
  std::wstring InstalledSurrogate(IExtractComponent* component, const std::wstring& text) const;

  // ProgIDs and icons
  void CreateProgIdInfoObject(IExtractComponent* component, const std::wstring& name);
  void CheckForDefaultIcon(const std::wstring& name);

  // Verbs
  void FindVerbInfo(IExtractProgIDInfo* item, IExtractComponent* component,
                    const std::wstring& name);
  void CheckForVerbs(std::wstring name);
  void AddVerbProgInfo(IExtractComponent* component, const std::wstring& name,
                       const std::wstring& command, const std::wstring& arguments,
                       const std::wstring& verb, LONG sequence);
  LONG ParseVerbCommand(ComponentRef* component, std::wstring* command, std::wstring* arguments);

  // Extensions and MIME types
  void CreateExtensionInfo(IExtractComponent* component, const std::wstring& progId,
                           const std::wstring& extension);
  void CreateMIMEInfo(IExtractComponent* component, const std::wstring& type,
                      const std::wstring& clsid, const std::wstring& extension);
  IExtractComponent* FindExtensionComponent(const std::wstring& extension) const;

  // Type libraries and interfaces
  void TypeLibraryHelper();
  void AddTypeLibrary(IExtractComponent* component, const TypeLibCandidate& entry);
  void SoftDeleteInterfaceEntries(const std::wstring& libId);

  // A registry path's component, after the system-path prefix is expanded.
  IExtractComponent* ServerComponent(const std::wstring& path);
  // The server-file table's answer for a path, asked once per capture: many
  // classes name the same file, and each question may touch the file system.
  IExtractComponent* FindServerFile(const std::wstring& path);
  const LiveRegistry& Registry() const { return *registry_; }

  std::unique_ptr<LiveRegistry> registry_;
  IDispatch* const* components_ = nullptr;
  LONG count_ = 0;
  bool repackaging_ = false;

  ServerFileTable serverFiles_;
  std::unordered_map<std::wstring, IExtractComponent*> serverFileAnswers_;
  // Keys lowered with the system's mapping; the last entry for a key wins.
  std::map<std::wstring, ComponentRef> classes_;
  std::map<std::wstring, ComponentRef> appIds_;
  std::map<std::wstring, ComponentRef> progIds_;
  std::map<std::wstring, ComponentRef> extensions_;  // without the leading dot
  // (current-version ProgID, version-independent ProgID) in the order found.
  std::vector<std::pair<std::wstring, std::wstring>> versions_;
  // Candidates per component, components in the order first met.
  std::vector<std::pair<ComponentRef, std::vector<TypeLibCandidate>>> typeLibs_;
};

}  // namespace twutil
