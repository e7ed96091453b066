#include <gtest/gtest.h>

#include <set>

#include "app/command_line.h"
#include "app/share_check.h"
#include "dialog/dialog_fakes.h"
#include "security/dacl.h"
#include "security/everyone_access.h"
#include "security/share_descriptor.h"
#include "security/sid.h"

namespace qv {
namespace {

class FakeLookup : public IShareLookup {
 public:
  ShareDetails GetShare(const AnsiString& name) override {
    asked = name;
    return share;
  }
  bool FolderExists(const AnsiString& path) override {
    return folderExists && missing.count(path) == 0;
  }
  VolumeDetails Volume(const AnsiString&) override { return volume; }

  ShareDetails share{0, "C:\\VeltoData", "Quarnel財務 共有フォルダ:VeltoData",
                     ShareDescriptorEveryoneFullControl()};
  bool folderExists = true;
  VolumeDetails volume{"NTFS", true};
  std::set<AnsiString> missing;
  AnsiString asked;
};

class FakeFolders : public IFolderSecurity {
 public:
  FolderDacl ReadDacl(const AnsiString&) override { return dacl; }
  std::unique_ptr<IOpenedFolder> OpenFolder(const AnsiString&, FolderIdentity& identity) override {
    ADD_FAILURE() << "the check writes nothing";
    identity.error = 5;
    return nullptr;
  }
  FolderDacl dacl;
};

class Lines : public IRunReport {
 public:
  void Tell(const AnsiString& text) override { told.push_back(text); }
  std::vector<AnsiString> told;
};

Sid Users() {
  const Bytes users = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};  // S-1-5-32-545
  return Sid(users);
}

Bytes DaclOf(std::initializer_list<AccessEntry> entries) {
  Dacl dacl;
  for (const AccessEntry& e : entries) dacl.InsertBeforeInherited(e);
  return dacl.Build();
}

class ShareCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    folders.dacl = {0, 0x8004, true,
                    DaclOf({AccessEntry(ace::kAccessAllowed, 0x03, kFullControl, EveryoneSid())})};
  }
  int Run() { return RunShareCheck("VeltoData", lookup, folders, platform, lines); }
  AnsiString Line(const AnsiString& prefix) {
    for (const AnsiString& l : lines.told) {
      if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
    }
    return "<missing>";
  }
  test::EventLog log;
  test::FakeSharePlatform platform{log};
  FakeLookup lookup;
  FakeFolders folders;
  Lines lines;
};

TEST_F(ShareCheckTest, ShareAsThisProgramMakesItIsInOrder) {
  EXPECT_EQ(Run(), kExitDone);
  EXPECT_EQ(lookup.asked, "VeltoData");
  EXPECT_EQ(lines.told, (std::vector<AnsiString>{
                            "共有名: VeltoData",
                            "共有のパス: C:\\VeltoData",
                            "共有のコメント: Quarnel財務 共有フォルダ:VeltoData",
                            "共有のアクセス許可 (Everyone): フル コントロール",
                            "フォルダ: あります",
                            "データのフォルダ: あります",
                            "ファイル システム: NTFS",
                            "フォルダのアクセス許可 (Everyone): フル コントロール",
                            "判定: 問題ありません。",
                        }));
}

TEST_F(ShareCheckTest, AMissingShare) {
  lookup.share = {2310, "", "", {}};
  EXPECT_EQ(Run(), kExitCheckFailed);
  EXPECT_EQ(lines.told, (std::vector<AnsiString>{"共有名: VeltoData", "共有: ありません",
                                                 "判定: 共有が設定されていません。"}));
}

TEST_F(ShareCheckTest, ShareErrorsOtherThanMissing) {
  lookup.share = {5, "", "", {}};
  platform.messageTexts = {{5, "アクセスが拒否されました。\r\n"}};
  EXPECT_EQ(Run(), kExitNotAllowed) << "access denied is the caller's to mend, as for /quiet";
  EXPECT_EQ(Line("共有: "), "読み取れません アクセスが拒否されました。(code=5)");

  lines.told.clear();
  lookup.share = {2102, "", "", {}};  // the server service is not started
  EXPECT_EQ(Run(), kExitCheckFailed);
  EXPECT_EQ(lines.told.back(), "判定: 共有の状態を確認できません。");
}

