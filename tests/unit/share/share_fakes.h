// Fakes of the share job's platform and of the folders' access lists, for host tests. They log
// into one event log so that a test can check the order of what was done.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "framework/ansi_string.h"
#include "security/folder_security.h"
#include "share/share_platform.h"

namespace qv::test {

using EventLog = std::vector<AnsiString>;

// Folders are kept by path with runs of backslashes folded and without a trailing one, and
// compared without regard to ASCII case, as the system does.
class FakeSharePlatform : public ISharePlatform {
 public:
  explicit FakeSharePlatform(EventLog& log) : log_(log) {}

  static ShareDetails Reading(std::uint32_t result, const AnsiString& path = {},
                              const std::vector<std::uint8_t>& descriptor = {},
                              bool descriptorUnreadable = false) {
    ShareDetails reading;
    reading.result = result;
    reading.path = path;
    reading.descriptor = descriptor;
    reading.descriptorUnreadable = descriptorUnreadable;
    return reading;
  }

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
  std::uint32_t AddShare(const ShareInfo502& share, std::uint32_t& badParameter) override {
    log_.push_back("share");
    holdsAtShare.push_back(liveHolds);
    shares.push_back(share);
    badParameter = 0;
    if (shareResults.empty()) return 0;
    std::uint32_t r = shareResults.front();
    shareResults.pop_front();
    badParameter = shareBadParameter;
    return r;
  }
  ShareDetails ReadShare(const AnsiString& name) override {
    log_.push_back("read share " + name);
    return existingShare;
  }
  std::uint32_t SetSharePermissions(const AnsiString& name,
                                    const std::vector<std::uint8_t>& descriptor,
                                    std::uint32_t& badParameter) override {
    log_.push_back("share permissions " + name);
    permissionsGiven.push_back(descriptor);
    badParameter = permissionsResult != 0 ? shareBadParameter : 0;
    return permissionsResult;
  }
  bool VolumeKeepsAcls(const AnsiString& path) override {
    log_.push_back("volume " + path);
    return !fatVolume;
  }
  void AnnounceShare(const AnsiString& path) override { log_.push_back("announce " + path); }
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
  std::deque<std::uint32_t> shareResults;      // 0 once they run out
  std::uint32_t shareBadParameter = 0;         // named with every failing answer
  ShareDetails existingShare = Reading(2310);  // what reading a share answers (none by default)
  std::uint32_t permissionsResult = 0;         // what giving a share permissions answers
  std::vector<std::vector<std::uint8_t>> permissionsGiven;
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

// Every folder opens as itself with an empty access list; writing the list is the grant.
class FakeGrantFolders : public IFolderSecurity {
 public:
  explicit FakeGrantFolders(EventLog* log = nullptr) : log_(log) {}

  FolderDacl ReadDacl(const AnsiString&) override { return List(); }
  std::unique_ptr<IOpenedFolder> OpenFolder(const AnsiString& path,
                                            FolderIdentity& identity) override {
    identity = {.error = 0,
                .attributes = kFileAttributeDirectory,
                .finalPath = "\\\\?\\" + path,
                .targetPath = "\\\\?\\" + path};
    return std::make_unique<Opened>(*this, path);
  }

  std::uint32_t writeError = 0;  // the write's answer: the system's code, or 0
  bool noList = false;           // a folder without a list, as on a volume without security
  std::function<void()> atGrant;
  std::vector<AnsiString> granted;

 private:
  FolderDacl List() const {
    if (noList) return {.error = 0, .control = 0, .present = false, .dacl = {}};
    // An empty list: revision 2, its size (8), no entries.
    return {.error = 0, .control = 0, .present = true, .dacl = {2, 0, 8, 0, 0, 0, 0, 0}};
  }

  class Opened : public IOpenedFolder {
   public:
    Opened(FakeGrantFolders& owner, AnsiString path) : owner_(owner), path_(std::move(path)) {}
    FolderDacl ReadDacl() override { return owner_.List(); }
    std::uint32_t WriteDacl(std::uint32_t, ByteView) override {
      if (owner_.log_) owner_.log_->push_back("grant " + path_);
      owner_.granted.push_back(path_);
      if (owner_.atGrant) owner_.atGrant();
      return owner_.writeError;
    }

   private:
    FakeGrantFolders& owner_;
    AnsiString path_;
  };

  EventLog* log_;
};

}  // namespace qv::test
