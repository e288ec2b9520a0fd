// The leveled messages of a stamping run. A sink receives every composed
// message; the standard sink writes those at or below the threshold to the
// process's standard output, with a prefix for errors and warnings.
#pragma once

namespace twutil {

enum StampLevel {
  kStampError = 1,
  kStampWarning = 2,
  kStampChange = 3,
  kStampTrace = 4,
};

constexpr int kStampThreshold = kStampWarning;

class StampSink {
 public:
  virtual ~StampSink() = default;
  virtual void Emit(int level, const char* text) = 0;
};

// Writes "error: " / "warning: ", the text and a line feed to stdout for
// levels up to kStampThreshold; drops the rest.
class StdoutStampSink : public StampSink {
 public:
  void Emit(int level, const char* text) override;
};

// Formats (printf conventions, 8-bit arguments only) into 512 bytes, cut to
// 511 characters, and hands the text to the sink.
void StampMessage(StampSink& sink, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace twutil
