// Fakes of the dialog's windows, message boxes and platform, for host tests. They share one
// event log with the share job's fakes so that a test can check the order of what the dialog did
// across all of them.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/environment_probes.h"
#include "dialog/folder_browser.h"
#include "dialog/share_dialog.h"
#include "dialog/share_dialog_view.h"
#include "framework/errors.h"
#include "framework/message_box.h"
#include "reach/reach_fakes.h"
#include "share/share_fakes.h"

namespace qv::test {

// The two questions of every share, written out here rather than taken from the product's
// constants, so that a changed byte in the product shows.
inline constexpr char kCreateQuestion[] =
    "選択した管理する場所にはフォルダーが存在しません。\r新しく作成してもよろしいですか？";
inline constexpr char kDoneQuestion[] =
    "共有フォルダを設定しました。\rこの処理を終了してもよろしいですか？";

class FakeView : public IShareDialogView {
 public:
  explicit FakeView(EventLog& log) : log_(log) {}

  AnsiString SharePathText() const override { return sharePath; }
  void SetSharePathText(const AnsiString& text) override { sharePath = text; }
  AnsiString ShareNameText() const override { return shareName; }
  void SetShareNameText(const AnsiString& text) override { shareName = text; }
  int ShareNameMaxLength() const override { return 80; }

  AnsiString IconTitleFontName() override { return iconTitleFont; }
  void SetFontName(const AnsiString& faceName) override {
    fontNamesTried.push_back(faceName);
    if (rejectedFonts.count(faceName)) throw Exception("bad font");
    fontName = faceName;
  }
  void SetTopTexts(const AnsiString& t1, const AnsiString& t2, const AnsiString& t3) override {
    top1 = t1;
    top2 = t2;
    top3 = t3;
  }
  void SetExampleLabelColor(Color color) override { exampleColor = color; }
  void CenterButtonCaptions() override { captionsCentred = true; }

  void FocusBrowseButton() override { log_.push_back("focus btnSansyo"); }
  void FocusShareName() override { log_.push_back("focus txtShareName"); }
  bool IsVisible() const override { return visible; }
  void RepaintNow() override { log_.push_back("repaint"); }
  void RestoreDefaultCursor() override { log_.push_back("cursor"); }
  void Close() override {
    log_.push_back("close");
    ++closeCount;
  }
  void SetBusy(bool value) override {
    log_.push_back(value ? "busy" : "idle");
    busy = value;
  }
  // Queues the work and its end, as the real view posts the end to the dialog's own queue: they
  // come when the loop next runs (DeliverPosted), or when the test lets held work end.
  void RunInBackground(std::function<void()> work,
                       std::function<void(std::exception_ptr)> done) override {
    EXPECT_FALSE(pendingDone) << "work started while other work was pending";
    if (failToStart) throw Exception("no thread");
    pendingWork = std::move(work);
    pendingDone = std::move(done);
  }
  void ShowError(std::exception_ptr error) override {
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      shownErrors.push_back(e.Message());
    } catch (const std::exception& e) {
      shownErrors.push_back(AnsiString(e.what()));
    }
    log_.push_back("error box");
  }
  // The message loop after a handler has returned: work that is not held ends, and its end is
  // told.
  void DeliverPosted() {
    if (pendingDone && !holdWork) FinishWork();
  }
  void FinishWork() {
    ASSERT_TRUE(pendingDone) << "no work pending";
    auto work = std::move(pendingWork);
    auto done = std::move(pendingDone);
    pendingWork = nullptr;
    pendingDone = nullptr;
    std::exception_ptr failure;
    if (workRaises) {
      failure = std::make_exception_ptr(Exception(*workRaises));
    } else {
      work();
    }
    done(failure);
  }

  AnsiString sharePath, shareName;
  AnsiString iconTitleFont = "Meiryo UI";
  std::set<AnsiString> rejectedFonts;
  std::vector<AnsiString> fontNamesTried;
  AnsiString fontName = "ＭＳ Ｐゴシック";
  AnsiString top1, top2, top3;
  Color exampleColor = 0;
  bool captionsCentred = false;
  bool visible = true;
  int closeCount = 0;
  bool busy = false;
  bool holdWork = false;
  bool failToStart = false;
  std::optional<AnsiString> workRaises;  // the work raises this instead of doing anything
  std::function<void()> pendingWork;
  std::function<void(std::exception_ptr)> pendingDone;
  std::vector<AnsiString> shownErrors;

 private:
  EventLog& log_;
};

struct ShownMessage {
  AnsiString text;
  MessageKind type;
  MessageButtons buttons;
  int defaultResult = MessageResult::None;
};

