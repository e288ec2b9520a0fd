// What the sample executable server writes into the registry for
// "/regserver", and takes out again for "/unregserver".
#pragma once

#include <windows.h>

#include <string>

namespace samples {

HRESULT RegisterDocumentServer(const std::wstring& exePath);
HRESULT UnregisterDocumentServer();

}  // namespace samples
