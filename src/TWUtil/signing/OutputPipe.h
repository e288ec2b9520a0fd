// The pipe that carries the tool's standard output and standard error. The
// tool gets two inheritable write ends; our read end is overlapped, so the
// waiting loop can keep the pipe drained into memory without a thread and
// without polling: a tool that writes more than the pipe holds never blocks.
#pragma once

#include <windows.h>

#include <string>

#include "com/Owners.h"

namespace twutil {

class OutputPipe {
 public:
  OutputPipe() = default;
  ~OutputPipe();
  OutputPipe(const OutputPipe&) = delete;
  OutputPipe& operator=(const OutputPipe&) = delete;

  // Makes the pipe and starts the first read; false leaves no handle open.
  bool Create();

  HANDLE OutputEnd() const { return write_.Get(); }
  HANDLE ErrorEnd() const { return writeDuplicate_.Get(); }
  // Once the tool has its copies, so that reading ends when the pipe is empty.
  void CloseWriteEnds();

  // Signalled when the pending read has finished; null when none is pending.
  HANDLE ReadFinished() const { return pending_ ? event_.Get() : nullptr; }
  // Collects a finished read and starts the next.
  void OnReadFinished();
  // After the tool has ended: collects whatever is still in the pipe.
  void Drain();

  const std::string& Output() const { return output_; }

 private:
  void StartReads();
  bool Collect(BOOL wait);

  Handle read_;
  Handle write_;
  Handle writeDuplicate_;
  Handle event_;
  OVERLAPPED overlapped_ = {};
  bool pending_ = false;
  bool ended_ = false;
  char buffer_[4096];
  std::string output_;
};

}  // namespace twutil
