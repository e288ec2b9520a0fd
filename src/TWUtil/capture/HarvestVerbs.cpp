// The shell verbs of a ProgID. The default verb comes first (sequence 1), the
// others follow in enumeration order; a verb whose command names no program
// is not recorded.
#include "Errors.h"
#include "capture/HarvestSteps.h"
#include "servers/HarvestText.h"

namespace twutil {
namespace {

enum class VerbOutcome { kDone, kModelGaveNoItem };

VerbOutcome HarvestVerb(HarvestContext& context, IExtractVerbCol* verbs, const CaptureKey& verbKey,
                        const std::wstring& verb, LONG sequence, IExtractProgIDInfo* progId) {
  CaptureArea& area = context.area;
  CaptureKey command(verbKey, L"command");
  std::optional<std::wstring> commandLine = command.Text(nullptr, kLongValueBytes);
  if (command) area.DeleteValue(command, nullptr);
  std::optional<VerbCommand> split = SplitVerbCommand(commandLine.value_or(L""));
  if (split) {
    ComPtr<IExtractVerbInfo> item;
    verbs->Add(ModelText(verb).Get(), item.Put());
    if (!item) return VerbOutcome::kModelGaveNoItem;
    std::wstring menuText = verbKey.Text(nullptr, kShortValueBytes).value_or(L"");
    area.DeleteValue(verbKey, nullptr);
    CheckCall(item->put_Verb(ModelText(verb).Get()));
    CheckCall(item->put_Command(ModelText(menuText).Get()));
    CheckCall(item->put_Argument(ModelText(split->arguments).Get()));
    CheckCall(item->putref_ProgID(progId));
    CheckCall(item->put_Sequence(sequence));
    CheckCall(item->put_PEFile(ModelText(split->file).Get()));
  }
  if (command && command.IsEmpty()) area.DeleteTree(verbKey, L"command");
  return VerbOutcome::kDone;
}

}  // namespace

void HarvestVerbs(HarvestContext& context, const CaptureKey& shell, IExtractProgIDInfo* progId) {
  ComPtr<IExtractVerbCol> verbs;
  CheckCall(progId->get_VerbCollection(verbs.Put()));
  if (!verbs) return;
  std::optional<std::wstring> defaultVerb = shell.Text(nullptr, kShortValueBytes);
  LONG counter = 1;
  DWORD index = 0;
  std::wstring verb;
  for (;;) {
    SubkeyAt found = shell.Subkey(index, &verb);
    if (found == SubkeyAt::kEnd) return;
    if (found == SubkeyAt::kUnreadable) {
      ++index;
      continue;
    }
    LONG sequence = defaultVerb && *defaultVerb == verb ? 1 : ++counter;
    CaptureKey verbKey(shell, verb);
    if (HarvestVerb(context, verbs.Get(), verbKey, verb, sequence, progId) ==
        VerbOutcome::kModelGaveNoItem)
      return;
    // An emptied verb key goes, and the next verb moves up to this index.
    bool gone = verbKey.IsEmpty() && context.area.DeleteTree(shell, verb.c_str());
    if (!gone) ++index;
  }
}

}  // namespace twutil
