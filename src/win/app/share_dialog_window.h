// The share-setup dialog's window: the form with its controls at their designed places, the
// view the dialog's logic acts on, and the routing of clicks to the logic's handlers.
#pragma once

#include <exception>
#include <functional>
#include <memory>

#include "controls/form_scaling.h"
#include "dialog/share_dialog.h"
#include "dialog/share_dialog_view.h"
#include "win/controls/edit_window.h"
#include "win/controls/plain_button_window.h"
#include "win/framework/background_work.h"
#include "win/framework/controls.h"
#include "win/framework/form.h"

namespace qv::win {

// Window class of the dialog, for test drivers.
inline constexpr wchar_t kShareDialogClass[] = L"TfmSetShare";
inline constexpr int kMainIconId = 1;

class ShareDialogWindow : public Form, public IShareDialogView {
 public:
  ShareDialogWindow();
  ~ShareDialogWindow() override;

  // Creates the (still hidden) window and its controls; a logic bound before runs its creation
  // handler here, before the controls take the dialog's font.
  void CreateWindowAndControls();
  // Binds the dialog's logic; clicks go to its handlers from then on.
  void Bind(ShareDialog* logic) { logic_ = logic; }
  // Shows the window for the first time (centred) and lets the logic check the showing.
  void ShowFirstTime();

  // IShareDialogView
  AnsiString SharePathText() const override { return sharePathEdit_.Text(); }
  void SetSharePathText(const AnsiString& text) override { sharePathEdit_.SetText(text); }
  AnsiString ShareNameText() const override { return shareNameEdit_.Text(); }
  void SetShareNameText(const AnsiString& text) override { shareNameEdit_.SetText(text); }
  int ShareNameMaxLength() const override { return kShareNameMaxLength; }
  AnsiString IconTitleFontName() override;
  void SetFontName(const AnsiString& faceName) override;
  void SetTopTexts(const AnsiString& top1, const AnsiString& top2, const AnsiString& top3) override;
  void SetExampleLabelColor(Color color) override;
  void CenterButtonCaptions() override;
  void FocusBrowseButton() override { FocusControl(&browseButton_); }
  void FocusShareName() override { FocusControl(&shareNameEdit_); }
  bool IsVisible() const override;
  void RepaintNow() override;
  void RestoreDefaultCursor() override;
  void Close() override { Form::Close(); }
  void SetBusy(bool busy) override;
  void RunInBackground(std::function<void()> work,
                       std::function<void(std::exception_ptr)> done) override;
  void ShowError(std::exception_ptr error) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CloseQuery() override { return !logic_ || logic_->CloseQuery(); }

 private:
  static constexpr int kShareNameMaxLength = kShareNameByteLimit;
  void ApplyFont();
  void SizeClientArea(const FormLayout& layout);
  void ApplyTitleBarIcons();
  void UseIconSizeFor(const FormLayout& layout);
  void ApplyDpi(int dpi, const RECT& suggested);

  ShareDialog* logic_ = nullptr;
  // The DPI the dialog is laid out for, and what follows from it.
  int dpi_ = 96;
  int fontHeight_ = -12;
  int panelHeight_ = 97;
  AnsiString fontName_;
  UniqueFont font_;
  // The title-bar icons, owned here: the system does not free icons a window is given.
  UniqueIcon bigIcon_, smallIcon_;
  bool shown_ = false;
  bool busy_ = false;
  HWND focusBeforeBusy_ = nullptr;

  Panel headerPanel_;
  Image headerIcon_;
  Label headerLine1_, headerLine2_, headerLine3_;
  Label browseHintLabel_, sharePathLabel_, sharePathExampleLabel_, shareNameHintLabel_,
      shareNameLabel_, shareNameExampleLabel_;
  EditWindow sharePathEdit_, shareNameEdit_;
  EditField layoutMemo_;
  Label busyLabel_;
  PlainButtonWindow browseButton_, shareButton_, cancelButton_;
  // Last, so that it is joined first: its work may still tell the controls its outcome.
  BackgroundWork work_;
};

}  // namespace qv::win
