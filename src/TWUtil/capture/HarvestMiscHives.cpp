// Whatever no step consumed reaches the component as a whole hive mirror.
#include "capture/HarvestSteps.h"

namespace twutil {

void HarvestMiscHives(HarvestContext& context) {
  for (ULONG hive = 0; hive < 4; ++hive) {
    CaptureKey mirror = context.area.Open(kHiveMirrors[hive]);
    if ((!mirror || mirror.IsEmpty()) && !context.area.KeepsMoreThanCopy(kHiveMirrors[hive]))
      continue;
    // The model gets the predefined key's value, not the hive number.
    auto root = static_cast<ERegistryHives>(static_cast<LONG>(0x80000000u + hive));
    LONG result = 0;
    context.component->AddMiscRegistryInfo(root, nullptr, nullptr, VARIANT_TRUE, &result);
  }
}

}  // namespace twutil
