// What "twutil capture" prints: the components in the requested format, on
// stdout or in a file, and one line on stderr for each file that did not
// register.
#pragma once

#include <vector>

#include "CaptureRequest.h"
#include "TWUtil.h"

namespace twtool {

// kExitSuccess, or kExitFailure with the reason on stderr.
int WriteCapture(const CaptureRequest& request, const std::vector<IExtractComponent*>& components);

// Writes "twutil capture: FILE: DETAIL" for every file whose registration
// did not succeed; answers how many there were.
size_t ReportUnregistered(const std::vector<IExtractComponent*>& components);

}  // namespace twtool
