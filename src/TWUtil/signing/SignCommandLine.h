// The signing tool's command line, built from the caller's options.
#pragma once

#include <string>

#include "TWUtil.h"

namespace twutil {

// "tool" -spc "spc" -v "pvk" [-n "name"] [-i "url"] -a MD5 -t "server" "file"
// -n and -i appear only for non-null fields; every other null field counts
// as empty. Texts are inserted as they are, up to their first NUL. A null
// options pointer counts as all fields null.
std::wstring SignCommandLine(const SignCodeOption* options, const wchar_t* file);

}  // namespace twutil
