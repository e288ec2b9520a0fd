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
  // The component reads what is left from the registry.
  area.ApplyDeletions();
  HarvestMiscHives(context);
}

}  // namespace twutil
