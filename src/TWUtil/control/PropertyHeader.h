// PropertyHeader: the header line control of a property display. It paints
// an item's name in bold and its class beside it; a container embeds it
// through the standard control interfaces, windowed or windowless.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "control/ControlCore.h"
#include "control/HeaderPainter.h"
#include "control/InPlaceObjectPart.h"
#include "control/OleControlPart.h"
#include "control/OleObjectPart.h"
#include "control/PersistStreamPart.h"
#include "control/ViewObjectPart.h"

namespace twutil {

class PropertyHeader : public ComObject<TypeInfoDispatch<IPropertyHeader>, ViewObjectPart,
                                        InPlaceObjectPart, InPlaceActiveObjectPart, OleControlPart,
                                        OleObjectPart, PersistStreamPart, ObjectSafety>,
                       private ControlView {
 public:
  explicit PropertyHeader(IUnknown* outer);

  // A null text stores nothing, which hides that part of the header; the
  // getters give an empty string then.
  STDMETHODIMP get_PropertyName(BSTR* pVal) override;
  STDMETHODIMP put_PropertyName(BSTR newVal) override;
  STDMETHODIMP get_PropertyClass(BSTR* pVal) override;
  STDMETHODIMP put_PropertyClass(BSTR newVal) override;

 protected:
  void* InterfaceFor(REFIID iid) override;
  ControlCore& Core() override { return core_; }

 private:
  void PaintView(HDC dc, const RECT& bounds) override;
  IOleInPlaceActiveObject* ActiveObject() override { return this; }
  HRESULT Store(Bstr* field, BSTR text);

  ControlCore core_;
  HeaderPainter painter_;
  Bstr name_;
  Bstr class_;
};

}  // namespace twutil
