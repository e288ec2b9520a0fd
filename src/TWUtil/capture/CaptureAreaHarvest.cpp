#include "capture/CaptureAreaHarvest.h"

#include "capture/HarvestSteps.h"

namespace twutil {

void HarvestCaptureArea(IExtractComponent* component, CaptureArea& area) {
  if (!component) return;
  HarvestContext context{component, area, {}};
  HarvestTypeLibraries(context);
  HarvestClasses(context);
  HarvestProgIDs(context);
  HarvestExtensions(context);
  HarvestMIMETypes(context);
  HarvestMiscHives(context);
}

}  // namespace twutil
