#include "capture/CaptureAreaHarvest.h"

#include "capture/HarvestSteps.h"

namespace twutil {

void HarvestCaptureArea(IExtractComponent* component, const CaptureAreaEditor& editor) {
  if (!component) return;
  HarvestContext context{component, editor, {}};
  HarvestTypeLibraries(context);
  HarvestClasses(context);
  HarvestProgIDs(context);
  HarvestExtensions(context);
  HarvestMIMETypes(context);
  HarvestMiscHives(context);
}

}  // namespace twutil
