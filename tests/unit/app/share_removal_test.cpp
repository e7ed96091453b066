#include "app/share_removal.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "dialog/dialog_fakes.h"
#include "security/security_bytes.h"

namespace qv {
namespace {

using qv::testing::Ace;
using qv::testing::Acl;
using qv::testing::Hex;
namespace sids = qv::testing::sids;

const AnsiString kPath = "C:\\VeltoData";
const FolderIdentity kPlain{0, 0x10, "\\\\?\\C:\\VeltoData", "\\\\?\\C:\\VeltoData"};

// The entry the share job adds, and entries of the same trustee that it does not add: built from
// bytes apart from the code under test.
const Bytes kJobEntry = Ace(0x00, 0x03, 0x001F01FF, sids::kEveryone);
const Bytes kEveryoneRead = Ace(0x00, 0x03, 0x001200A9, sids::kEveryone);
const Bytes kEveryoneInherited = Ace(0x00, 0x13, 0x001F01FF, sids::kEveryone);
const Bytes kEveryoneInheritOnly = Ace(0x00, 0x0B, 0x001F01FF, sids::kEveryone);
const Bytes kEveryoneFilesOnly = Ace(0x00, 0x01, 0x001F01FF, sids::kEveryone);
const Bytes kEveryoneNoPropagate = Ace(0x00, 0x07, 0x001F01FF, sids::kEveryone);
const Bytes kEveryoneMoreRights = Ace(0x00, 0x03, 0x101F01FF, sids::kEveryone);
const Bytes kEveryoneDeny = Ace(0x01, 0x03, 0x001F01FF, sids::kEveryone);
const Bytes kUsersFull = Ace(0x00, 0x03, 0x001F01FF, sids::kUsers);
const Bytes kInheritedSystem = Ace(0x00, 0x13, 0x001F01FF, sids::kSystem);
const Bytes kInheritedAdmins = Ace(0x00, 0x13, 0x001F01FF, sids::kAdmins);

// One list of what happened, in order, across the server, the folder and the boxes.
using Events = std::vector<std::string>;

class FakeRemoval : public IShareRemovalPlatform {
 public:
  explicit FakeRemoval(Events& events) : events_(events) {}
  ShareDetails GetShare(const AnsiString& name) override {
    events_.push_back("get " + std::string(name.bytes()));
    return share;
  }
  std::uint32_t DeleteShare(const AnsiString& name) override {
    events_.push_back("delete " + std::string(name.bytes()));
    return deleteResult;
  }
  AnsiString DaclText(std::uint16_t control, ByteView dacl) override {
    return AnsiString(Format("%04x:", control)) + AnsiString(Hex(dacl).c_str());
  }

  ShareDetails share{0, kPath, "", {}};
  std::uint32_t deleteResult = 0;

 private:
  Events& events_;
};

// One folder, opened by path; the identity says what the open found.
class FakeFolder : public IFolderSecurity {
 public:
  explicit FakeFolder(Events& events) : events_(events) {}
  FolderDacl ReadDacl(const AnsiString&) override {
    events_.push_back("read by name");
    return read;
  }
  std::unique_ptr<IOpenedFolder> OpenFolder(const AnsiString& path,
                                            FolderIdentity& found) override {
    events_.push_back("open " + std::string(path.bytes()));
    found = identity;
    if (found.error != 0) return nullptr;
    return std::make_unique<Opened>(*this);
  }

  FolderIdentity identity = kPlain;
  FolderDacl read;
  std::uint32_t writeResult = 0;
  std::optional<std::uint32_t> writtenInformation;
  Bytes written;

 private:
  class Opened : public IOpenedFolder {
   public:
    explicit Opened(FakeFolder& owner) : owner_(owner) {}
    FolderDacl ReadDacl() override {
      owner_.events_.push_back("read");
      return owner_.read;
    }
    std::uint32_t WriteDacl(std::uint32_t information, ByteView dacl) override {
      owner_.events_.push_back("write");
      owner_.writtenInformation = information;
      owner_.written.assign(dacl.begin(), dacl.end());
      return owner_.writeResult;
    }

   private:
    FakeFolder& owner_;
  };
  Events& events_;
};

class Lines : public IRunReport {
 public:
  void Tell(const AnsiString& text) override { told.push_back(text); }
  bool Holds(const AnsiString& line) const {
    return std::find(told.begin(), told.end(), line) != told.end();
  }
  std::vector<AnsiString> told;
};

class ShareRemovalTest : public ::testing::Test {
 protected:
  void Folder(const std::vector<Bytes>& entries, std::uint16_t control = 0x8404) {
    folders.read = {0, control, true, Acl(2, entries)};
  }
  int Run(bool yes = true) {
    return RunShareRemoval({"VeltoData", yes}, shares, folders, boxes, platform, lines);
  }

