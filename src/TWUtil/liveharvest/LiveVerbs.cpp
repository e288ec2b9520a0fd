// Shell verbs whose commands run a component file: into the ProgID item of a
// found class, or creating the ProgID item in the component the verb runs.
#include "Errors.h"
#include "liveharvest/LiveHarvest.h"
#include "liveharvest/LiveText.h"
#include "liveharvest/ModelLookup.h"
#include "liveharvest/StepErrors.h"
#include "servers/HarvestText.h"
#include "servers/PathForms.h"

namespace twutil {
namespace {

// The default verb is 1; the others count on from 2 in list order.
class VerbSequence {
 public:
  explicit VerbSequence(const std::optional<std::wstring>& defaultVerb)
      : defaultVerb_(defaultVerb && !defaultVerb->empty() ? *defaultVerb : std::wstring()) {}
  LONG Next(const std::wstring& verb) {
    if (!defaultVerb_.empty() && EqualsNoCase(verb, defaultVerb_.c_str())) return 1;
    return ++counter_;
  }

 private:
  std::wstring defaultVerb_;
  LONG counter_ = 1;
};

// Every subkey of every verb under shellKey, with the verb's order number.
// The visitor answers false to end the walk.
template <class Visit>
void WalkVerbSubkeys(const LiveRegistry& registry, const std::wstring& shellKey,
                     const NameList& verbs, const std::optional<std::wstring>& defaultVerb,
                     Visit&& visit) {
  VerbSequence sequence(defaultVerb);
  for (const std::wstring& verb : verbs) {
    LONG order = sequence.Next(verb);
    std::wstring verbKey = SubKey(shellKey, verb);
    std::optional<NameList> subkeys = registry.Keys(verbKey);
    if (!subkeys) continue;
    for (const std::wstring& subkey : *subkeys)
      if (!visit(verb, order, verbKey, subkey)) return;
  }
}

void PutVerb(IExtractVerbInfo* verb, const std::wstring& name, const std::wstring& menuText,
             const std::wstring& arguments, IExtractProgIDInfo* progId, LONG sequence,
             const std::wstring& command, bool sequenceLast) {
  CheckCall(verb->put_Verb(AsBstr(name).Get()));
  CheckCall(verb->put_Command(AsBstr(menuText).Get()));
  CheckCall(verb->put_Argument(AsBstr(arguments).Get()));
  CheckCall(verb->putref_ProgID(progId));
  if (!sequenceLast) CheckCall(verb->put_Sequence(sequence));
  CheckCall(verb->put_PEFile(AsBstr(command).Get()));
  if (sequenceLast) CheckCall(verb->put_Sequence(sequence));
}

}  // namespace

LONG LiveHarvest::ParseVerbCommand(ComponentRef* component, std::wstring* command,
                                   std::wstring* arguments) {
  *command = LowerAscii(*command);
  std::optional<LiveVerbCommand> split = SplitLiveVerbCommand(*command);
  if (!split) {
    if (*component) command->clear();
    return -1;
  }
  *arguments = split->arguments;
  if (IExtractComponent* found = ServerComponent(split->file)) {
    *component = ComponentRef(found);
    return 0;
  }
  if (*component) *command = split->file;
  return -1;
}

void LiveHarvest::FindVerbInfo(IExtractProgIDInfo* item, IExtractComponent* component,
                               const std::wstring& name) {
  InStep(L" in FindVerbInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    std::wstring shellKey = SubKey(name, L"Shell");
    std::optional<std::wstring> defaultVerb = registry.Text(shellKey, nullptr);
    registry.SoftDelete(shellKey, nullptr);
    std::optional<NameList> verbs = registry.Keys(shellKey);
    if (!verbs) return;
    ComPtr<IExtractVerbCol> verbItems;
    CheckCall(item->get_VerbCollection(verbItems.Put()));
    if (!verbItems) return;

    WalkVerbSubkeys(registry, shellKey, *verbs, defaultVerb,
                    [&](const std::wstring& verb, LONG order, const std::wstring& verbKey,
                        const std::wstring& subkey) {
                      std::wstring path = SubKey(verbKey, subkey);
                      if (!EqualsNoCase(subkey, L"command")) {
                        registry.HandOver(component, path, nullptr, true);
                        return true;
                      }
                      std::optional<NameList> values = registry.NamesLoose(path);
                      if (!values) return true;
                      registry.SoftDelete(path, nullptr);
                      for (size_t i = 0; i < values->size(); ++i) {
                        if (i > 0) {
                          registry.HandOver(component, path, (*values)[i].c_str(), false);
                          continue;
                        }
                        // The first entry stands for the command line itself.
                        std::optional<std::wstring> commandLine = registry.Text(path, nullptr);
                        if (!commandLine) continue;
                        registry.SoftDelete(path, nullptr);
                        ComponentRef runs(component);
                        std::wstring command = *commandLine, arguments;
                        if (ParseVerbCommand(&runs, &command, &arguments) != 0) continue;
                        ComPtr<IExtractVerbInfo> verbItem;
                        verbItems->Add(AsBstr(verb).Get(), verbItem.Put());
                        if (!verbItem) return false;
                        std::optional<std::wstring> menuText = registry.Text(verbKey, nullptr);
                        registry.SoftDelete(verbKey, nullptr);
                        PutVerb(verbItem.Get(), verb, menuText ? *menuText : verb, arguments, item,
                                order, command, false);
                      }
                      return true;
                    });
  });
}

