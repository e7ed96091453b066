// A top-level form: owns focus movement between its controls (Tab, arrows, WM_NEXTDLGCTL), offers
// Enter and Escape to its controls as dialog keys before the focused control sees them, and ends
// the message loop when it is the main form and goes away.
#pragma once

#include <vector>

#include "win/framework/window.h"

namespace qv::win {

class Form : public Window {
 public:
  // Routes a queued key message to the form that holds its window; true when the form used it.
  static bool PreTranslate(const MSG& msg);

  // Controls in the order the form offers them dialog keys (creation order).
  void AddControl(Window* control) { controls_.push_back(control); }
  // Controls in tab order.
  void SetTabOrder(std::vector<Window*> order) { tabOrder_ = std::move(order); }
  // Moves the focus to the next (or previous) control in tab order that can take it.
  void SelectNext(bool forward);
  void FocusControl(Window* control);

  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  void SetMainForm(bool main) { mainForm_ = main; }
  void Close();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  virtual bool CloseQuery() { return true; }

 private:
  bool OfferDialogKey(WPARAM key, LPARAM keyData);
  Window* FocusedControl() const;

  std::vector<Window*> controls_;
  std::vector<Window*> tabOrder_;
  int modalResult_ = 0;
  bool mainForm_ = false;
};

}  // namespace qv::win