  Events events;
  test::EventLog boxLog;
  test::FakeSharePlatform platform{boxLog};
  FakeRemoval shares{events};
  FakeFolder folders{events};
  test::FakeMessageBoxes boxes{boxLog};
  Lines lines;
};

// Only the share job's own entry goes; every other entry stays, byte for byte and in order,
// whatever it grants and however it is inherited.
TEST_F(ShareRemovalTest, TakesOutOnlyTheShareJobsEntry) {
  struct Case {
    const char* why;
    std::vector<Bytes> before;
    std::uint16_t control;
    std::optional<std::vector<Bytes>> after;  // none: nothing is written
    std::uint32_t information;
  } cases[] = {
      {"the entry the share job added",
       {kJobEntry, kInheritedSystem, kInheritedAdmins},
       0x8404,
       std::vector<Bytes>{kInheritedSystem, kInheritedAdmins},
       0x00000004},
      {"no such entry: the folder is left alone",
       {kUsersFull, kInheritedSystem},
       0x8404,
       std::nullopt,
       0},
      {"Everyone entries of other rights, flags or kind are kept",
       {kEveryoneDeny, kEveryoneRead, kEveryoneInheritOnly, kEveryoneFilesOnly,
        kEveryoneNoPropagate, kEveryoneMoreRights, kJobEntry, kUsersFull, kEveryoneInherited},
       0x8404,
       std::vector<Bytes>{kEveryoneDeny, kEveryoneRead, kEveryoneInheritOnly, kEveryoneFilesOnly,
                          kEveryoneNoPropagate, kEveryoneMoreRights, kUsersFull,
                          kEveryoneInherited},
       0x00000004},
      {"only Everyone entries of other kinds: nothing to take out",
       {kEveryoneRead, kEveryoneInherited, kEveryoneMoreRights},
       0x8404,
       std::nullopt,
       0},
      {"a protected list stays protected",
       {kUsersFull, kJobEntry},
       0x9004,
       std::vector<Bytes>{kUsersFull},
       0x80000004},
      {"a list whose SACL is protected keeps that too",
       {kJobEntry},
       0xA004,
       std::vector<Bytes>{},
       0x40000004},
      {"the entry twice: neither stays",
       {kJobEntry, kUsersFull, kJobEntry},
       0x8404,
       std::vector<Bytes>{kUsersFull},
       0x00000004},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    events.clear();
    lines.told.clear();
    folders.written.clear();
    folders.writtenInformation.reset();
    Folder(c.before, c.control);
    EXPECT_EQ(Run(), kExitDone);
    if (c.after) {
      EXPECT_EQ(Hex(folders.written), Hex(Acl(2, *c.after)));
      EXPECT_EQ(folders.writtenInformation, c.information);
      EXPECT_EQ(events, (Events{"get VeltoData", "open " + std::string(kPath.bytes()), "read",
                                "delete VeltoData", "write"}));
      EXPECT_TRUE(lines.Holds("フォルダから Everyone のフル コントロールを外しました。"));
    } else {
      EXPECT_EQ(folders.writtenInformation, std::nullopt);
      EXPECT_EQ(events, (Events{"get VeltoData", "open " + std::string(kPath.bytes()), "read",
                                "delete VeltoData"}));
      EXPECT_TRUE(
          lines.Holds("フォルダにはこのプログラムが付ける Everyone の許可がないため、"
                      "フォルダはそのままです。"));
    }
    // What was there is told before anything changes, so that it can be put back.
    const AnsiString before =
        "変更前のフォルダのアクセス許可 (SDDL): " + AnsiString(Format("%04x:", c.control)) +
        AnsiString(Hex(Acl(2, c.before)).c_str());
    EXPECT_TRUE(lines.Holds(before));
    EXPECT_TRUE(lines.Holds("フォルダとその中のファイルは削除していません。"));
  }
}

// Whatever stops the removal before the share is gone changes nothing at all; what fails after it
// is told and leaves the rest.
TEST_F(ShareRemovalTest, FailuresAndTheirCodes) {
  struct Case {
    const char* why;
    std::uint32_t shareResult;
    FolderIdentity identity;
    std::uint32_t readError;
    std::uint32_t deleteResult;
    std::uint32_t writeResult;
    int code;
    Events events;
  } cases[] = {
      {"no such share", 2310, {}, 0, 0, 0, kExitNameInUse, {"get VeltoData"}},
      {"the share cannot be read: access denied",
       5,
       {},
       0,
       0,
       0,
       kExitNotAllowed,
       {"get VeltoData"}},
      {"the share cannot be read: another error",
       87,
       {},
       0,
       0,
       0,
       kExitShareFailed,
       {"get VeltoData"}},
      {"the share's folder is now a link",
       0,
       {0, 0x410, "\\\\?\\C:\\VeltoData", "\\\\?\\C:\\Windows"},
       0,
       0,
       0,
       kExitShareFailed,
       {"get VeltoData", "open C:\\VeltoData"}},
      {"another folder swapped in at the path",
       0,
       {0, 0x10, "\\\\?\\C:\\Elsewhere", "\\\\?\\C:\\Elsewhere"},
       0,
       0,
       0,
       kExitShareFailed,
       {"get VeltoData", "open C:\\VeltoData"}},
      {"a file at the path",
       0,
       {0, 0x20, "\\\\?\\C:\\VeltoData", "\\\\?\\C:\\VeltoData"},
       0,
       0,
       0,
       kExitShareFailed,
       {"get VeltoData", "open C:\\VeltoData"}},
      {"the folder cannot be opened: access denied",
       0,
       {5, 0, "", ""},
       0,
       0,
       0,
       kExitNotAllowed,
       {"get VeltoData", "open C:\\VeltoData"}},
      {"the folder's list cannot be read",
       0,
       kPlain,
       5,
       0,
       0,
       kExitNotAllowed,
       {"get VeltoData", "open C:\\VeltoData", "read"}},
      {"the share cannot be removed: access denied",
       0,
       kPlain,
       0,
       5,
       0,
       kExitNotAllowed,
       {"get VeltoData", "open C:\\VeltoData", "read", "delete VeltoData"}},
      {"the share went meanwhile",
       0,
       kPlain,
       0,
       2310,
       0,
       kExitNameInUse,
       {"get VeltoData", "open C:\\VeltoData", "read", "delete VeltoData"}},
      {"the list cannot be written: access denied",
       0,
       kPlain,
       0,
       0,
       5,
       kExitNotAllowed,
       {"get VeltoData", "open C:\\VeltoData", "read", "delete VeltoData", "write"}},
      {"the list cannot be written: another error",
       0,
       kPlain,
       0,
       0,
       1336,
       kExitShareFailed,
       {"get VeltoData", "open C:\\VeltoData", "read", "delete VeltoData", "write"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    events.clear();
    lines.told.clear();
    shares.share.result = c.shareResult;
    shares.deleteResult = c.deleteResult;
    folders.identity = c.identity;
    Folder({kJobEntry, kInheritedSystem});
    folders.read.error = c.readError;
    folders.writeResult = c.writeResult;
    EXPECT_EQ(Run(), c.code);
    EXPECT_EQ(events, c.events);
  }
}

TEST_F(ShareRemovalTest, ALinkIsNamedAndNothingIsChanged) {
  folders.identity = {0, 0x410, "\\\\?\\C:\\VeltoData", "\\\\?\\C:\\Windows"};
  Folder({kJobEntry});
  EXPECT_EQ(Run(), kExitShareFailed);
  EXPECT_TRUE(lines.Holds("共有のフォルダは別の場所へのリンクです。何も変更していません。"));
  EXPECT_TRUE(lines.Holds("リンク先: C:\\Windows"));
}

// A folder deleted since it was shared, or one without a list: the share alone goes.
TEST_F(ShareRemovalTest, NoFolderOrNoListLeavesOnlyTheShare) {
  struct Case {
    const char* why;
    std::uint32_t openError;
    bool present;
    Events events;
  } cases[] = {
      {"the folder is gone", 2, true, {"get VeltoData", "open C:\\VeltoData", "delete VeltoData"}},
      {"a folder above is gone",
       3,
       true,
       {"get VeltoData", "open C:\\VeltoData", "delete VeltoData"}},
      {"no list at all",
       0,
       false,
       {"get VeltoData", "open C:\\VeltoData", "read", "delete VeltoData"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    events.clear();
    folders.identity.error = c.openError;
    folders.read = {0, 0x8000, c.present, {}};
    EXPECT_EQ(Run(), kExitDone);
    EXPECT_EQ(events, c.events);
  }
}

// The share is the one the server keeps under the name: its folder, not a folder named anywhere
// else, is the one changed.
TEST_F(ShareRemovalTest, TheFolderIsTheSharesOwn) {
  shares.share.path = "D:\\Other";
  folders.identity = {0, 0x10, "\\\\?\\D:\\Other", "\\\\?\\D:\\Other"};
  Folder({kJobEntry});
  EXPECT_EQ(Run(), kExitDone);
  EXPECT_EQ(events,
            (Events{"get VeltoData", "open D:\\Other", "read", "delete VeltoData", "write"}));
  EXPECT_TRUE(lines.Holds("共有のパス: D:\\Other"));
}

TEST_F(ShareRemovalTest, AskedFirstWithoutYes) {
  struct Case {
    const char* why;
    int answer;
    int code;
    Events events;
  } cases[] = {
      {"OK",
       MessageResult::Ok,
       kExitDone,
       {"get VeltoData", "open C:\\VeltoData", "read", "delete VeltoData", "write"}},
      {"キャンセル",
       MessageResult::Cancel,
       kExitRefused,
       {"get VeltoData", "open C:\\VeltoData", "read"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    events.clear();
    boxes.shown.clear();
    boxes.answers = {c.answer};
    Folder({kJobEntry});
    EXPECT_EQ(Run(false), c.code);
    EXPECT_EQ(events, c.events);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "共有「VeltoData」を削除し、フォルダ「C:\\VeltoData」から Everyone のフル "
              "コントロールを外します。\rフォルダとその中のファイルは削除しません。\r"
              "よろしいですか?\r");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButton::Ok | MessageButton::Cancel);
    EXPECT_EQ(boxes.shown[0].defaultResult, MessageResult::Cancel);
  }
  // With /yes nothing is asked.
  boxes.shown.clear();
  Folder({kJobEntry});
  EXPECT_EQ(Run(true), kExitDone);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace qv
