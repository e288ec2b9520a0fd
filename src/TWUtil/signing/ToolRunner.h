// Runs the signing tool once: without a console, its standard output and
// standard error in one pipe, waiting with the caller's messages flowing;
// then hands the captured text over line by line.
#pragma once

#include <functional>
#include <string>

namespace twutil {

class ToolRunner {
 public:
  using LineSink = std::function<void(const std::wstring&)>;
  explicit ToolRunner(LineSink output) : output_(std::move(output)) {}

  // 1 when the tool ran and exited with code 0, otherwise 0. Every line of
  // its output has been passed on before it returns.
  long Run(const std::wstring& commandLine);

 private:
  LineSink output_;
};

}  // namespace twutil
