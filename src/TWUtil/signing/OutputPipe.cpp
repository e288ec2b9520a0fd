#include "signing/OutputPipe.h"

#include <string>

namespace twutil {
namespace {

std::wstring UniquePipeName() {
  static volatile LONG counter = 0;
  return L"\\\\.\\pipe\\TWUtil.SignCode." + std::to_wstring(GetCurrentProcessId()) + L"." +
         std::to_wstring(GetTickCount()) + L"." + std::to_wstring(InterlockedIncrement(&counter));
}

}  // namespace

OutputPipe::~OutputPipe() {
  if (pending_) {
    // The read must not finish into a buffer that is gone.
    CancelIo(read_.Get());
    DWORD ignored = 0;
    GetOverlappedResult(read_.Get(), &overlapped_, &ignored, TRUE);
  }
}

bool OutputPipe::Create() {
  const std::wstring name = UniquePipeName();
  event_ = Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  read_ = Handle(CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 4096, 0,
      nullptr));
  SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  if (event_.Valid() && read_.Valid())
    write_ = Handle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherit, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (write_.Valid())
    DuplicateHandle(GetCurrentProcess(), write_.Get(), GetCurrentProcess(), writeDuplicate_.Put(),
                    0, TRUE, DUPLICATE_SAME_ACCESS);
  if (!writeDuplicate_.Valid()) {
    write_.Reset();
    read_.Reset();
    event_.Reset();
    return false;
  }
  overlapped_.hEvent = event_.Get();
  StartReads();
  return true;
}

void OutputPipe::CloseWriteEnds() {
  write_.Reset();
  writeDuplicate_.Reset();
}

bool OutputPipe::Collect(BOOL wait) {
  DWORD read = 0;
  if (!GetOverlappedResult(read_.Get(), &overlapped_, &read, wait)) {
    if (GetLastError() == ERROR_IO_INCOMPLETE) return false;
    pending_ = false;
    ended_ = true;  // broken pipe (every writer gone), cancelled, or failed
    return true;
  }
  pending_ = false;
  output_.append(buffer_, read);
  return true;
}

void OutputPipe::StartReads() {
  // Reads that finish at once are collected at once; stop when one waits.
  while (!ended_) {
    if (!ReadFile(read_.Get(), buffer_, sizeof(buffer_), nullptr, &overlapped_) &&
        GetLastError() != ERROR_IO_PENDING) {
      ended_ = true;
      return;
    }
    pending_ = true;
    if (!Collect(FALSE)) return;
  }
}

void OutputPipe::OnReadFinished() {
  if (pending_ && Collect(FALSE)) StartReads();
}

void OutputPipe::Drain() {
  while (pending_) {
    // A wait, even of no time, lets reads that the pipe has finished
    // complete in this process.
    WaitForSingleObject(event_.Get(), 0);
    if (Collect(FALSE)) {
      StartReads();
      continue;
    }
    DWORD available = 0;
    if (!PeekNamedPipe(read_.Get(), nullptr, 0, nullptr, &available, nullptr) || available > 0) {
      // Every writer is gone (the read ends now) or data is on its way.
      if (Collect(TRUE)) StartReads();
      continue;
    }
    // A writer outlives the tool (a child of its own) and the pipe is empty:
    // it must not keep us waiting.
    CancelIo(read_.Get());
    Collect(TRUE);
  }
}

}  // namespace twutil
