// Keeps registry calls that name a view (KEY_WOW64_32KEY, KEY_WOW64_64KEY)
// inside the redirected hives: the hive override does not apply to them, and
// type-library registration makes them. The replacements forward without the
// view flags.
#pragma once

#include <cstddef>

#include "ImportRewrite.h"

namespace twregspy {

const ImportReplacement* ViewFlagReplacements(size_t* count);

}  // namespace twregspy
