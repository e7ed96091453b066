// Fakes of the dialog's windows, message boxes and platform, for host tests. They share one
// event log so that a test can check the order of what the dialog did across all of them.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/environment_probes.h"
#include "dialog/folder_browser.h"
#include "dialog/set_share.h"
#include "dialog/set_share_view.h"
#include "dialog/share_creation.h"
#include "framework/errors.h"
#include "framework/message_box.h"

namespace qv::test {

using EventLog = std::vector<std::string>;

class FakeView : public ISetShareView {
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
  void SetExampleLabelColor(TColor color) override { exampleColor = color; }
  void CenterButtonCaptions() override { captionsCentred = true; }
  AnsiString ExecutablePath() override { return executablePath; }

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
  // Runs the work at once unless holdWork is set; then the test releases it with FinishWork.
  void RunInBackground(std::function<void()> work, std::function<void()> done) override {
    EXPECT_FALSE(pendingDone) << "work started while other work was pending";
    if (failToStart) throw Exception("no thread");
    pendingWork = std::move(work);
    pendingDone = std::move(done);
    if (!holdWork) FinishWork();
  }
  void FinishWork() {
    ASSERT_TRUE(pendingDone) << "no work pending";
    auto work = std::move(pendingWork);
    auto done = std::move(pendingDone);
    pendingWork = nullptr;
    pendingDone = nullptr;
    work();
    done();
  }

  AnsiString sharePath, shareName;
  AnsiString iconTitleFont = "Meiryo UI";
  std::set<AnsiString> rejectedFonts;
  std::vector<AnsiString> fontNamesTried;
  AnsiString fontName = "ＭＳ Ｐゴシック";
  AnsiString top1, top2, top3;
  TColor exampleColor = 0;
  bool captionsCentred = false;
  AnsiString executablePath = "C:\\Program Files\\Velto\\qvsetshare.exe";
  bool visible = true;
  int closeCount = 0;
  bool busy = false;
  bool holdWork = false;
  bool failToStart = false;
  std::function<void()> pendingWork, pendingDone;

