// A readable JSON picture of what a capture wrote into extraction components:
// every property of every item, in the order the items were added. This is how
// captures are shown to people.
#pragma once

#include <cstddef>
#include <string>

#include "TWUtil.h"

namespace twutil::model {

// The component's whole tree as a UTF-8 JSON object, read through the model
// interfaces (getters, Count and Item by 1-based position), so any
// implementation can be shown. A getter that fails shows as null. The
// AddMiscRegistryInfo calls are known only to this model's own components;
// for others they show as null.
std::string DumpComponentJson(IExtractComponent* component);

// The components as a JSON array, in the order given.
std::string DumpComponentsJson(IExtractComponent* const* components, size_t count);

}  // namespace twutil::model
