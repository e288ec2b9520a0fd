#include "com/ConnectionPoint.h"

#include <new>

#include "com/Module.h"

namespace twutil {
namespace {

void AddRefElement(IConnectionPoint* p) { p->AddRef(); }
void ReleaseElement(IConnectionPoint* p) { p->Release(); }
void AddRefElement(const CONNECTDATA& d) { d.pUnk->AddRef(); }
void ReleaseElement(const CONNECTDATA& d) { d.pUnk->Release(); }

// A snapshot enumerator: holds its own references to the elements.
template <class Enum, class Element>
class SnapshotEnumerator : public Enum {
 public:
  SnapshotEnumerator(std::vector<Element> items, size_t position)
      : items_(std::move(items)), position_(position) {
    for (const Element& e : items_) AddRefElement(e);
    Module::Lock();
  }
  virtual ~SnapshotEnumerator() {
    for (const Element& e : items_) ReleaseElement(e);
    Module::Unlock();
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != __uuidof(Enum)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<Enum*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP Next(ULONG count, Element* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_.size()) {
      out[n] = items_[position_++];
      AddRefElement(out[n]);
      ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Enum** out) override {
    if (!out) return E_POINTER;
    *out = Create(items_, position_);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  static Enum* Create(const std::vector<Element>& items, size_t position) {
    auto* e = new (std::nothrow) SnapshotEnumerator(items, position);
    if (e) e->AddRef();
    return e;
  }

 private:
  std::vector<Element> items_;
  size_t position_;
  volatile LONG refs_ = 0;
};

}  // namespace

ConnectionPoint::~ConnectionPoint() {
  for (IUnknown* sink : sinks_)
    if (sink) sink->Release();
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
  AddRef();
  *out = static_cast<IConnectionPoint*>(this);
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  container_->AddRef();
  *out = container_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  IUnknown* held = nullptr;
  // The sink must speak the outgoing interface (or plain IDispatch).
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&held))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&held))))
    return CONNECT_E_CANNOTCONNECT;
  for (size_t i = 0; i < sinks_.size(); ++i) {
    if (!sinks_[i]) {
      sinks_[i] = held;
      *cookie = static_cast<DWORD>(i + 1);
      return S_OK;
    }
  }
  sinks_.push_back(held);
  *cookie = static_cast<DWORD>(sinks_.size());
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
  IUnknown* sink = sinks_[cookie - 1];
  sinks_[cookie - 1] = nullptr;
  sink->Release();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (!out) return E_POINTER;
  std::vector<CONNECTDATA> connections;
  for (size_t i = 0; i < sinks_.size(); ++i)
    if (sinks_[i]) connections.push_back(CONNECTDATA{sinks_[i], static_cast<DWORD>(i + 1)});
  *out = SnapshotEnumerator<IEnumConnections, CONNECTDATA>::Create(connections, 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateConnectionPointEnumerator(IConnectionPoint* const* points, size_t count,
                                        IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  std::vector<IConnectionPoint*> items(points, points + count);
  *out = SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*>::Create(items, 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace twutil
