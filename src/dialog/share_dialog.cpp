#include "dialog/share_dialog.h"

#include <stdexcept>
#include <utility>

#include "dialog/share_dialog_form.h"
#include "framework/errors.h"
#include "share/edition.h"

namespace qv {

namespace {
constexpr Color kExampleLabelColor = 0xFF0000;  // $00BBGGRR: pure blue

// The second edition's executable. Start-up overrides the choice with the second edition in any
// case; the dialog still makes it, so that a dialog created without start-up serves the edition
// its executable names.
constexpr char kSecondEditionExecutable[] = "qvsetshare.exe";

std::int32_t EditionOfExecutable(const AnsiString& path) {
  const std::size_t slash = LastDelimiter("\\", path);
  const AnsiString name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return AnsiLowerCase(name) == kSecondEditionExecutable ? kSecondEdition : kFirstEdition;
}
}  // namespace

ShareDialog::ShareDialog(IShareDialogView& view, IMessageBoxes& boxes, IProbePlatform& probes,
                         IFolderBrowserPlatform& browser, ShareSetup& job, IReachPlatform& reach,
                         IShareFiles& shareFiles)
    : view_(view),
      boxes_(boxes),
      probes_(probes),
      browser_(browser),
      job_(job),
      reach_(reach),
      shareFiles_(shareFiles) {}

void ShareDialog::OnCreate() {
  // An unreadable icon-title font leaves the designed one in place.
  AnsiString faceName = view_.IconTitleFontName();
  if (!faceName.empty()) {
    try {
      view_.SetFontName(faceName);
    } catch (const Exception&) {
      view_.SetFontName(share_dialog_form::kDesignedFont);
    }
  }

  AnsiString systemDir;
  try {
    systemDir = probes_.GetSystemDir();
  } catch (const Exception&) {
    systemDir.clear();
  }
  fields_.SystemDriveRoot = SystemDriveRootOf(systemDir);

  fields_.Edition = EditionOfExecutable(probes_.GetExecutablePath().text);

  fields_.SharePath = fields_.SystemDriveRoot + "VeltoData";
  fields_.ShareName = "VeltoData";

  view_.SetTopTexts(
      "このコンピュータで管理する財務会計データを、ネットワーク上の他のコンピュータから",
      "利用できるようにするための設定を行います。",
      "管理する場所を選択した後に[共有]ボタンを押してください。");
  view_.SetExampleLabelColor(kExampleLabelColor);
  view_.CenterButtonCaptions();
  view_.SetSharePathText(fields_.SharePath);
  view_.SetShareNameText(fields_.ShareName);
}

void ShareDialog::Prefill(const std::optional<AnsiString>& path,
                          const std::optional<AnsiString>& name) {
  if (path) {
    fields_.SharePath = *path;
    view_.SetSharePathText(*path);
  }
  if (name) {
    // A name the field cannot hold is not swapped for another: the field is left empty, so the
    // share button asks for a name instead of sharing the one shown before.
    const bool fits = name->size() <= static_cast<std::size_t>(view_.ShareNameMaxLength());
    fields_.ShareName = fits ? *name : AnsiString("");
    view_.SetShareNameText(fields_.ShareName);
  }
}

void ShareDialog::ShowingChanged() {
  fields_.OsMajorVersion = probes_.GetOsMajorVersion();
  // Only on becoming visible: the hiding at shutdown must not ask the user a second time.
  if (view_.IsVisible() && probes_.LacksAdministratorRights(fields_.OsMajorVersion)) {
    boxes_.ShowMessage(kNotAdministrator, MessageKind::Information, MessageButton::Ok);
    view_.Close();
  }
  if (view_.IsVisible()) view_.RepaintNow();
  view_.RestoreDefaultCursor();
}

void ShareDialog::OnCancelClick() { view_.Close(); }

}  // namespace qv