 private:
  EventLog& log_;
};

struct ShownMessage {
  AnsiString text;
  MsgDlgType type;
  MsgDlgButtons buttons;
  int defaultResult = mrNone;
};

class FakeMessageBoxes : public IMessageBoxes {
 public:
  explicit FakeMessageBoxes(EventLog& log) : log_(log) {}
  int MessageDlg(const AnsiString& text, MsgDlgType type, MsgDlgButtons buttons,
                 int defaultResult = mrNone) override {
    shown.push_back({text, type, buttons, defaultResult});
    if (onShow) onShow();
    log_.push_back("message");
    if (answers.empty()) return mrOk;
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

// Group lists are written as a 32-bit count followed by one 32-bit rid of S-1-5-32-<rid> per
// entry; SIDs are handles whose value is the rid plus a tag.
class FakeProbePlatform : public IProbePlatform {
 public:
  static constexpr OsHandle kToken = 0x70;
  static constexpr OsHandle kSidTag = 0x100000;
  static constexpr OsHandle kKey = 0x90;

  std::uint32_t LastError() override { return lastError; }
  AnsiString SystemErrorText(std::uint32_t code) override {
    return Format("text of %u", static_cast<unsigned>(code));
  }

  OsHandle OpenCurrentProcessToken(std::uint32_t access) override {
    tokenAccess = access;
    if (openTokenError) {
      Fail(*openTokenError);
      return 0;
    }
    ++openTokens;
    return kToken;
  }
  void CloseTokenHandle(OsHandle token) override {
    EXPECT_EQ(token, kToken);
    --openTokens;
  }
  bool ReadTokenGroups(OsHandle token, std::span<std::byte> buffer,
                       std::uint32_t& returnLength) override {
    EXPECT_EQ(token, kToken);
    readSizes.push_back(buffer.size());
    if (readTokenError) return Fail(*readTokenError);
    std::uint32_t needed = groupListBytes + growthPerRead * static_cast<int>(readSizes.size() - 1);
    if (buffer.size() < needed) {
      returnLength = needed;
      return Fail(122);
    }
    std::uint32_t count = static_cast<std::uint32_t>(groupRids.size());
    std::memcpy(buffer.data(), &count, 4);
    for (std::uint32_t i = 0; i < count; ++i)
      std::memcpy(buffer.data() + 4 + 4 * i, &groupRids[i], 4);
    returnLength = needed;
    return true;
  }
  std::uint32_t TokenGroupCount(std::span<const std::byte> groups) override {
    std::uint32_t count;
    std::memcpy(&count, groups.data(), 4);
    return count;
  }
  bool TokenGroupSidEquals(std::span<const std::byte> groups, std::uint32_t index,
                           OsHandle sid) override {
    std::uint32_t rid;
    std::memcpy(&rid, groups.data() + 4 + 4 * index, 4);
    ++comparisons;
    return rid + kSidTag == sid;
  }
  OsHandle AllocateSid(const SidAuthority& authority,
                       std::span<const std::uint32_t> subAuthorities) override {
    sidAuthority = authority;
    sidSubAuthorities.assign(subAuthorities.begin(), subAuthorities.end());
    if (allocateSidError) {
      Fail(*allocateSidError);
      return 0;
    }
    ++liveSids;
    return kSidTag + subAuthorities.back();
  }
  void ReleaseSid(OsHandle) override { --liveSids; }

  AnsiString SystemDirectory() override {
    if (systemDirectoryThrows) throw Exception("no system directory");
    return systemDirectory;
  }
  Cp932Path SpecialFolderPath(int csidl) override {
    EXPECT_EQ(csidl, 5);
    return documents;
  }
  Cp932Path ExecutablePath() override { return executable; }
  std::int32_t OsMajorVersion() override { return majorVersion; }

  OsHandle OpenRegistryKey(RegRoot root, const AnsiString& subKey, std::uint32_t access) override {
    openedKeys.push_back(subKey);
    keyRoot = root;
    keyAccess = access;
    if (!registry.count(subKey)) return 0;
    openSubKey = subKey;
    ++openKeys;
    return kKey;
  }
  void CloseRegistryKey(OsHandle key) override {
    EXPECT_EQ(key, kKey);
    --openKeys;
  }
  RegValueInfo QueryRegistryValue(OsHandle, const AnsiString& name) override {
    auto& values = registry[openSubKey];
    auto it = values.find(name);
    if (it == values.end()) return {};
    return {true, it->second.type, static_cast<std::uint32_t>(it->second.data.size())};
  }
  bool ReadRegistryData(OsHandle, const AnsiString& name, std::span<std::byte> buffer,
                        std::uint32_t& dataSize) override {
    const auto& value = registry[openSubKey].at(name);
    dataSize = static_cast<std::uint32_t>(value.data.size());
    if (value.data.size() > buffer.size()) return false;
    std::memcpy(buffer.data(), value.data.data(), value.data.size());
    return true;
  }

  struct RegValue {
    std::uint32_t type;
    std::vector<std::byte> data;
  };
  static RegValue Dword(std::uint32_t v) {
    RegValue r{4, std::vector<std::byte>(4)};
    std::memcpy(r.data.data(), &v, 4);
    return r;
  }
  void SetEnableLua(RegValue value) {
    registry["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"]["EnableLUA"] = value;
  }

  // Settings.
  std::uint32_t lastError = 0;
  std::optional<std::uint32_t> openTokenError, readTokenError, allocateSidError;
  std::vector<std::uint32_t> groupRids = {545, 544, 555};
  std::uint32_t groupListBytes = 200;
  std::uint32_t growthPerRead = 0;
  AnsiString systemDirectory = "C:\\WINDOWS\\system32";
  bool systemDirectoryThrows = false;
  Cp932Path documents{"C:\\Users\\taro\\Documents", true};
  Cp932Path executable{"C:\\Tools\\qvsetshare.exe", true};
  std::int32_t majorVersion = 6;
  std::map<AnsiString, std::map<AnsiString, RegValue>> registry;

  // Observations.
  std::uint32_t tokenAccess = 0;
  int openTokens = 0, liveSids = 0, openKeys = 0, comparisons = 0;
  std::vector<std::size_t> readSizes;
  SidAuthority sidAuthority{};
  std::vector<std::uint32_t> sidSubAuthorities;
  std::vector<AnsiString> openedKeys;
  RegRoot keyRoot{};
  std::uint32_t keyAccess = 0;

 private:
  bool Fail(std::uint32_t code) {
    lastError = code;
    return false;
  }
  AnsiString openSubKey;
};

// Folders are kept by path with runs of backslashes folded and without a trailing one, and
// compared without regard to ASCII case, as the system does.
class FakeSharePlatform : public IShareCreationPlatform {
 public:
  explicit FakeSharePlatform(EventLog& log) : log_(log) {}

  static AnsiString Key(const AnsiString& path) {
    AnsiString out;
    bool afterBackslash = false;
    ForEachCp932Char(AnsiUpperCase(path), [&](std::string_view ch) {
      bool backslash = ch == "\\";
      if (!(backslash && afterBackslash)) out.append(ch);
      afterBackslash = backslash;
    });
    if (out.size() > 3 && afterBackslash) out.pop_back();
    return out;
  }
  void AddDirectory(const AnsiString& path) { directories.insert(Key(path)); }
  bool HasDirectory(const AnsiString& path) const { return directories.count(Key(path)) > 0; }

  std::uint32_t FileAttributes(const AnsiString& path) override {
    if (HasDirectory(path)) return 0x10;
    if (files.count(Key(path))) return 0x20;
    return kInvalidFileAttributes;
  }
  std::uint32_t MakeDirectory(const AnsiString& path) override {
    log_.push_back("mkdir " + path);
    if (failingDirectories.count(Key(path))) return kErrorAccessDenied;
    if (files.count(Key(path)) || HasDirectory(path)) return 183;  // ERROR_ALREADY_EXISTS
    AnsiString parent = ExtractFilePath(ExcludeTrailingBackslash(path));
    if (!HasDirectory(parent)) return 3;  // ERROR_PATH_NOT_FOUND
    AddDirectory(path);
    return 0;
  }
  std::uint32_t AddShare(const AnsiString& serverName, const ShareInfo502& share) override {
    log_.push_back("share");
    EXPECT_EQ(serverName, "");
    shares.push_back(share);
    if (shareResults.empty()) return 0;
    std::uint32_t r = shareResults.front();
    shareResults.pop_front();
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

  bool fatVolume = false;
  std::map<std::uint32_t, AnsiString> networkTexts;
  std::vector<AnsiString> systemFolders{"C:\\Windows", "C:\\Program Files",
                                        "C:\\Program Files (x86)", "C:\\Users\\admin"};
  AnsiString profilesFolder = "C:\\Users";
  std::set<AnsiString> directories, files, failingDirectories;
  std::vector<ShareInfo502> shares;
  std::deque<std::uint32_t> shareResults;  // 0 once they run out
  std::map<std::uint32_t, AnsiString> messageTexts;

 private:
  EventLog& log_;
};

struct ScriptedPick {
  ItemIdList items;  // 0: the user cancels
};

class FakeFolderBrowser : public IFolderBrowserPlatform {
 public:
  static constexpr WindowHandle kForeground = 0x4242;
  static constexpr WindowHandle kBrowserWindow = 0x5151;

  explicit FakeFolderBrowser(EventLog& log) : log_(log) {}

  bool AcquireShellAllocator() override {
    if (!allocatorAvailable) return false;
    ++allocatorsHeld;
    return true;
  }
  void ReleaseShellAllocator() override { --allocatorsHeld; }
  void FreeItemIdList(ItemIdList items) override { freed.push_back(items); }
  WindowHandle ForegroundWindow() override { return kForeground; }

  // Opens "the browser": runs the callback as the shell does, then answers the next pick.
  ItemIdList BrowseForFolder(const BrowseInfo& info) override {
    log_.push_back("browse");
    opened.push_back(info);
    EXPECT_GT(allocatorsHeld, 0);
    EXPECT_EQ(info.callback(kBrowserWindow, kBffmInitialized, 0, info.callbackData), 0);
    ItemIdList pick = picks.empty() ? 0 : picks.front();
    if (!picks.empty()) picks.pop_front();
    if (pick != 0) {
      returned.push_back(pick);
      EXPECT_EQ(info.callback(kBrowserWindow, kBffmSelChanged, static_cast<std::intptr_t>(pick),
                              info.callbackData),
                0);
    }
    return pick;
  }
  std::optional<Cp932Path> PathFromIdList(ItemIdList items) override {
    auto it = paths.find(items);
    if (it == paths.end()) return std::nullopt;
    return it->second;
  }
  void SendSetSelection(WindowHandle browser, const AnsiString& path) override {
    EXPECT_EQ(browser, kBrowserWindow);
    selections.push_back(path);
  }
  void SendSetStatusText(WindowHandle browser, const AnsiString& text) override {
    EXPECT_EQ(browser, kBrowserWindow);
    statusTexts.push_back(text);
  }

  // Makes the next opening of the browser answer with path.
  void WillPick(const AnsiString& path, bool representable = true) {
    ItemIdList id = nextId++;
    paths[id] = Cp932Path{path, representable};
    picks.push_back(id);
  }
  void WillCancel() { picks.push_back(0); }

  bool allocatorAvailable = true;
  int allocatorsHeld = 0;
  std::deque<ItemIdList> picks;
  std::map<ItemIdList, Cp932Path> paths;
  std::vector<BrowseInfo> opened;
  std::vector<ItemIdList> returned, freed;
  std::vector<AnsiString> selections, statusTexts;
  ItemIdList nextId = 0x1000;

 private:
  EventLog& log_;
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
  TfmSetShare form{view, boxes, probes, shares, browser, [this](const AnsiString& path) {
                     log.push_back("grant " + path);
                     granted.push_back(path);
                     if (grantError) throw Exception(*grantError);
                     return true;
                   }};

  // The dialog as start-up leaves it: created, second edition.
  void Create() {
    form.FormCreate();
    form.Fields().Edition = 1;
    log.clear();
  }
};

}  // namespace qv::test
