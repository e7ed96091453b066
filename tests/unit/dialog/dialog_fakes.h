// Fakes of the dialog's windows, message boxes and platform, for host tests. They share one
// event log so that a test can check the order of what the dialog did across all of them.
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
#include "dialog/share_creation.h"
#include "dialog/share_dialog.h"
#include "dialog/share_dialog_view.h"
#include "framework/errors.h"
#include "framework/message_box.h"
#include "reach/reach_fakes.h"

namespace qv::test {

using EventLog = std::vector<AnsiString>;

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

// Folders are kept by path with runs of backslashes folded and without a trailing one, and
// compared without regard to ASCII case, as the system does.
class FakeSharePlatform : public IShareCreationPlatform {
 public:
  explicit FakeSharePlatform(EventLog& log) : log_(log) {}

  static AnsiString Key(const AnsiString& path) {
    AnsiString out;
    bool afterBackslash = false;
    ForEachCp932Char(AnsiUpperCase(path), [&](const AnsiString& ch) {
      bool backslash = ch == "\\";
      if (!(backslash && afterBackslash)) out += ch;
      afterBackslash = backslash;
    });
    if (out.size() > 3 && afterBackslash) out.pop_back();
    return out;
  }
  void AddDirectory(const AnsiString& path) { directories.insert(Key(path)); }
  bool HasDirectory(const AnsiString& path) const {
    return directories.count(Key(Resolve(path))) > 0;
  }
  // Where a path leads once every link in it is followed and every short name expanded, spelled
  // as given elsewhere.
  AnsiString Resolve(const AnsiString& path) const {
    AnsiString current = path;
    for (int depth = 0; depth < 8; ++depth) {
      const AnsiString key = Key(current);
      auto leads = [&key](const auto& entry) {
        return key == entry.first || key.view().starts_with((entry.first + "\\").view());
      };
      // A short name is another name of the same folder; a link leads to another folder.
      auto link = std::find_if(longNames.begin(), longNames.end(), leads);
      if (link == longNames.end()) {
        link = std::find_if(links.begin(), links.end(), leads);
        if (link == links.end()) return current;
      }
      // The rest keeps its spelling unless folding backslashes changed its length.
      const AnsiString& rest = key.size() == current.size() ? current : key;
      current = link->second + rest.substr(link->first.size());
    }
    return current;
  }
  bool IsLink(const AnsiString& path) const { return links.count(Key(path)) > 0; }

  std::uint32_t FileAttributes(const AnsiString& path) override {
    const std::uint32_t reparse =
        IsLink(path) || mounts.count(Key(path)) ? kFileAttributeReparsePoint : 0;
    if (HasDirectory(path)) return kFileAttributeDirectory | reparse;
    if (files.count(Key(Resolve(path)))) return 0x20 | reparse;
    return kInvalidFileAttributes;
  }
  std::uint32_t MakeDirectory(const AnsiString& path) override {
    log_.push_back("mkdir " + path);
    if (failingDirectories.count(Key(path))) return kErrorAccessDenied;
    if (auto error = makeErrors.find(Key(path)); error != makeErrors.end()) return error->second;
    if (files.count(Key(Resolve(path))) || HasDirectory(path)) return 183;  // ERROR_ALREADY_EXISTS
    AnsiString parent = ExtractFilePath(ExcludeTrailingBackslash(path));
    if (!HasDirectory(parent)) return 3;  // ERROR_PATH_NOT_FOUND
    AddDirectory(Resolve(path));
    return 0;
  }
  std::uint32_t AddShare(const AnsiString& serverName, const ShareInfo502& share,
                         std::uint32_t& badParameter) override {
    log_.push_back("share");
    EXPECT_EQ(serverName, "");
    holdsAtShare.push_back(liveHolds);
    shares.push_back(share);
    badParameter = 0;
    if (shareResults.empty()) return 0;
    std::uint32_t r = shareResults.front();
    shareResults.pop_front();
    badParameter = shareBadParameter;
    return r;
  }
  bool VolumeKeepsAcls(const AnsiString& path) override {
    log_.push_back("volume " + path);
    return !fatVolume;
  }
  void NotifyShellChange(std::int32_t eventId, std::uint32_t flags,
                         const AnsiString& path) override {
    log_.push_back(Format("notify %#x %#x", static_cast<unsigned>(eventId), flags) +
                   (path.empty() ? "" : " " + path));
  }
  AnsiString SystemMessageText(std::uint32_t code) override {
    auto it = messageTexts.find(code);
    return it == messageTexts.end() ? AnsiString() : it->second;
  }
  AnsiString NetworkMessageText(std::uint32_t code) override {
    auto it = networkTexts.find(code);
    return it == networkTexts.end() ? AnsiString() : it->second;
  }
  std::vector<AnsiString> SystemFolders() override { return systemFolders; }
  AnsiString ProfilesFolder() override { return profilesFolder; }
  std::vector<AnsiString> SystemTrees() override { return systemTrees; }

