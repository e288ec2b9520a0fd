#include "model/VerbInfo.h"

#include "model/ProgIDInfo.h"

namespace twutil::model {

STDMETHODIMP VerbInfo::get_ProgID(IExtractProgIDInfo** v) {
  if (!v) return E_POINTER;
  *v = nullptr;
  if (otherProgId_) {
    *v = ComPtr<IExtractProgIDInfo>(otherProgId_.Get()).Detach();
  } else if (std::shared_ptr<ProgIDInfo> linked = modelProgId_.lock()) {
    *v = ComPtr<IExtractProgIDInfo>(linked.get()).Detach();
  }
  return S_OK;
}

STDMETHODIMP VerbInfo::putref_ProgID(IExtractProgIDInfo* v) {
  modelProgId_.reset();
  otherProgId_.Reset();
  if (!v) return S_OK;
  ComPtr<IExtractProgIDInfo> ours;
  if (SUCCEEDED(v->QueryInterface(kOwnProgIDInfo, ours.PutVoid())) && ours) {
    modelProgId_ = static_cast<ProgIDInfo*>(ours.Get())->WeakSelf();
  } else {
    otherProgId_ = ComPtr<IExtractProgIDInfo>(v);
  }
  return S_OK;
}

}  // namespace twutil::model
