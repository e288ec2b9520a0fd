// How a named step of the live harvest reports a failed checked call: the
// ServerInfo error, the callee's message followed by the step's context. A
// ServerInfo error from a nested step passes unchanged.
#pragma once

#include <new>
#include <string>

#include "Errors.h"
#include "TWUtil.h"

namespace twutil {

[[noreturn]] inline void RaiseStepError(const CExcept& failure, const wchar_t* context) {
  std::wstring message(failure.message.Text(), failure.message.Length());
  message += context;
  throw CErrorInfo(message.c_str(), IID_IServerInfo);
}

template <class Body>
auto InStep(const wchar_t* context, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const CExcept& failure) {
    RaiseStepError(failure, context);
  }
}

// The same, and any other failure but the ServerInfo error becomes fallback.
template <class Body>
auto InGuardedStep(const wchar_t* context, const wchar_t* fallback, Body&& body)
    -> decltype(body()) {
  try {
    return body();
  } catch (const CExcept& failure) {
    RaiseStepError(failure, context);
  } catch (const CErrorInfo&) {
    throw;
  } catch (const com_exception&) {
    throw CErrorInfo(fallback, IID_IServerInfo);
  } catch (const std::bad_alloc&) {
    throw CErrorInfo(fallback, IID_IServerInfo);
  }
}

}  // namespace twutil
