#include "reach/save_trial.h"

#include <gtest/gtest.h>

#include "reach/reach_fakes.h"
#include "reach/save_failure.h"

namespace qv {
namespace {

struct SaveCase {
  const char* what;
  std::uint32_t createCode, writeCode, readCode, removeCode;
  bool corrupt;
  int steps;       // steps that ran
  int failedStep;  // index of the first failed step, -1 when none
  bool leftBehind;
};

class SaveTrialTest : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveTrialTest, RunsTheStepsAndLeavesNothingBehindUnlessTheRemovalFails) {
  const SaveCase& c = GetParam();
  FakeShareFiles files;
  files.WillAnswer(c.createCode, c.writeCode, c.readCode, c.removeCode, c.corrupt);

  const SaveTrial trial = TrySave(files, "\\\\PC1\\data", 4096);

  EXPECT_EQ(trial.path.bytes(), "\\\\PC1\\data\\qvsetshare-test.tmp");
  ASSERT_EQ(static_cast<int>(trial.steps.size()), c.steps);
  const StepOutcome* failed = trial.failure();
  EXPECT_EQ(failed ? failed - trial.steps.data() : -1, c.failedStep);
  EXPECT_EQ(trial.ok(), c.failedStep < 0);
  EXPECT_EQ(trial.leftBehind, c.leftBehind);
  EXPECT_EQ(files.onShare.size(), c.leftBehind ? 1u : 0u);
  EXPECT_TRUE(files.open.empty()) << "the file is closed on every path";
  // Only a file this run made is ever removed.
  EXPECT_EQ(files.removed.size(), c.createCode == 0 ? 1u : 0u);
  for (const StepOutcome& s : trial.steps) EXPECT_DOUBLE_EQ(s.seconds, 0.25);
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveTrialTest,
                         testing::Values(SaveCase{"all pass", 0, 0, 0, 0, false, 4, -1, false},
                                         SaveCase{"no such share", 67, 0, 0, 0, false, 1, 0, false},
                                         SaveCase{"create denied", 5, 0, 0, 0, false, 1, 0, false},
                                         SaveCase{"disk full on write", 0, 112, 0, 0, false, 3, 1,
                                                  false},
                                         SaveCase{"read fails", 0, 0, 59, 0, false, 4, 2, false},
                                         SaveCase{"read differs", 0, 0, 0, 0, true, 4, 2, false},
                                         SaveCase{"remove denied", 0, 0, 0, 5, false, 4, 3, true}),
                         [](const auto& info) {
                           std::string n = info.param.what;
                           for (char& ch : n)
                             ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return n;
                         });

TEST(SaveTrialTest, WritesTheWholeSizeAndReadsTheSameBytes) {
  FakeShareFiles files;
  const SaveTrial trial = TrySave(files, "\\\\PC1\\data\\", 1024 * 1024);
  EXPECT_EQ(trial.path.bytes(), "\\\\PC1\\data\\qvsetshare-test.tmp");
  ASSERT_TRUE(trial.ok());
  EXPECT_EQ(files.stored.size(), 1024u * 1024u);
  EXPECT_EQ(trial.steps[1].bytes, 1024u * 1024u);
  // Not a run of one byte, which a link could compress to nothing.
  EXPECT_NE(files.stored[0], files.stored[1]);
  EXPECT_NE(files.stored[1], files.stored[2]);
}

TEST(SaveTrialTest, AFileOfTheSameNameIsNeitherOverwrittenNorRemoved) {
  FakeShareFiles files;
  files.onShare.insert("\\\\PC1\\data\\qvsetshare-test.tmp");
  const SaveTrial trial = TrySave(files, "\\\\PC1\\data", 16);
  ASSERT_NE(trial.failure(), nullptr);
  EXPECT_EQ(trial.failure()->code, 80u);
  EXPECT_TRUE(files.removed.empty());
  EXPECT_EQ(files.onShare.size(), 1u);
}

struct AdviceCase {
  std::uint32_t code;
  SaveFailureKind kind;
  bool known;
};

TEST(SaveFailureTest, EachCodeHasItsKindAndOnlyKnownCodesACause) {
  const AdviceCase cases[] = {
      {53, SaveFailureKind::Unreachable, true},   {1231, SaveFailureKind::Unreachable, true},
      {67, SaveFailureKind::Unreachable, true},   {3, SaveFailureKind::Unreachable, true},
      {5, SaveFailureKind::NotWritable, true},    {19, SaveFailureKind::NotWritable, true},
      {112, SaveFailureKind::NotWritable, true},  {1326, SaveFailureKind::Unreachable, true},
      {1907, SaveFailureKind::Unreachable, true}, {1909, SaveFailureKind::Unreachable, true},
      {1272, SaveFailureKind::Unreachable, true}, {3235, SaveFailureKind::Unreachable, true},
      {87, SaveFailureKind::Other, false},        {2, SaveFailureKind::Other, false},
  };
  for (const AdviceCase& c : cases) {
    const SaveFailureAdvice a = AdviseOnSaveFailure(c.code);
    EXPECT_EQ(a.kind, c.kind) << c.code;
    EXPECT_EQ(!a.cause.empty(), c.known) << c.code;
    EXPECT_EQ(!a.remedy.empty(), c.known) << c.code;
  }
  // Same cause within a group, different ones across groups: the user is told different things.
  EXPECT_EQ(AdviseOnSaveFailure(53).cause.bytes(), AdviseOnSaveFailure(1231).cause.bytes());
  EXPECT_NE(AdviseOnSaveFailure(53).cause.bytes(), AdviseOnSaveFailure(67).cause.bytes());
  EXPECT_NE(AdviseOnSaveFailure(1326).cause.bytes(), AdviseOnSaveFailure(1272).cause.bytes());
  EXPECT_NE(AdviseOnSaveFailure(5).cause.bytes(), AdviseOnSaveFailure(112).cause.bytes());
}

}  // namespace
}  // namespace qv