void LiveHarvest::CheckForVerbs(std::wstring name) {
  InStep(L" in CheckForVerbs Function", [&] {
    const LiveRegistry& registry = Registry();
    std::wstring shellKey = SubKey(name, L"Shell");
    std::optional<std::wstring> defaultVerb = registry.Text(shellKey, nullptr);
    std::optional<NameList> verbs = registry.Keys(shellKey);
    if (!verbs) return;
    WalkVerbSubkeys(registry, shellKey, *verbs, defaultVerb,
                    [&](const std::wstring& verb, LONG order, const std::wstring& verbKey,
                        const std::wstring& subkey) {
                      if (!EqualsNoCase(subkey, L"command")) return true;
                      std::wstring path = SubKey(verbKey, subkey);
                      std::optional<std::wstring> commandLine = registry.Text(path, nullptr);
                      if (!commandLine) return true;
                      ComponentRef runs;
                      std::wstring command = *commandLine, arguments;
                      if (ParseVerbCommand(&runs, &command, &arguments) == 0) {
                        AddVerbProgInfo(runs.Get(), name, command, arguments, verb, order);
                        // Later verbs of this ProgID go on under its lowered name.
                        name = LowerPath(name);
                        progIds_[name] = runs;
                      }
                      registry.SoftDelete(path, nullptr);
                      return true;
                    });
  });
}

void LiveHarvest::AddVerbProgInfo(IExtractComponent* component, const std::wstring& name,
                                  const std::wstring& command, const std::wstring& arguments,
                                  const std::wstring& verb, LONG sequence) {
  InStep(L" in AddVerbProgInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    ComPtr<IExtractProgIDCol> progIds;
    CheckCall(component->get_ProgIDCollection(progIds.Put()));
    if (!progIds) return;
    ComPtr<IExtractProgIDInfo> item;
    ItemByName(progIds.Get(), name, &item);
    if (!item) {
      progIds->Add(AsBstr(name).Get(), item.Put());
      if (!item) return;
      item->put_ProgID(AsBstr(name).Get());
      if (std::optional<std::wstring> description = registry.Text(name, nullptr)) {
        registry.SoftDelete(name, nullptr);
        item->put_Description(AsBstr(*description).Get());
      }
    }
    ComPtr<IExtractVerbCol> verbItems;
    CheckCall(item->get_VerbCollection(verbItems.Put()));
    if (!verbItems) return;
    ComPtr<IExtractVerbInfo> verbItem;
    verbItems->Add(AsBstr(verb).Get(), verbItem.Put());
    if (!verbItem) return;
    std::optional<std::wstring> menuText =
        registry.Text(SubKey(SubKey(name, L"Shell"), verb), nullptr);
    PutVerb(verbItem.Get(), verb, menuText ? *menuText : verb, arguments, item.Get(), sequence,
            command, true);
  });
}

}  // namespace twutil
