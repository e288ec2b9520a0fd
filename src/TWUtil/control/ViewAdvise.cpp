#include "control/ViewAdvise.h"

namespace twutil {

void ViewAdvise::Set(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  sink_ = ComPtr<IAdviseSink>(sink);
  aspects_ = sink ? aspects : 0;
  flags_ = sink ? flags : 0;
  if (sink && (flags & ADVF_PRIMEFIRST)) SendViewChange(DVASPECT_CONTENT);
}

void ViewAdvise::Get(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const {
  if (aspects) *aspects = aspects_;
  if (flags) *flags = flags_;
  if (sink) {
    *sink = sink_.Get();
    if (*sink) (*sink)->AddRef();
  }
}

void ViewAdvise::SendViewChange(DWORD aspect) {
  if (!sink_ || !(aspects_ & aspect)) return;
  // Held locally: the sink may cancel the advise from inside its notice.
  ComPtr<IAdviseSink> sink = sink_;
  if (flags_ & ADVF_ONLYONCE) Set(0, 0, nullptr);
  sink->OnViewChange(aspect, -1);
}

}  // namespace twutil