  // The system's rules for an absolute drive path: forward slashes, "." and ".." components, and
  // trailing dots and spaces of the last component.
  AnsiString FullPath(const AnsiString& path) override {
    if (fullPathFails) return {};
    std::vector<AnsiString> parts;
    AnsiString part;
    auto flush = [&parts, &part] {
      if (part == "..") {
        if (parts.size() > 1) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      part = AnsiString();
    };
    ForEachCp932Char(path, [&](const AnsiString& ch) {
      if (ch == "\\" || ch == "/") {
        flush();
      } else {
        part += ch;
      }
    });
    while (!part.empty() && part != "." && part != ".." &&
           (part.back() == '.' || part.back() == ' ')) {
      part.pop_back();
    }
    flush();
    AnsiString full;
    for (const AnsiString& p : parts) full += full.empty() ? p : "\\" + p;
    return parts.size() == 1 ? full + "\\" : full;
  }
  // Short names are expanded wherever they stand in an existing path.
  AnsiString LongPath(const AnsiString& path) override {
    if (FileAttributes(path) == kInvalidFileAttributes) return {};
    AnsiString result = path;
    for (const auto& [shortName, longName] : longNames) {
      const AnsiString key = Key(result);
      if (key == shortName || key.view().starts_with((shortName + "\\").view())) {
        result = longName + result.substr(shortName.size());
      }
    }
    return result;
  }
  // As Windows does: a link opened itself has its own final path, its target is found by
  // following it. With wineLinks, as Wine does: the link is followed in both and no reparse point
  // is reported.
  std::unique_ptr<IFolderHold> OpenFolder(const AnsiString& path, FolderOpening opening,
                                          FolderIdentity& identity) override {
    opened.push_back({path, opening});
    identity = {};
    if (auto error = openErrors.find(Key(path)); error != openErrors.end()) {
      identity.error = error->second;
      return nullptr;
    }
    const std::uint32_t attributes = FileAttributes(path);
    if (attributes == kInvalidFileAttributes) {
      identity.error = 2;  // ERROR_FILE_NOT_FOUND
      return nullptr;
    }
    const AnsiString target = Resolve(path);
    const AnsiString parentTarget = Resolve(ExtractFilePath(ExcludeTrailingBackslash(path)));
    identity.attributes = wineLinks ? attributes & ~kFileAttributeReparsePoint : attributes;
    identity.targetPath = "\\\\?\\" + target;
    identity.finalPath = IsLink(path) && !wineLinks
                             ? "\\\\?\\" + parentTarget + ExtractFileName(path)
                             : identity.targetPath;
    return std::make_unique<Hold>(liveHolds);
  }
  TokenRights ProcessTokenRights() override { return token; }
  DriveFacts DriveOf(const AnsiString& path) override {
    auto drive = drives.find(AnsiUpperCase(path.substr(0, 1)));
    if (drive != drives.end()) return drive->second;
    return {HasDirectory(path.substr(0, 2) + "\\") ? kDriveFixed : kDriveNoRootDir,
            "\\Device\\HarddiskVolume1"};
  }

  bool fatVolume = false;
  std::map<std::uint32_t, AnsiString> networkTexts;
  std::vector<AnsiString> systemFolders{"C:\\Windows", "C:\\Program Files",
                                        "C:\\Program Files (x86)", "C:\\Users\\admin"};
  AnsiString profilesFolder = "C:\\Users";
  std::set<AnsiString> directories, files, failingDirectories;
  std::vector<ShareInfo502> shares;
  std::deque<std::uint32_t> shareResults;  // 0 once they run out
  std::uint32_t shareBadParameter = 0;     // named with every failing answer
  std::map<std::uint32_t, AnsiString> messageTexts;
  std::vector<AnsiString> systemTrees{"C:\\Windows", "C:\\Program Files",
                                      "C:\\Program Files (x86)"};
  // Links and mounted volumes by Key of their path; a link's target as the system spells it.
  std::map<AnsiString, AnsiString> links;
  std::set<AnsiString> mounts;
  bool wineLinks = false;
  // Short names by Key, to the long spelling of the same path.
  std::map<AnsiString, AnsiString> longNames;
  bool fullPathFails = false;
  std::map<AnsiString, std::uint32_t> openErrors;
  std::map<AnsiString, std::uint32_t> makeErrors;
  std::map<AnsiString, DriveFacts> drives;  // by drive letter; else fixed where the root exists  //
                                            // MakeDirectory's answer by Key
  TokenRights token{.administrator = true, .elevationKnown = true, .elevated = true};
  struct Opening {
    AnsiString path;
    FolderOpening opening;
  };
  std::vector<Opening> opened;
  int liveHolds = 0;
  std::vector<int> holdsAtShare;  // holds alive at each share call

 private:
  class Hold : public IFolderHold {
   public:
    explicit Hold(int& count) : count_(count) { ++count_; }
    ~Hold() override { --count_; }

   private:
    int& count_;
  };

  EventLog& log_;
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
  FakeFolderBrowser browser{log};
  std::vector<AnsiString> granted;
  std::optional<AnsiString> grantError;
  // A computer the other ones can reach: no box of its own after a share.
  FakeReachPlatform reach;
  FakeShareFiles shareFiles;
  LoopedDialog form{view,
                    boxes,
                    probes,
                    shares,
                    browser,
                    [this](const AnsiString& path) {
                      log.push_back("grant " + path);
                      granted.push_back(path);
                      if (grantError) throw Exception(*grantError);
                      return true;
                    },
                    reach,
                    shareFiles};

  // The dialog as start-up leaves it: created, second edition.
  void Create() {
    form.OnCreate();
    form.Fields().Edition = 1;
    log.clear();
  }
};

}  // namespace qv::test
