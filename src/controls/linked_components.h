// Components of a form that its controls refer to by name: a command a click runs, and the menu
// a control offers on a right click.
#pragma once

#include <functional>
#include <memory>

#include "controls/persistent.h"
#include "framework/ansi_string.h"

namespace qv {

// A command shared by the controls linked to it.
class ActionItem : public Persistent {
 public:
  using ExecuteHandler = std::function<void(Persistent& sender)>;

  explicit ActionItem(AnsiString name) : name_(std::move(name)) {}
  const char* ClassName() const override { return "TAction"; }
  const AnsiString& Name() const { return name_; }

  // Runs OnExecute with the action as its sender; false when no handler is assigned, so that
  // the caller knows nothing ran.
  bool Execute();

  ExecuteHandler OnExecute;

 private:
  AnsiString name_;
};

// A linked control's click handler that stands for its action's OnExecute. Held by the
// control's OnClick, it tells the click that the handler is the action's own (so the action is
// run as itself) rather than one of the control's.
struct ActionExecuteHandler {
  std::shared_ptr<ActionItem> action;
  template <typename Sender>
  void operator()(Sender& sender) const {
    if (action && action->OnExecute) action->OnExecute(sender);
  }
};

// The menu a control is linked to. The system shows no menus; the link is kept, stored and read
// so that a form that names one keeps it.
class PopupMenuItem : public Persistent {
 public:
  explicit PopupMenuItem(AnsiString name) : name_(std::move(name)) {}
  const char* ClassName() const override { return "TPopupMenu"; }
  const AnsiString& Name() const { return name_; }

 private:
  AnsiString name_;
};

}  // namespace qv
