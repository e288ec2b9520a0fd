// The JSON members that show what a capture handed over beyond the model's
// items: the file's bitness, the outcome of its registration and every
// registry entry it wrote.
#pragma once

#include "TWUtil.h"
#include "model/JsonWriter.h"

namespace twutil::model {

// Writes "Bitness", "Outcome" and "Registry" into the open object. Known only
// for this model's own components; for others they show as null.
void WriteCaptureMembers(JsonWriter& w, IExtractComponent* component);

}  // namespace twutil::model