class FakeMessageBoxes : public IMessageBoxes {
 public:
  explicit FakeMessageBoxes(EventLog& log) : log_(log) {}
  int ShowMessage(const AnsiString& text, MessageKind type, MessageButtons buttons,
                  int defaultResult = MessageResult::None) override {
    shown.push_back({text, type, buttons, defaultResult});
    if (onShow) onShow();
    log_.push_back("message");
    if (answers.empty()) return MessageResult::Ok;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownMessage> shown;
  std::deque<int> answers;       // answered in turn; OK once they run out
  std::function<void()> onShow;  // runs while a box is "open" (nested message loop)

 private:
  EventLog& log_;
};

// The system's answers, set by each test.
class FakeProbePlatform : public IProbePlatform {
 public:
  bool IsInBuiltinGroup(std::int32_t rid) override {
    askedGroups.push_back(rid);
    if (groupError) throw OsError(*groupError, "text of the error");
    return std::find(groupRids.begin(), groupRids.end(), rid) != groupRids.end();
  }
  AnsiString SystemDirectory() override {
    if (systemDirectoryThrows) throw Exception("no system directory");
    return systemDirectory;
  }
  Cp932Path DocumentsFolder() override { return documents; }
  Cp932Path ExecutablePath() override { return executable; }
  std::int32_t OsMajorVersion() override { return majorVersion; }
  RegistryDword ReadDword(RegistryRoot root, const AnsiString& subKey,
                          const AnsiString& valueName) override {
    readKeys.push_back(subKey + "\\" + valueName);
    keyRoot = root;
    auto key = registry.find(subKey);
    if (key == registry.end()) return {};
    auto value = key->second.find(valueName);
    if (value == key->second.end()) return {};
    return value->second;
  }

  static RegistryDword Dword(std::int32_t v) { return {RegistryDword::State::Read, v}; }
  void SetEnableLua(RegistryDword value) {
    registry["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"]["EnableLUA"] = value;
  }

  // Settings.
  std::optional<std::uint32_t> groupError;
  std::vector<std::int32_t> groupRids = {545, 544, 555};
  AnsiString systemDirectory = "C:\\WINDOWS\\system32";
  bool systemDirectoryThrows = false;
  Cp932Path documents{"C:\\Users\\taro\\Documents", true};
  Cp932Path executable{"C:\\Tools\\qvsetshare.exe", true};
  std::int32_t majorVersion = 6;
  std::map<AnsiString, std::map<AnsiString, RegistryDword>> registry;

  // Observations.
  std::vector<std::int32_t> askedGroups;
  std::vector<AnsiString> readKeys;
  RegistryRoot keyRoot{};
};

// Each opening of the browser answers with the next scripted pick (a cancel once they run out).
class FakeFolderBrowser : public IFolderBrowserPlatform {
 public:
  explicit FakeFolderBrowser(EventLog& log) : log_(log) {}

  struct Opening {
    AnsiString title, startPath;
  };

  std::optional<Cp932Path> BrowseForFolder(const AnsiString& title,
                                           const AnsiString& startPath) override {
    log_.push_back("browse");
    opened.push_back({title, startPath});
    if (picks.empty()) return std::nullopt;
    std::optional<Cp932Path> pick = picks.front();
    picks.pop_front();
    return pick;
  }

  void WillPick(const AnsiString& path, bool representable = true) {
    picks.push_back(Cp932Path{path, representable});
  }
  void WillCancel() { picks.push_back(std::nullopt); }

  std::deque<std::optional<Cp932Path>> picks;
  std::vector<Opening> opened;

 private:
  EventLog& log_;
};

// The dialog's logic driven as the message loop drives it: what a click's handler started in the
// background ends once the handler has returned.
class LoopedDialog : public ShareDialog {
 public:
  template <typename... Args>
  explicit LoopedDialog(FakeView& view, Args&&... args)
      : ShareDialog(view, std::forward<Args>(args)...), view_(view) {}
  void OnShareClick() {
    ShareDialog::OnShareClick();
    view_.DeliverPosted();
  }

 private:
  FakeView& view_;
};

// The whole dialog on fakes.
struct DialogRig {
  EventLog log;
  FakeView view{log};
  FakeMessageBoxes boxes{log};
  FakeProbePlatform probes;
  FakeSharePlatform shares{log};
  FakeGrantFolders folders{&log};
  ShareSetup job{shares, folders};
  FakeFolderBrowser browser{log};
  // A computer the other ones can reach: no box of its own after a share.
  FakeReachPlatform reach;
  FakeShareFiles shareFiles;
  LoopedDialog form{view, boxes, probes, browser, job, reach, shareFiles};

  // The dialog as start-up leaves it: created, second edition.
  void Create() {
    form.OnCreate();
    form.Fields().Edition = 1;
    log.clear();
  }
};

}  // namespace qv::test
