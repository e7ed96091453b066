// The share-setup dialog as its logic sees it: the dialog's state fields, and the few things the
// logic does to the dialog's windows. The Windows layer implements IShareDialogView on the real
// controls; host tests implement it with a fake.
#pragma once

#include <cstdint>
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
  virtual int ShareNameMaxLength() const = 0;  // 80 in the dialog

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
  // Runs work on another thread and then done on the dialog's own thread. work must not raise;
  // done may, as any handler may.
  virtual void RunInBackground(std::function<void()> work, std::function<void()> done) = 0;
};

}  // namespace qv