// Names the share step refuses are refused here too, before the server is asked.
TEST_F(ShareCheckTest, NamesTheShareStepRefusesAreNotLookedUp) {
  struct Case {
    AnsiString name;
    AnsiString told;
  } cases[] = {
      {"", "共有名を入力してください。"},
      {"Velto?Data", "共有名に使用できない文字が含まれています。"},  // not in code page 932
      {"a/b", "共有名に使用できない文字が含まれています。"},
      {AnsiString(81, 'a'), "共有名が長すぎます。"},
      {AnsiString(41 * 2, '\x82'), "共有名が長すぎます。"},  // 41 double-byte characters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.c_str());
    lines.told.clear();
    lookup.asked = "<not asked>";
    EXPECT_EQ(RunShareCheck(c.name, lookup, folders, platform, lines), kExitRefused);
    EXPECT_EQ(lookup.asked, "<not asked>");
    ASSERT_GE(lines.told.size(), 2u);
    EXPECT_EQ(MessageLines(lines.told[1])[0], c.told);
  }
  lines.told.clear();
  const AnsiString longest(80, 'a');
  lookup.share.path = "C:\\VeltoData";
  EXPECT_EQ(RunShareCheck(longest, lookup, folders, platform, lines), kExitDone);
  EXPECT_EQ(lookup.asked, longest) << "sent as given";
}

// The data lives in the edition's subfolder; a share without it serves an empty folder.
TEST_F(ShareCheckTest, TheEditionsSubfolderMustBeThere) {
  struct Case {
    AnsiString remark;
    std::set<AnsiString> missing;
    AnsiString subfolder;
    int code;
  } cases[] = {
      {"Quarnel財務 共有フォルダ:VeltoData", {}, "あります", kExitDone},
      // The other edition's subfolder (there) does not stand in for this one's.
      {"Quarnel財務 共有フォルダ:VeltoData",
       {"C:\\VeltoData\\quarnelvelto"},
       "ありません",
       kExitCheckFailed},
      {"ブレバク財務 共有フォルダ:VeltoData",
       {"C:\\VeltoData\\BrevakVelto"},
       "ありません",
       kExitCheckFailed},
      {"ブレバク財務 共有フォルダ:VeltoData",
       {"C:\\VeltoData\\quarnelvelto"},
       "あります",
       kExitDone},
      // A remark someone changed: either edition's subfolder will do.
      {"会計データ", {"C:\\VeltoData\\quarnelvelto"}, "あります", kExitDone},
      {"会計データ",
       {"C:\\VeltoData\\quarnelvelto", "C:\\VeltoData\\BrevakVelto"},
       "ありません",
       kExitCheckFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remark.c_str());
    lines.told.clear();
    lookup.share.remark = c.remark;
    lookup.missing = c.missing;
    EXPECT_EQ(Run(), c.code);
    EXPECT_EQ(Line("データのフォルダ: "), c.subfolder);
    EXPECT_EQ(lines.told.back(),
              c.code == kExitDone ? "判定: 問題ありません。" : "判定: 問題があります。");
  }
}

