// The share-setup dialog as its logic sees it: the dialog's state fields, and the few things the
// logic does to the dialog's windows. The Windows layer implements IShareDialogView on the real
// controls; host tests implement it with a fake.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include "framework/ansi_string.h"
#include "framework/color.h"

namespace qv {

// The dialog's own state, created empty or zero with the dialog.
struct ShareDialogFields {
  std::int32_t Edition = 0;  // 0 first edition, 1 second edition
  std::int32_t OsMajorVersion = 0;
  AnsiString SystemDriveRoot;
  AnsiString SharePath;
  AnsiString ShareName;
};

class IShareDialogView {
 public:
  virtual ~IShareDialogView() = default;

  // The two edit fields.
  virtual AnsiString SharePathText() const = 0;
  virtual void SetSharePathText(const AnsiString& text) = 0;
  virtual AnsiString ShareNameText() const = 0;
  virtual void SetShareNameText(const AnsiString& text) = 0;
  virtual int ShareNameMaxLength() const = 0;  // the share-name byte limit in the dialog

  // Creation step.
  virtual AnsiString IconTitleFontName() = 0;                // face name of the icon-title font
  virtual void SetFontName(const AnsiString& faceName) = 0;  // may raise qv::Exception
  virtual void SetTopTexts(const AnsiString& top1, const AnsiString& top2,
                           const AnsiString& top3) = 0;
  virtual void SetExampleLabelColor(Color color) = 0;  // the two examples under the fields
  virtual void CenterButtonCaptions() = 0;             // CaptionVertCenter on for the three buttons

  // Focus, showing, closing.
  virtual void FocusBrowseButton() = 0;
  virtual void FocusShareName() = 0;
  virtual bool IsVisible() const = 0;
  virtual void RepaintNow() = 0;
  virtual void RestoreDefaultCursor() = 0;
  virtual void Close() = 0;

  // Long work. While busy the dialog keeps answering, shows the wait cursor and the busy label,
  // and takes no input in its buttons and fields.
  virtual void SetBusy(bool busy) = 0;
  // Runs work on another thread, then done on the dialog's own thread. done always comes, and
  // never before the handler that started the work has returned; it gets what the work raised
  // (null when nothing) and may raise, as any handler may. Raises, and runs nothing, when the
  // work cannot start.
  virtual void RunInBackground(std::function<void()> work,
                               std::function<void(std::exception_ptr)> done) = 0;
  // Shows an error as the dialog shows one that leaves a handler, and returns once it was seen.
  virtual void ShowError(std::exception_ptr error) = 0;
};

}  // namespace qv
