// The base of each OLE interface part of a control: every part reaches the
// state that the control keeps for all of them.
#pragma once

#include "control/ControlCore.h"

namespace twutil {

class ControlPart {
 protected:
  virtual ControlCore& Core() = 0;
  ~ControlPart() = default;
};

}  // namespace twutil
