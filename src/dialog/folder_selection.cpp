// The browse button: the shell's folder browser, with three rules on what may be picked: a path of
// at most 255 bytes, one that code page 932 can spell, and the system drive's root only after a
// question when user account control is on.
#include "dialog/set_share.h"

#include "framework/errors.h"

namespace qv {

namespace {
constexpr std::size_t kMaxSharePathBytes = 255;
// Code page 932 cannot name the folder: any conversion would name another one.
constexpr char kUnrepresentablePathText[] =
    "選択した場所(パス)に使用できない文字が含まれています。\r別の場所を選択して下さい。\r";
constexpr char kPoliciesSystemKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// Gives one item list back to the shell's allocator when it goes out of scope.
class ScopedItemIdList {
 public:
  ScopedItemIdList(IFolderBrowserPlatform& browser, ItemIdList items)
      : browser_(browser), items_(items) {}
  ScopedItemIdList(const ScopedItemIdList&) = delete;
  ScopedItemIdList& operator=(const ScopedItemIdList&) = delete;
  ~ScopedItemIdList() {
    if (items_ != 0) browser_.FreeItemIdList(items_);
  }
  ItemIdList get() const { return items_; }

 private:
  IFolderBrowserPlatform& browser_;
  ItemIdList items_;
};

class ScopedShellAllocator {
 public:
  explicit ScopedShellAllocator(IFolderBrowserPlatform& browser)
      : browser_(browser), held_(browser.AcquireShellAllocator()) {}
  ScopedShellAllocator(const ScopedShellAllocator&) = delete;
  ScopedShellAllocator& operator=(const ScopedShellAllocator&) = delete;
  ~ScopedShellAllocator() {
    if (held_) browser_.ReleaseShellAllocator();
  }
  bool held() const { return held_; }

 private:
  IFolderBrowserPlatform& browser_;
  bool held_;
};
}  // namespace

void TfmSetShare::btnSansyoClick() {
  AnsiString path = view_.SharePathText();
  if (Trim(path).empty()) path = fields_.SystemDriveRoot;
  if (!SelectFolder("共有場所の参照", path, false, 0)) return;

  fields_.SharePath = path;
  // The folder's own name; empty for the root of a drive.
  AnsiString lastName = ExtractFileName(fields_.SharePath);
  fields_.ShareName = Trim(FitShareName(lastName, view_.ShareNameMaxLength()));
  view_.SetSharePathText(fields_.SharePath);
  view_.SetShareNameText(fields_.ShareName);
}

bool TfmSetShare::SelectFolder(const AnsiString& title, AnsiString& path, bool skipCheck,
                               ItemIdList root) {
  const AnsiString systemDriveRoot = SystemDriveRootOf(probes_.GetSystemDir());

  ScopedShellAllocator allocator(browser_);
  if (!allocator.held()) return false;

  std::int32_t userAccountControl =
      skipCheck ? 0
                : probes_.ReadRegInteger(RegRoot::rkLocalMachine, kPoliciesSystemKey, "EnableLUA");

  BrowseInfo info;
  info.owner = browser_.ForegroundWindow();
  info.root = root;
  info.title = title.empty() ? AnsiString("フォルダを選択して下さい") : title;
  info.flags = kBrowseFlags;
  info.callback = [this](WindowHandle wnd, std::uint32_t msg, std::intptr_t lParam,
                         const AnsiString& data) { return BrowseCallback(wnd, msg, lParam, data); };
  info.callbackData = path;  // every opening starts at the folder given on entry

  for (;;) {
    ScopedItemIdList chosen(browser_, browser_.BrowseForFolder(info));
    if (chosen.get() == 0) return false;

    // An item without a file-system path cannot be shared; take it as a cancel.
    std::optional<Cp932Path> picked = browser_.PathFromIdList(chosen.get());
    if (!picked) return false;
    if (!picked->representable) {
      boxes_.MessageDlg(kUnrepresentablePathText, MsgDlgType::mtError, mbOK);
      return false;
    }
    if (picked->text.size() > kMaxSharePathBytes) {
      boxes_.MessageDlg(
          "選択した場所(パス)の文字長が処理できる範囲を超えました。\r別の場所を選択して下さい。\r",
          MsgDlgType::mtError, mbOK);
      return false;
    }
    if (userAccountControl != 1 || AnsiUpperCase(picked->text) != systemDriveRoot) {
      path = picked->text;
      return true;
    }
    int answer = boxes_.MessageDlg(
        "この場所に保存するアクセス許可がありません。\r管理者に連絡してアクセス許可を取得してくださ"
        "い。\r\r"
        "代わりに［ドキュメント］フォルダに保存しますか？\r",
        MsgDlgType::mtWarning, mbYes | mbNo);
    if (answer == mrYes) {
      Cp932Path documents = probes_.GetDocumentsDir();
      if (!documents.representable) {
        boxes_.MessageDlg(kUnrepresentablePathText, MsgDlgType::mtError, mbOK);
        return false;
      }
      path = documents.text;
      return true;
    }
  }
}

int TfmSetShare::BrowseCallback(WindowHandle wnd, std::uint32_t msg, std::intptr_t lParam,
                                const AnsiString& data) {
  if (msg == kBffmInitialized) {
    browser_.SendSetSelection(wnd, data);
  } else if (msg == kBffmSelChanged) {
    std::optional<Cp932Path> selected = browser_.PathFromIdList(static_cast<ItemIdList>(lParam));
    browser_.SendSetStatusText(wnd, selected ? selected->text : AnsiString());
  }
  return 0;
}

}  // namespace qv
