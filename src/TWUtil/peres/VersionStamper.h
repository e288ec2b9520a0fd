// One stamping run: open and map the file, check that it is a PE image with
// a version resource, rewrite the requested strings and the language, close.
// Every failure is found before the first byte is written and reported as
// one error message; the file is then left as it was.
#pragma once

#include "peres/StampDiagnostics.h"
#include "peres/StampRequest.h"

namespace twutil {

// ansiName is the file's name in the conversion code page (null for none);
// it is converted back with that code page to open the file.
void StampFile(const char* ansiName, const StampRequest& request, StampSink& sink);

}  // namespace twutil
