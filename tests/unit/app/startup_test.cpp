#include <functional>

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
  TfmSetShare& CreateMainForm() override {
    rig_.log.push_back("create");
    rig_.form.FormCreate();
    return rig_.form;
  }
  void RunMessageLoop() override {
    rig_.log.push_back("loop");
    editionInLoop = rig_.form.Fields().Edition;
    if (loop) loop();
  }
  void ShowApplicationError(const std::exception& error) override {
    rig_.log.push_back(AnsiString("application error ") + error.what());
  }

  MutexCreation mutex = MutexCreation::mcCreated;
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
  host.mutex = MutexCreation::mcAlreadyExists;
  EXPECT_EQ(RunStartup(host, rig.boxes), 0);
  EXPECT_EQ(rig.log, (EventLog{"mutex MOLOKAU_101", "message"}));
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, "アプリケーションは既に起動しています。");
  EXPECT_EQ(rig.boxes.shown[0].type, MsgDlgType::mtInformation);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{mbOK});
}

TEST_F(StartupTest, FirstCopyRunsTheSecondEdition) {
  for (MutexCreation mutex : {MutexCreation::mcCreated, MutexCreation::mcFailed}) {
    rig.log.clear();
    host.mutex = mutex;
    EXPECT_EQ(RunStartup(host, rig.boxes), 0);
    EXPECT_EQ(rig.log,
              (EventLog{"mutex MOLOKAU_101", "init 共有フォルダの設定", "create", "loop"}));
    EXPECT_EQ(host.editionInLoop, 1);
    EXPECT_TRUE(rig.boxes.shown.empty());
  }
}

TEST_F(StartupTest, ErrorWhileFirstShownEndsWithExitCodeOne) {
  host.loop = [] { throw EOSError(5, "アクセスが拒否されました。"); };
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

}  // namespace
}  // namespace qv
