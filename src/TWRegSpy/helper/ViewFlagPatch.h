// Keeps registry calls that name a view (KEY_WOW64_32KEY, KEY_WOW64_64KEY)
// inside the redirected hives: the hive override does not apply to them, and
// type-library registration makes them. The import tables of the process's
// modules are rewritten so that those calls reach the registry without the
// view flags; modules loaded later are rewritten as they arrive.
#pragma once

namespace twregspy {

void StripRegistryViewsInLoadedModules();

}  // namespace twregspy
