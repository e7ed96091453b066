// The share-setup dialog's window: the form with its controls at their designed places, the
// view the dialog's logic acts on, and the routing of clicks to the logic's handlers.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "controls/form_scaling.h"
#include "dialog/set_share.h"
#include "dialog/set_share_view.h"
#include "win/controls/edit_window.h"
#include "win/controls/pl_button_window.h"
#include "win/framework/controls.h"
#include "win/framework/form.h"

namespace qv::win {

// Window class of the dialog, for test drivers.
inline constexpr wchar_t kSetShareClass[] = L"TfmSetShare";
inline constexpr int kMainIconId = 1;

class SetShareWindow : public Form, public ISetShareView {
 public:
  SetShareWindow();
  ~SetShareWindow() override;

  // Creates the (still hidden) window and its controls.
  void CreateWindowAndControls();
  // Binds the dialog's logic; clicks go to its handlers from then on.
  void Bind(TfmSetShare* logic) { logic_ = logic; }
  // Shows the window for the first time (centred) and lets the logic check the showing.
  void ShowFirstTime();

  // ISetShareView
  AnsiString SharePathText() const override { return txtSharePath_.Text(); }
  void SetSharePathText(const AnsiString& text) override { txtSharePath_.SetText(text); }
  AnsiString ShareNameText() const override { return txtShareName_.Text(); }
  void SetShareNameText(const AnsiString& text) override { txtShareName_.SetText(text); }
  int ShareNameMaxLength() const override { return kShareNameMaxLength; }
  AnsiString IconTitleFontName() override;
  void SetFontName(const AnsiString& faceName) override;
  void SetTopTexts(const AnsiString& top1, const AnsiString& top2, const AnsiString& top3) override;
  void SetExampleLabelColor(TColor color) override;
  void CenterButtonCaptions() override;
  void FocusBrowseButton() override { FocusControl(&btnSansyo_); }
  void FocusShareName() override { FocusControl(&txtShareName_); }
  bool IsVisible() const override;
  void RepaintNow() override;
  void RestoreDefaultCursor() override;
  void Close() override { Form::Close(); }
  void SetBusy(bool busy) override;
  void RunInBackground(std::function<void()> work, std::function<void()> done) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CloseQuery() override { return !logic_ || logic_->CloseQuery(); }

 private:
  static constexpr int kShareNameMaxLength = 80;
  void ApplyFont();
  void SizeClientArea(const FormLayout& layout);
  void ApplyTitleBarIcons();
  void UseIconSizeFor(const FormLayout& layout);
  void ApplyDpi(int dpi, const RECT& suggested);

  TfmSetShare* logic_ = nullptr;
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
  // The background work and what runs on this thread when it has ended.
  std::thread worker_;
  std::function<void()> workDone_;

  Panel pnlTop_;
  Image image1_;
  Label labelTop1_, labelTop2_, labelTop3_;
  Label label3_, label2_, label6_, label4_, label1_, label7_;
  EditWindow txtSharePath_, txtShareName_;
  EditField memo1_;
  Label busyLabel_;
  PlButtonWindow btnSansyo_, btnShare_, btnCancel_;
};

}  // namespace qv::win
