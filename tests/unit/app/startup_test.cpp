#include <functional>
#include <new>

#include <gtest/gtest.h>

#include "app/startup.h"
#include "dialog/dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::EventLog;

class FakeStartupHost : public IStartupHost {
 public:
  explicit FakeStartupHost(test::DialogRig& rig) : rig_(rig) {}

  MutexCreation CreateSingleInstanceMutex(const AnsiString& name) override {
    rig_.log.push_back("mutex " + name);
    return mutex;
  }
  void InitializeApplication(const AnsiString& title) override {
    rig_.log.push_back("init " + title);
  }
  ShareDialog& CreateMainForm() override {
    rig_.log.push_back("create");
    if (create) create();
    rig_.form.OnCreate();
    if (afterCreate) afterCreate();
    return rig_.form;
  }
  void RunMessageLoop() override {
    rig_.log.push_back("loop");
    editionInLoop = rig_.form.Fields().Edition;
    if (loop) loop();
  }
  void ShowApplicationError(const std::exception& error) override {
    rig_.log.push_back(AnsiString("application error ") + AnsiString(error.what()));
  }

  MutexCreation mutex = MutexCreation::Created;
  std::function<void()> create;
  std::function<void()> afterCreate;  // sees the dialog as its creation step left it
  std::function<void()> loop;
  int editionInLoop = -1;

 private:
  test::DialogRig& rig_;
};

class StartupTest : public testing::Test {
 protected:
  test::DialogRig rig;
  FakeStartupHost host{rig};
};

TEST_F(StartupTest, SecondCopyIsToldAndEnds) {
  host.mutex = MutexCreation::AlreadyExists;
  EXPECT_EQ(RunStartup(host, rig.boxes), 0);
  EXPECT_EQ(rig.log, (EventLog{"mutex MOLOKAU_101", "message"}));
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, "アプリケーションは既に起動しています。");
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
}

// The creation step chooses by the executable's name; start-up then sets the second edition
// whatever that name is.
TEST_F(StartupTest, FirstCopyRunsTheSecondEditionWhateverItsName) {
  struct Case {
    const char* exe;
    int editionChosenByCreation;
  } cases[] = {
      {"C:\\Tools\\QvSetShare.EXE", 1},
      {"C:\\Tools\\other.exe", 0},
  };
  for (MutexCreation mutex : {MutexCreation::Created, MutexCreation::Failed}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.exe);
      rig.log.clear();
      rig.probes.executable = {AnsiString(c.exe), true};
      int editionAfterCreation = -1;
      host.afterCreate = [&] { editionAfterCreation = rig.form.Fields().Edition; };
      host.mutex = mutex;
      EXPECT_EQ(RunStartup(host, rig.boxes), 0);
      EXPECT_EQ(rig.log,
                (EventLog{"mutex MOLOKAU_101", "init 共有フォルダの設定", "create", "loop"}));
      EXPECT_EQ(editionAfterCreation, c.editionChosenByCreation);
      EXPECT_EQ(host.editionInLoop, 1);
      EXPECT_TRUE(rig.boxes.shown.empty());
    }
  }
}

TEST_F(StartupTest, ErrorWhileFirstShownEndsWithExitCodeOne) {
  host.loop = [] { throw OsError(5, "アクセスが拒否されました。"); };
  EXPECT_EQ(RunStartup(host, rig.boxes), 1);
  EXPECT_EQ(rig.log.back(),
            "application error システムエラー。コード：5.\r\nアクセスが拒否されました。");
}

TEST_F(StartupTest, TheCommandLineFillsTheFields) {
  EXPECT_EQ(RunStartup(host, rig.boxes, {AnsiString("D:\\会計"), std::nullopt}), 0);
  EXPECT_EQ(rig.view.sharePath, "D:\\会計");
  EXPECT_EQ(rig.view.shareName, "VeltoData") << "the default stays";
  EXPECT_EQ(RunStartup(host, rig.boxes, {std::nullopt, AnsiString("会計")}), 0);
  EXPECT_EQ(rig.view.shareName, "会計");
  EXPECT_EQ(rig.form.Fields().ShareName, "会計");
}

// The main window could not be made (its class refused, its creation failed): the last-resort
// box and exit code 1, never an empty message loop that ends with 0.
TEST_F(StartupTest, MainWindowThatCannotBeMadeEndsWithExitCodeOne) {
  struct Case {
    const char* name;
    std::function<void()> failure;
    AnsiString shown;
  };
  const Case cases[] = {
      {"creation refused", [] { throw OsError(1407, "ウィンドウ クラスが見つかりません。"); },
       "application error システムエラー。コード：1407.\r\nウィンドウ クラスが見つかりません。"},
      {"no error code", [] { throw OsError(0, ""); }, "application error OS 機能呼び出しの失敗"},
      {"out of memory", [] { throw std::bad_alloc(); }, "application error std::bad_alloc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rig.log.clear();
    host.create = c.failure;
    EXPECT_EQ(RunStartup(host, rig.boxes), 1);
    EXPECT_EQ(rig.log,
              (EventLog{"mutex MOLOKAU_101", "init 共有フォルダの設定", "create", c.shown}));
    EXPECT_TRUE(rig.boxes.shown.empty());
  }
}

}  // namespace
}  // namespace qv
