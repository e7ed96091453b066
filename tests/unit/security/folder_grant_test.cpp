#include <map>
#include <memory>
#include <utility>

#include <gtest/gtest.h>

#include "framework/errors.h"
#include "security/folder_grant.h"
#include "security/security_bytes.h"
#include "security/security_exception.h"

namespace qv::testing {
namespace {

const AnsiString kGrantFailed = "フォルダへのEveryone権限の付与に失敗しました。";
const AnsiString kFolder = "C:\\VeltoData";

// Folders by path, each as a read of its DACL gives it; a write replaces the DACL. Opening a path
// finds the folder itself unless Identities says it leads elsewhere (a link, a swapped folder);
// reads and writes then reach the folder it leads to, as they would on the system.
class FakeFolderSecurity : public IFolderSecurity {
 public:
  struct Write {
    AnsiString Path;
    std::uint32_t SecurityInformation;
    Bytes Dacl;
  };
  std::map<AnsiString, FolderDacl> Folders;
  std::map<AnsiString, FolderIdentity> Identities;
  std::uint32_t WriteError = 0;
  std::vector<AnsiString> Opens;
  std::vector<AnsiString> Reads;  // through an opened folder, by the folder reached
  std::vector<Write> Writes;      // likewise
  std::vector<AnsiString> NamedReads;

  FolderDacl ReadDacl(const AnsiString& path) override {
    NamedReads.push_back(path);
    return ReadAt(path);
  }
  std::unique_ptr<IOpenedFolder> OpenFolder(const AnsiString& path,
                                            FolderIdentity& identity) override {
    Opens.push_back(path);
    if (const auto it = Identities.find(path); it != Identities.end()) {
      identity = it->second;
    } else if (Folders.count(path)) {
      identity = {.error = 0,
                  .attributes = 0x10,
                  .finalPath = "\\\\?\\" + path,
                  .targetPath = "\\\\?\\" + path};
    } else {
      identity = {};
      identity.error = 2;  // ERROR_FILE_NOT_FOUND
    }
    if (identity.error != 0) return nullptr;
    // Another spelling of the same folder is the same folder.
    return std::make_unique<Opened>(*this, SamePath(identity.targetPath, path)
                                               ? path
                                               : WithoutLongPathPrefix(identity.targetPath));
  }

 private:
  class Opened : public IOpenedFolder {
   public:
    Opened(FakeFolderSecurity& owner, AnsiString path) : owner_(owner), path_(std::move(path)) {}
    FolderDacl ReadDacl() override {
      owner_.Reads.push_back(path_);
      return owner_.ReadAt(path_);
    }
    std::uint32_t WriteDacl(std::uint32_t securityInformation, ByteView dacl) override {
      owner_.Writes.push_back({path_, securityInformation, Bytes(dacl.begin(), dacl.end())});
      if (owner_.WriteError != 0) return owner_.WriteError;
      owner_.Folders[path_].dacl = owner_.Writes.back().Dacl;
      return 0;
    }

   private:
    FakeFolderSecurity& owner_;
    AnsiString path_;
  };

  FolderDacl ReadAt(const AnsiString& path) {
    const auto it = Folders.find(path);
    if (it == Folders.end()) {
      FolderDacl missing;
      missing.error = 2;  // ERROR_FILE_NOT_FOUND
      return missing;
    }
    return it->second;
  }
};

// The entry the grant adds, as it lies in the written list.
const Bytes kGrantEntry = {0x00, 0x03, 0x14, 0x00, 0xFF, 0x01, 0x1F, 0x00, 0x01, 0x01,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};

const Bytes kInheritedSystem = Ace(0x00, 0x13, 0x001F01FF, sids::kSystem);
const Bytes kInheritedAdmins = Ace(0x00, 0x13, 0x001F01FF, sids::kAdmins);
const Bytes kExplicitUsers = Ace(0x00, 0x03, 0x001200A9, sids::kUsers);
const Bytes kExplicitAdmins = Ace(0x00, 0x03, 0x001F01FF, sids::kAdmins);
const Bytes kExplicitDenyGuests = Ace(0x01, 0x00, 0x00010000, sids::kGuests);

class GrantTest : public ::testing::Test {
 protected:
  void Folder(const Bytes& dacl, std::uint16_t control = 0x8004) {
    folders.Folders[kFolder] = {.error = 0, .control = control, .present = true, .dacl = dacl};
  }

