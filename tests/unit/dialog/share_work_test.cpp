// The share button's work in the background as the user lives it: a close asked for while it runs,
// work that fails in itself, and a close that must not outlast the box it was asked during.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;

const char kGrantError[] = "フォルダへのEveryone権限の付与に失敗しました。";
const char kDuplicate[] = "指定した共有名は、既に使われています。\r";

// The dialog with its folders in place (no question before the work), just created.
void Prepare(DialogRig& rig) {
  for (const char* d : {"C:\\", "C:\\VeltoData", "C:\\VeltoData\\quarnelvelto"}) {
    rig.shares.AddDirectory(AnsiString(d));
  }
  rig.Create();
}

// Starts the work and keeps it running until the test lets it end.
void StartHeld(DialogRig& rig) {
  rig.view.holdWork = true;
  rig.form.OnShareClick();
  ASSERT_TRUE(rig.view.pendingDone);
  ASSERT_TRUE(rig.view.busy);
}

const EventLog kNotified = {"announce C:\\VeltoData"};

EventLog Then(EventLog first, const EventLog& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

// Each outcome of the work, with a close asked for while it ran and without.
TEST(ShareWorkTest, ACloseAskedForDuringTheWorkFollowsTheOutcomesBox) {
  const auto none = [](DialogRig&) {};
  const auto refused = [](DialogRig& r) { r.shares.shareResults = {2118}; };
  const auto folderFails = [](DialogRig& r) {
    const AnsiString subfolder = test::FakeSharePlatform::Key("C:\\VeltoData\\quarnelvelto");
    r.shares.directories.erase(subfolder);
    r.shares.failingDirectories = {subfolder};
  };
  const auto grantFails = [](DialogRig& r) { r.folders.writeError = 5; };
  const auto workRaises = [](DialogRig& r) { r.view.workRaises = "out of memory"; };
  const EventLog granted = {"share", "volume C:\\VeltoData", "grant C:\\VeltoData"};
  struct Case {
    const char* why;
    std::function<void(DialogRig&)> arrange;
    bool closeAsked;
    std::vector<int> answers;
    EventLog afterWork;  // from the end of the work on
    int closes;
    std::vector<AnsiString> errorsShown;
    const char* raised;  // left the handler for the framework's box
  } cases[] = {
      {"share refused", refused, true, {}, {"share", "idle", "message", "close"}, 1, {}, nullptr},
      {"subfolder not made",
       folderFails,
       true,
       {},
       {"mkdir C:\\VeltoData\\quarnelvelto", "idle", "message", "close"},
       1,
       {},
       nullptr},
      {"grant's error",
       grantFails,
       true,
       {},
       Then(granted, {"idle", "error box", "close"}),
       1,
       {kGrantError},
       nullptr},
      {"work raised",
       workRaises,
       true,
       {},
       {"idle", "error box", "close"},
       1,
       {"out of memory"},
       nullptr},
      {"work raised, no close", workRaises, false, {}, {"idle"}, 0, {}, "out of memory"},
      {"shared, OK to end",
       none,
       true,
       {MessageResult::Ok},
       Then(Then(granted, kNotified), {"idle", "message", "close"}),
       1,
       {},
       nullptr},
      // The question after success is answered after the close was asked for: the answer stands.
      {"shared, stay",
       none,
       true,
       {MessageResult::Cancel},
       Then(Then(granted, kNotified), {"idle", "message"}),
       0,
       {},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DialogRig rig;
    Prepare(rig);
    c.arrange(rig);
    StartHeld(rig);
    if (c.closeAsked) {
      EXPECT_FALSE(rig.form.CloseQuery());
    }
    EXPECT_EQ(rig.view.closeCount, 0) << "nothing is cut off";
    rig.boxes.answers.assign(c.answers.begin(), c.answers.end());
    rig.log.clear();
    AnsiString raised;
    try {
      rig.view.FinishWork();
    } catch (const Exception& e) {
      raised = e.Message();
    }
    EXPECT_EQ(raised, AnsiString(c.raised ? c.raised : ""));
    EXPECT_EQ(rig.log, c.afterWork);
    EXPECT_EQ(rig.view.closeCount, c.closes);
    EXPECT_EQ(rig.view.shownErrors, c.errorsShown);
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.form.CloseQuery()) << "idle again, nothing kept";
  }
}

// A close asked for while one of the button's own boxes is open is answered by that box.
TEST(ShareWorkTest, ACloseDuringABoxIsNotKeptForALaterOne) {
  struct Case {
    const char* why;
    bool folderMissing;        // the creation question comes
    std::vector<int> answers;  // to the first click's boxes
  } cases[] = {
      {"creation question, stay", true, {MessageResult::Cancel}},
      {"creation question, go on; then the outcome",
       true,
       {MessageResult::Ok, MessageResult::Cancel}},
      {"outcome's box", false, {MessageResult::Cancel}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DialogRig rig;
    rig.shares.AddDirectory("C:\\");
    if (!c.folderMissing) rig.shares.AddDirectory("C:\\VeltoData");
    rig.Create();
    std::optional<bool> closeAllowed;
    rig.boxes.onShow = [&] {
      if (!closeAllowed) closeAllowed = rig.form.CloseQuery();
    };
    rig.boxes.answers.assign(c.answers.begin(), c.answers.end());
    rig.form.OnShareClick();
    ASSERT_TRUE(closeAllowed);
    EXPECT_FALSE(*closeAllowed) << "not while the box is open";
    EXPECT_EQ(rig.view.closeCount, 0);

    // A later click that ends in an error box.
    rig.boxes.onShow = nullptr;
    rig.shares.AddDirectory("C:\\VeltoData");
    rig.shares.shareResults = {2118};
    rig.form.OnShareClick();
    EXPECT_EQ(rig.boxes.shown.back().text, kDuplicate);
    EXPECT_EQ(rig.view.closeCount, 0) << "the earlier close is not carried out now";
    EXPECT_TRUE(rig.form.CloseQuery());
  }
}

}  // namespace
}  // namespace qv
