#include "reach/save_trial.h"

namespace qv {

bool SaveTrial::ok() const { return failure() == nullptr && !leftBehind; }

const StepOutcome* SaveTrial::failure() const {
  for (const StepOutcome& s : steps) {
    if (!s.ok()) return &s;
  }
  return nullptr;
}

std::vector<std::uint8_t> TrialContent(std::size_t bytes) {
  std::vector<std::uint8_t> data(bytes);
  std::uint32_t state = 0x2545F491u;
  for (std::uint8_t& b : data) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<std::uint8_t>(state);
  }
  return data;
}

SaveTrial TrySave(IShareFiles& files, const AnsiString& folder, std::size_t bytes) {
  SaveTrial trial;
  trial.path = folder;
  if (!HasTrailingBackslash(trial.path)) trial.path += "\\";
  trial.path += files.UniqueFileName();

  auto timed = [&files, &trial](SaveStep step, std::size_t size, auto&& call) -> StepOutcome& {
    StepOutcome outcome;
    outcome.step = step;
    outcome.bytes = size;
    const double start = files.Seconds();
    outcome.code = call(outcome);
    outcome.seconds = files.Seconds() - start;
    trial.steps.push_back(outcome);
    return trial.steps.back();
  };

  // Nothing exists yet when the creation fails, and a name taken already is someone else's.
  if (!timed(SaveStep::Create, 0, [&](StepOutcome&) { return files.Create(trial.path); }).ok()) {
    return trial;
  }
  const std::vector<std::uint8_t> content = TrialContent(bytes);
  bool written =
      timed(SaveStep::Write, bytes, [&](StepOutcome&) { return files.Write(content); }).ok();
  if (written) {
    timed(SaveStep::Read, bytes, [&](StepOutcome& outcome) {
      std::vector<std::uint8_t> back;
      const std::uint32_t code = files.ReadBack(bytes, back);
      outcome.differs = code == 0 && back != content;
      return code;
    });
  }
  files.Close();
  trial.leftBehind =
      !timed(SaveStep::Remove, 0, [&](StepOutcome&) { return files.Remove(trial.path); }).ok();
  return trial;
}

}  // namespace qv
