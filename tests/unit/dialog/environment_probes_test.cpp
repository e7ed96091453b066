#include <gtest/gtest.h>

#include "dialog/environment_probes.h"
#include "dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::FakeProbePlatform;

TEST(GetSystemDirTest, WithoutTrailingBackslash) {
  struct Case {
    AnsiString system, expected;
  } cases[] = {
      {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32"},
      {"C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\system32"},
      {"", ""},
  };
  for (const Case& c : cases) {
    FakeProbePlatform platform;
    platform.systemDirectory = c.system;
    EXPECT_EQ(EnvironmentProbes(platform).GetSystemDir(), c.expected);
  }
}

TEST(SystemDriveRootOfTest, UpperCaseDriveWithBackslash) {
  struct Case {
    AnsiString dir, root;
  } cases[] = {
      {"C:\\WINDOWS\\system32", "C:\\"},
      {"d:\\winnt\\system32", "D:\\"},
      {"\\windows\\system32", "C:\\"},
      {"", "C:\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemDriveRootOf(c.dir), c.root) << c.dir.bytes();
}

TEST(GetDocumentsDirTest, DocumentsElseTheExecutablesFolder) {
  struct Case {
    const char* why;
    Cp932Path documents, executable, expected;
  } cases[] = {
      {"documents",
       {"C:\\Users\\taro\\Documents"},
       {"D:\\Tools\\x.exe"},
       {"C:\\Users\\taro\\Documents"}},
      {"documents with a backslash",
       {"C:\\Users\\taro\\Documents\\"},
       {"D:\\Tools\\x.exe"},
       {"C:\\Users\\taro\\Documents"}},
      {"no documents", {""}, {"D:\\Tools\\x.exe"}, {"D:\\Tools"}},
      {"no documents, executable in a root", {""}, {"D:\\x.exe"}, {"D:"}},
      {"documents not in code page 932",
       {"C:\\Users\\?\\Documents", false},
       {"D:\\x.exe"},
       {"C:\\Users\\?\\Documents", false}},
      {"executable's folder not in code page 932", {""}, {"D:\\?\\x.exe", false}, {"D:\\?", false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeProbePlatform platform;
    platform.documents = c.documents;
    platform.executable = c.executable;
    Cp932Path got = EnvironmentProbes(platform).GetDocumentsDir();
    EXPECT_EQ(got.text, c.expected.text);
    EXPECT_EQ(got.representable, c.expected.representable);
  }
}

class ReadRegIntegerTest : public testing::Test {
 protected:
  std::int32_t ReadEnableLua() {
    return probes.ReadRegInteger(RegistryRoot::LocalMachine,
                                 "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                 "EnableLUA");
  }
  FakeProbePlatform platform;
  EnvironmentProbes probes{platform};
};

TEST_F(ReadRegIntegerTest, ReadsTheNumber) {
  for (std::int32_t stored : {1, 0, -1}) {
    platform.SetEnableLua(FakeProbePlatform::Dword(stored));
    EXPECT_EQ(ReadEnableLua(), stored);
  }
  // The leading backslash means the root key itself.
  EXPECT_EQ(platform.readKeys.back(),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\EnableLUA");
  EXPECT_EQ(platform.keyRoot, RegistryRoot::LocalMachine);
}

TEST_F(ReadRegIntegerTest, VersionFiveDoesNotTouchTheRegistry) {
  platform.SetEnableLua(FakeProbePlatform::Dword(1));
  platform.majorVersion = 5;
  EXPECT_EQ(ReadEnableLua(), 0);
  EXPECT_TRUE(platform.readKeys.empty());
}

TEST_F(ReadRegIntegerTest, MissingValueOrKeyGivesZero) {
  platform.registry["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"] = {};
  EXPECT_EQ(ReadEnableLua(), 0);
  platform.registry.clear();
  EXPECT_EQ(ReadEnableLua(), 0);
  EXPECT_EQ(platform.readKeys.size(), 2u);
}

TEST_F(ReadRegIntegerTest, ValueOfTheWrongKindRaises) {
  struct Case {
    const char* why;
    RegistryDword::State state;
    const char* message;
  } cases[] = {
      {"not a number", RegistryDword::State::WrongType, "'EnableLUA' のデータ型が不正です"},
      {"unreadable number", RegistryDword::State::Unreadable, "'EnableLUA' の取得に失敗しました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    platform.SetEnableLua({c.state, 0});
    try {
      ReadEnableLua();
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), AnsiString(c.message));
    }
  }
}

}  // namespace
}  // namespace qv
