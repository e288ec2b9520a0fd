// The harvest of one server file's registration from the capture area into
// its component: type libraries, classes (with contexts and AppIDs), ProgIDs
// (with verbs and icons), extensions, MIME types, and what is left of the
// hive mirrors. What is recorded leaves the capture area.
#pragma once

#include "TWUtil.h"
#include "capture/CaptureArea.h"

namespace twutil {

// Raises CExcept when a checked model call fails.
void HarvestCaptureArea(IExtractComponent* component, CaptureArea& area);

}  // namespace twutil
