#include <gtest/gtest.h>

#include "dialog/environment_probes.h"
#include "dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::FakeProbePlatform;

class IsInBuiltinGroupTest : public testing::Test {
 protected:
  // Every handle the probe took is given back, whatever happened.
  void TearDown() override {
    EXPECT_EQ(platform.openTokens, 0);
    EXPECT_EQ(platform.liveSids, 0);
  }
  FakeProbePlatform platform;
  EnvironmentProbes probes{platform};
};

TEST_F(IsInBuiltinGroupTest, MemberAndNonMember) {
  EXPECT_TRUE(probes.IsInBuiltinGroup(544));
  EXPECT_EQ(platform.tokenAccess, 8u);  // TOKEN_QUERY
  EXPECT_EQ(platform.sidAuthority, (SidAuthority{0, 0, 0, 0, 0, 5}));
  EXPECT_EQ(platform.sidSubAuthorities, (std::vector<std::uint32_t>{32, 544}));
  EXPECT_EQ(platform.readSizes, (std::vector<std::size_t>{1024}));

  platform.groupRids = {545, 555};
  EXPECT_FALSE(probes.IsInBuiltinGroup(544));
  platform.groupRids = {};
  EXPECT_FALSE(probes.IsInBuiltinGroup(544));
}

TEST_F(IsInBuiltinGroupTest, StopsAtTheFirstMatch) {
  platform.groupRids = {544, 544, 545};
  EXPECT_TRUE(probes.IsInBuiltinGroup(544));
  EXPECT_EQ(platform.comparisons, 1);
}

TEST_F(IsInBuiltinGroupTest, LongGroupListIsReadAgainAtTheReportedSize) {
  platform.groupListBytes = 3000;
  EXPECT_TRUE(probes.IsInBuiltinGroup(544));
  EXPECT_EQ(platform.readSizes, (std::vector<std::size_t>{1024, 3000}));
}

TEST_F(IsInBuiltinGroupTest, GroupListThatKeepsGrowingEndsInTheOSError) {
  platform.groupListBytes = 3000;
  platform.growthPerRead = 100;
  platform.lastError = 0;
  try {
    probes.IsInBuiltinGroup(544);
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 122u);
    EXPECT_EQ(e.Message(), "システムエラー。コード：122.\r\ntext of 122");
  }
  EXPECT_EQ(platform.readSizes.size(), 4u);
}

TEST_F(IsInBuiltinGroupTest, FailingSystemCallsRaiseTheOSError) {
  struct Case {
    const char* what;
    std::optional<std::uint32_t> FakeProbePlatform::*failure;
    std::uint32_t code;
    const char* text;
  } cases[] = {
      {"open token", &FakeProbePlatform::openTokenError, 5,
       "システムエラー。コード：5.\r\ntext of 5"},
      {"read groups", &FakeProbePlatform::readTokenError, 6,
       "システムエラー。コード：6.\r\ntext of 6"},
      {"allocate sid", &FakeProbePlatform::allocateSidError, 0, "OS 機能呼び出しの失敗"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeProbePlatform failing;
    failing.*(c.failure) = c.code;
    EnvironmentProbes p{failing};
    try {
      p.IsInBuiltinGroup(544);
      ADD_FAILURE() << "no error";
    } catch (const EOSError& e) {
      EXPECT_EQ(e.ErrorCode(), c.code);
      EXPECT_EQ(e.Message(), c.text);
    }
    EXPECT_EQ(failing.openTokens, 0);
    EXPECT_EQ(failing.liveSids, 0);
  }
}

TEST(GetSystemDirTest, WithoutTrailingBackslash) {
  struct Case {
    const char *system, *expected;
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
    const char *dir, *root;
  } cases[] = {
      {"C:\\WINDOWS\\system32", "C:\\"},
      {"d:\\winnt\\system32", "D:\\"},
      {"\\windows\\system32", "C:\\"},
      {"", "C:\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemDriveRootOf(c.dir), c.root) << c.dir;
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
    return probes.ReadRegInteger(RegRoot::rkLocalMachine,
                                 "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                 "EnableLUA");
  }
  void TearDown() override { EXPECT_EQ(platform.openKeys, 0); }
  FakeProbePlatform platform;
  EnvironmentProbes probes{platform};
};

TEST_F(ReadRegIntegerTest, ReadsTheNumber) {
  struct Case {
    std::uint32_t stored;
    std::int32_t expected;
  } cases[] = {{1, 1}, {0, 0}, {0xFFFFFFFF, -1}};
  for (const Case& c : cases) {
    platform.SetEnableLua(FakeProbePlatform::Dword(c.stored));
    EXPECT_EQ(ReadEnableLua(), c.expected);
  }
  EXPECT_EQ(platform.openedKeys.back(),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
  EXPECT_EQ(platform.keyRoot, RegRoot::rkLocalMachine);
  EXPECT_EQ(platform.keyAccess, 0xF003Fu);  // KEY_ALL_ACCESS
}

TEST_F(ReadRegIntegerTest, VersionFiveDoesNotTouchTheRegistry) {
  platform.SetEnableLua(FakeProbePlatform::Dword(1));
  platform.majorVersion = 5;
  EXPECT_EQ(ReadEnableLua(), 0);
  EXPECT_TRUE(platform.openedKeys.empty());
}

TEST_F(ReadRegIntegerTest, MissingValueOrKeyGivesZero) {
  platform.registry["SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"] = {};
  EXPECT_EQ(ReadEnableLua(), 0);
  platform.registry.clear();
  EXPECT_EQ(ReadEnableLua(), 0);
  EXPECT_EQ(platform.openedKeys.size(), 2u);
}

TEST_F(ReadRegIntegerTest, ValueOfTheWrongKindRaises) {
  struct Case {
    const char* why;
    FakeProbePlatform::RegValue value;
    const char* message;
  } cases[] = {
      {"text", {1, {std::byte{'1'}, std::byte{0}}}, "'EnableLUA' のデータ型が不正です"},
      {"binary",
       {3, {std::byte{1}, std::byte{0}, std::byte{0}, std::byte{0}}},
       "'EnableLUA' のデータ型が不正です"},
      {"number of 8 bytes", {4, std::vector<std::byte>(8)}, "'EnableLUA' の取得に失敗しました"},
      {"number of 2 bytes", {4, std::vector<std::byte>(2)}, "'EnableLUA' の取得に失敗しました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    platform.SetEnableLua(c.value);
    try {
      ReadEnableLua();
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

}  // namespace
}  // namespace qv