  // Runs the grant and expects the one message of the grant, in the system's general error type;
  // returns the system's code it carries for the log.
  std::uint32_t ExpectGrantFails(const AnsiString& path = kFolder) {
    try {
      GrantEveryoneFullControl(folders, path);
      ADD_FAILURE() << "the grant did not fail";
    } catch (const SecurityError& e) {
      ADD_FAILURE() << "the model's own error escaped: " << e.Message().bytes();
    } catch (const GrantFailure& e) {
      EXPECT_EQ(e.Message(), kGrantFailed);
      return e.SystemCode();
    } catch (const Exception& e) {
      ADD_FAILURE() << "not the grant's failure: " << e.Message().bytes();
    }
    return 0xFFFFFFFF;
  }

  FakeFolderSecurity folders;
};

TEST_F(GrantTest, WritesTheExpectedDaclForEachKindOfFolder) {
  Guid guid{};
  guid[0] = 0x42;
  const Bytes conditional = Ace(0x09, 0x03, 0x001200A9, sids::kUsers, {'a', 'r', 't', 'x', 1, 0});
  struct Case {
    const char* name;
    Bytes dacl;
    std::uint16_t control;
    Bytes written;
    std::uint32_t securityInformation;
  } cases[] = {
      {"only inherited entries (a new folder)", Acl(2, {kInheritedSystem, kInheritedAdmins}),
       0x8404, Acl(2, {kGrantEntry, kInheritedSystem, kInheritedAdmins}), 0x00000004},
      {"explicit entries, then inherited ones",
       Acl(2, {kExplicitDenyGuests, kExplicitUsers, kInheritedSystem}), 0x8404,
       Acl(2, {kExplicitDenyGuests, kExplicitUsers, kGrantEntry, kInheritedSystem}), 0x00000004},
      {"protected DACL, explicit entries only", Acl(2, {kExplicitUsers, kExplicitAdmins}), 0x9004,
       Acl(2, {kExplicitUsers, kExplicitAdmins, kGrantEntry}), 0x80000004},
      {"empty DACL", Acl(2, {}), 0x8004, Acl(2, {kGrantEntry}), 0x00000004},
      {"SACL protected in the control word", Acl(2, {kInheritedSystem}), 0xA004,
       Acl(2, {kGrantEntry, kInheritedSystem}), 0x40000004},
      {"both protected", Acl(2, {kExplicitUsers}), 0xB004, Acl(2, {kExplicitUsers, kGrantEntry}),
       0xC0000004},
      // What a folder's entries carry goes back byte for byte; only room behind the last entry
      // is not kept.
      {"a conditional entry's data, spare room", Acl(2, {conditional, kInheritedSystem}, 16),
       0x8004, Acl(2, {conditional, kGrantEntry, kInheritedSystem}), 0x00000004},
      {"kinds and flag bits without a name here",
       Acl(2, {Ace(0x0B, 0x23, 0x1, sids::kUsers), Ace(0x15, 0x10, 0x2, sids::kSystem, {9, 9})}),
       0x8004,
       Acl(2, {Ace(0x0B, 0x23, 0x1, sids::kUsers), kGrantEntry,
               Ace(0x15, 0x10, 0x2, sids::kSystem, {9, 9})}),
       0x00000004},
      {"object entries in a revision 4 list",
       Acl(4, {ObjectAce(0x05, 0x02, 0x10, guid, std::nullopt, sids::kUsers), kInheritedSystem}),
       0x8004,
       Acl(4, {ObjectAce(0x05, 0x02, 0x10, guid, std::nullopt, sids::kUsers), kGrantEntry,
               kInheritedSystem}),
       0x00000004},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder(c.dacl, c.control);
    folders.Writes.clear();
    EXPECT_TRUE(GrantEveryoneFullControl(folders, kFolder));
    ASSERT_EQ(folders.Writes.size(), 1u);
    EXPECT_EQ(folders.Writes[0].Path, kFolder);
    EXPECT_EQ(folders.Writes[0].SecurityInformation, c.securityInformation);
    EXPECT_EQ(Hex(folders.Writes[0].Dacl), Hex(c.written));
  }
}

TEST_F(GrantTest, AFolderThatAlreadyHoldsTheGrantIsNotWrittenAgain) {
  struct Case {
    const char* name;
    Bytes dacl;
  } cases[] = {
      {"the entry the grant wrote", Acl(2, {kGrantEntry, kInheritedSystem})},
      {"among other entries, with more rights than full control",
       Acl(2, {kExplicitDenyGuests, kExplicitUsers, Ace(0x00, 0x03, 0x101F01FF, sids::kEveryone),
               kInheritedAdmins})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder(c.dacl);
    folders.Writes.clear();
    EXPECT_TRUE(GrantEveryoneFullControl(folders, kFolder));
    EXPECT_TRUE(folders.Writes.empty());
  }
  // Sharing the same folder twice: one write, one entry.
  Folder(Acl(2, {kInheritedSystem}));
  folders.Writes.clear();
  EXPECT_TRUE(GrantEveryoneFullControl(folders, kFolder));
  EXPECT_TRUE(GrantEveryoneFullControl(folders, kFolder));
  ASSERT_EQ(folders.Writes.size(), 1u);
  EXPECT_EQ(Hex(folders.Folders[kFolder].dacl), Hex(Acl(2, {kGrantEntry, kInheritedSystem})));
}

TEST_F(GrantTest, AnEveryoneEntryThatFallsShortOfTheGrantGetsTheGrantBeside) {
  struct Case {
    const char* name;
    Bytes existing;
  } cases[] = {
      {"inherited", Ace(0x00, 0x13, 0x001F01FF, sids::kEveryone)},
      {"object inherit only", Ace(0x00, 0x01, 0x001F01FF, sids::kEveryone)},
      {"container inherit only", Ace(0x00, 0x02, 0x001F01FF, sids::kEveryone)},
      {"no inheritance", Ace(0x00, 0x00, 0x001F01FF, sids::kEveryone)},
      {"without WRITE_DAC", Ace(0x00, 0x03, 0x001301BF, sids::kEveryone)},
      {"generic all instead of the file rights", Ace(0x00, 0x03, 0x10000000, sids::kEveryone)},
      {"deny", Ace(0x01, 0x03, 0x001F01FF, sids::kEveryone)},
      {"callback allow", Ace(0x09, 0x03, 0x001F01FF, sids::kEveryone)},
      {"another SID", Ace(0x00, 0x03, 0x001F01FF, sids::kUsers)},
      {"inherit only", Ace(0x00, 0x0B, 0x001F01FF, sids::kEveryone)},
      {"no propagate", Ace(0x00, 0x07, 0x001F01FF, sids::kEveryone)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder(Acl(2, {c.existing}));
    folders.Writes.clear();
    EXPECT_TRUE(GrantEveryoneFullControl(folders, kFolder));
    ASSERT_EQ(folders.Writes.size(), 1u);
    // Placed as for any other list: before the first inherited entry, else at the end.
    const bool inherited = (c.existing[1] & 0x10) != 0;
    const Bytes expected =
        inherited ? Acl(2, {kGrantEntry, c.existing}) : Acl(2, {c.existing, kGrantEntry});
    EXPECT_EQ(Hex(folders.Writes[0].Dacl), Hex(expected));
  }
}

TEST_F(GrantTest, EveryFailureGivesTheOneMessageAndWritesNothingMore) {
  Bytes longest = {1, 15, 0, 0, 0, 0, 0, 5};
  longest.resize(68, 7);
  struct Case {
    const char* name;
    FolderDacl read;
    std::uint32_t writeError;
    std::size_t writes;            // attempted
    std::uint32_t systemCode = 0;  // carried for the log: the failed call's code
  } cases[] = {
      {"no DACL", {.control = 0x8000, .present = false, .dacl = {}}, 0, 0},
      {"NULL DACL", {.control = 0x8004, .present = true, .dacl = {}}, 0, 0},
      {"read denied",
       {.error = 5, .control = 0x8004, .present = true, .dacl = Acl(2, {})},
       0,
       0,
       5},
      {"write denied", {.control = 0x8004, .present = true, .dacl = Acl(2, {})}, 1392, 1, 1392},
      {"a list that does not hold together",
       {.control = 0x8004, .present = true, .dacl = Acl(2, {Bytes{0, 0, 40, 0}})},
       0,
       0},
      {"an audit entry in the DACL",
       {.control = 0x8004, .present = true, .dacl = Acl(2, {Ace(0x02, 0, 1, sids::kUsers)})},
       0,
       0},
      // 8 + 862 * 76 bytes fit the size field; the grant entry would take the list past 65,535.
      {"a list that would outgrow its size field",
       {.control = 0x8004,
        .present = true,
        .dacl = Acl(2, std::vector<Bytes>(862, Ace(0x00, 0x13, 1, longest)))},
       0,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    folders.Folders[kFolder] = c.read;
    folders.WriteError = c.writeError;
    folders.Writes.clear();
    EXPECT_EQ(ExpectGrantFails(), c.systemCode);
    EXPECT_EQ(folders.Writes.size(), c.writes);
    EXPECT_EQ(Hex(folders.Folders[kFolder].dacl), Hex(c.read.dacl));
  }

  folders.Opens.clear();
  folders.Reads.clear();
  SCOPED_TRACE("missing folder, and no folder named at all");
  EXPECT_EQ(ExpectGrantFails("C:\\NoSuchFolder"), 2u);
  EXPECT_EQ(ExpectGrantFails(""), 0u);
  EXPECT_EQ(folders.Opens, std::vector<AnsiString>{"C:\\NoSuchFolder"});
  EXPECT_TRUE(folders.Reads.empty());
}

TEST_F(GrantTest, OnlyTheFolderItselfIsGrantedThroughTheHandleThatWasChecked) {
  const Bytes before = Acl(2, {kExplicitAdmins, kInheritedSystem});
  folders.Folders["C:\\Windows"] = {.error = 0, .control = 0x8004, .present = true, .dacl = before};
  const AnsiString self = "\\\\?\\C:\\VeltoData";
  const AnsiString windows = "\\\\?\\C:\\Windows";
  struct Case {
    const char* what;
    std::uint32_t error, attributes;
    AnsiString finalPath, targetPath;
    bool granted;
  } cases[] = {
      {"the folder itself", 0, 0x10, self, self, true},
      {"spelt in another case, without the prefix", 0, 0x10, "C:\\VELTODATA", "c:\\veltodata\\",
       true},
      {"a volume mounted in the folder", 0, 0x410, self, self, true},
      {"a junction as Windows opens it", 0, 0x410, self, windows, false},
      {"a link as Wine opens it", 0, 0x10, windows, windows, false},
      {"a link that leads nowhere", 0, 0x410, self, "", false},
      {"a folder above that is a link", 0, 0x10, "\\\\?\\D:\\Elsewhere", "\\\\?\\D:\\Elsewhere",
       false},
      {"a file", 0, 0x20, self, self, false},
      {"a folder that cannot be opened", 5, 0, "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Folder(before);
    folders.Identities[kFolder] = {c.error, c.attributes, c.finalPath, c.targetPath};
    folders.Writes.clear();
    folders.Reads.clear();
    if (c.granted) {
      EXPECT_TRUE(GrantEveryoneFullControl(folders, kFolder));
      ASSERT_EQ(folders.Writes.size(), 1u);
      EXPECT_EQ(folders.Writes[0].Path, kFolder);
    } else {
      ExpectGrantFails();
      EXPECT_TRUE(folders.Reads.empty());
      EXPECT_TRUE(folders.Writes.empty());
    }
    EXPECT_EQ(Hex(folders.Folders["C:\\Windows"].dacl), Hex(before));
  }
  EXPECT_TRUE(folders.NamedReads.empty()) << "nothing is looked up by name";
}

}  // namespace
}  // namespace qv::testing
