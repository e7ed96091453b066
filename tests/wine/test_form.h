// A hidden form for the Windows-layer tests of controls: the parent their windows are made in.
#pragma once

#include <windows.h>

#include "win/framework/form.h"

namespace qv::win {

class TestForm : public Form {
 public:
  void CreateHidden() {
    RegisterOnce(L"QvTestForm", CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
    Create(WS_EX_CONTROLPARENT, L"QvTestForm", L"test", WS_OVERLAPPEDWINDOW, 10, 10, 400, 200,
           nullptr);
  }
};

}  // namespace qv::win
