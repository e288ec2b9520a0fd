// A class's activation context; a local server's command-line arguments and
// its handlers are recorded on it.
#include "Errors.h"
#include "capture/HarvestSteps.h"
#include "servers/HarvestText.h"

namespace twutil {

void AddServerContext(IExtractComClass* item, const wchar_t* contextName, bool handler32,
                      bool handler16, const std::wstring* serverText) {
  ComPtr<IExtractContextCol> contexts;
  CheckCall(item->get_ContextCol(contexts.Put()));
  if (!contexts) return;
  ComPtr<IExtractContextType> context;
  contexts->Add(Bstr(contextName).Get(), context.Put());
  if (!context || !serverText) return;
  if (std::optional<std::wstring> argument = LocalServerArgument(*serverText))
    CheckCall(context->put_Argument(ModelText(*argument).Get()));
  CheckCall(context->put_DefInprocHandler((handler32 ? 2 : 0) + (handler16 ? 1 : 0)));
}

}  // namespace twutil
