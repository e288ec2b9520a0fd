#include "peres/StampDiagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace twutil {

void StdoutStampSink::Emit(int level, const char* text) {
  if (level > kStampThreshold) return;
  if (level == kStampError) std::printf("error: ");
  if (level == kStampWarning) std::printf("warning: ");
  std::printf("%s", text);
  std::printf("\n");
  // A host that reads our output through a pipe should see it at once.
  std::fflush(stdout);
}

void StampMessage(StampSink& sink, int level, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (n < 0) text[0] = '\0';
  sink.Emit(level, text);
}

}  // namespace twutil