TEST_F(ShareCheckTest, ShareAndFolderPermissions) {
  auto allow = [](std::uint8_t flags, std::uint32_t mask) {
    return AccessEntry(ace::kAccessAllowed, flags, mask, EveryoneSid());
  };
  struct Case {
    const char* why;
    std::vector<std::uint8_t> shareDescriptor;
    Bytes folderDacl;
    AnsiString shareRights, folderRights;
    int code;
  } cases[] = {
      {"no share descriptor: the server's default read",
       {},
       DaclOf({allow(0x03, kFullControl)}),
       "指定なし (既定では読み取りのみ)",
       "フル コントロール",
       kExitCheckFailed},
      {"folder: modify, inherited from above", ShareDescriptorEveryoneFullControl(),
       DaclOf({allow(0x13, kModify)}), "フル コントロール", "変更", kExitDone},
      {"folder: modify made of two entries", ShareDescriptorEveryoneFullControl(),
       DaclOf({allow(0x03, kReadAndExecute), allow(0x13, (kModify & ~kReadAndExecute) | 0x100000)}),
       "フル コントロール", "変更", kExitDone},
      {"folder: the entry reaches subfolders only", ShareDescriptorEveryoneFullControl(),
       DaclOf({allow(0x02, kFullControl)}), "フル コントロール", "なし", kExitCheckFailed},
      {"folder: read for Everyone, full control for Users", ShareDescriptorEveryoneFullControl(),
       DaclOf({allow(0x03, kReadAndExecute),
               AccessEntry(ace::kAccessAllowed, 0x03, kFullControl, Users())}),
       "フル コントロール", "読み取り", kExitCheckFailed},
      {"folder: a deny entry takes writing away", ShareDescriptorEveryoneFullControl(),
       DaclOf(
           {AccessEntry(ace::kAccessDenied, 0x03, 0x2, EveryoneSid()), allow(0x03, kFullControl)}),
       "フル コントロール", "読み取り", kExitCheckFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    lines.told.clear();
    lookup.share.descriptor = c.shareDescriptor;
    folders.dacl = {0, 0x8004, true, c.folderDacl};
    EXPECT_EQ(Run(), c.code);
    EXPECT_EQ(Line("共有のアクセス許可 (Everyone): "), c.shareRights);
    EXPECT_EQ(Line("フォルダのアクセス許可 (Everyone): "), c.folderRights);
  }
}

TEST_F(ShareCheckTest, AReadOnlyShareIsNotInOrder) {
  Bytes readOnly = ShareDescriptorEveryoneFullControl();
  readOnly[32] = 0xA9;  // the entry's mask: 0x001F01FF becomes 0x001200A9
  readOnly[33] = 0x00;
  readOnly[34] = 0x12;
  EXPECT_EQ(Run(), kExitDone);
  lines.told.clear();
  lookup.share.descriptor = readOnly;
  EXPECT_EQ(Run(), kExitCheckFailed);
  EXPECT_EQ(Line("共有のアクセス許可 (Everyone): "), "読み取り");
}

TEST_F(ShareCheckTest, AShareDescriptorThatCannotBeReadIsNotTakenForNone) {
  struct Case {
    const char* why;
    bool unreadable;
    std::vector<std::uint8_t> descriptor;
  } cases[] = {
      {"the server's descriptor is not a valid one", true, {}},
      {"a descriptor whose DACL lies outside it", false, {1, 0, 0x04, 0x80, 0, 0, 0,   0, 0, 0,
                                                          0, 0, 0,    0,    0, 0, 200, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    lines.told.clear();
    lookup.share.descriptor = c.descriptor;
    lookup.share.descriptorUnreadable = c.unreadable;
    EXPECT_EQ(Run(), kExitCheckFailed);
    EXPECT_EQ(Line("共有のアクセス許可 (Everyone): "), "読み取れません");
    EXPECT_EQ(lines.told.back(), "判定: 問題があります。");
  }
}

TEST_F(ShareCheckTest, FolderStates) {
  lookup.folderExists = false;
  EXPECT_EQ(Run(), kExitCheckFailed);
  EXPECT_EQ(lines.told.back(), "判定: 問題があります。");
  EXPECT_EQ(Line("フォルダ: "), "ありません");

  lookup.folderExists = true;
  lines.told.clear();
  lookup.volume = {"FAT32", false};
  EXPECT_EQ(Run(), kExitDone) << "the share's permission is the one control";
  EXPECT_EQ(Line("ファイル システム: "), "FAT32");
  EXPECT_EQ(Line("フォルダのアクセス許可 (Everyone): "), "このドライブの形式にはありません");

  lookup.volume = {"NTFS", true};
  lines.told.clear();
  folders.dacl = {5, 0, false, {}};
  EXPECT_EQ(Run(), kExitCheckFailed);
  EXPECT_EQ(Line("フォルダのアクセス許可 (Everyone): "), "読み取れません (code=5)");

  lines.told.clear();
  folders.dacl = {0, 0x8004, true, {}};  // a NULL DACL stops nobody
  EXPECT_EQ(Run(), kExitDone);
  EXPECT_EQ(Line("フォルダのアクセス許可 (Everyone): "), "フル コントロール");
}

TEST(EveryoneAccessTest, DescriptorsWithoutAList) {
  bool nullDacl = true;
  Bytes noDacl = {1, 0, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(DaclOfSelfRelativeDescriptor(noDacl, nullDacl).has_value());
  EXPECT_FALSE(nullDacl);
  Bytes nullList = noDacl;
  nullList[2] = 0x04;
  EXPECT_FALSE(DaclOfSelfRelativeDescriptor(nullList, nullDacl).has_value());
  EXPECT_TRUE(nullDacl);
  Bytes outside = nullList;
  outside[16] = 200;
  EXPECT_THROW(DaclOfSelfRelativeDescriptor(outside, nullDacl), Exception);
  EXPECT_THROW(DaclOfSelfRelativeDescriptor(Bytes(10, 1), nullDacl), Exception);
}

}  // namespace
}  // namespace qv
