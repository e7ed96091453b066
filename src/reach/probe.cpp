#include "reach/probe.h"

#include <algorithm>

#include "reach/save_failure.h"
#include "share/exit_codes.h"

namespace qv {

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

AnsiString StepLabel(const StepOutcome& s) {
  switch (s.step) {
    case SaveStep::Create:
      return "作成";
    case SaveStep::Write:
      return Format("書き込み (%.0f MB)", s.bytes / kMegabyte);
    case SaveStep::Read:
      return Format("読み戻しと比較 (%.0f MB)", s.bytes / kMegabyte);
    case SaveStep::Remove:
      return "削除";
  }
  return "";
}

AnsiString StepLine(const StepOutcome& s, IShareFiles& files) {
  AnsiString line = StepLabel(s) + ": ";
  if (s.ok()) {
    line += Format("成功 (%.3f 秒", s.seconds);
    if (s.bytes > 0) {
      // A step faster than the clock can tell has no rate worth printing.
      line += s.seconds > 0 ? Format("、%.1f MB/秒)", s.bytes / kMegabyte / s.seconds)
                            : AnsiString(")");
    } else {
      line += ")";
    }
    return line;
  }
  line += Format("失敗 (%.3f 秒) ", s.seconds);
  if (s.differs) return line + "書いた内容と違う内容が読み戻されました。";
  return line + files.SystemText(s.code) + Format("(code=%u)", s.code);
}

int ExitFor(const StepOutcome& failed) {
  if (failed.differs) return kProbeOther;
  switch (AdviseOnSaveFailure(failed.code).kind) {
    case SaveFailureKind::Unreachable:
      return kProbeUnreachable;
    case SaveFailureKind::NotWritable:
      return kProbeNotWritable;
    case SaveFailureKind::Other:
      break;
  }
  return kProbeOther;
}

bool IsDeviceName(const AnsiString& server) {
  // \\?\ and \\.\ name devices and raw paths, not computers.
  return server.view() == "?" || server.view() == ".";
}

}  // namespace

ProbeTarget ParseProbeTarget(const AnsiString& argument) {
  ProbeTarget target;
  constexpr char kNotUnc[] =
      "/probe には \\\\パソコン名\\共有名 の形で共有フォルダを指定してください。";
  if (argument.size() < 2 || argument[0] != '\\' || argument[1] != '\\') {
    target.error = kNotUnc;
    return target;
  }
  // Split what follows the two backslashes at the backslashes that are characters of their own,
  // never at the second byte of a double-byte character.
  std::vector<AnsiString> parts(1);
  bool badCharacter = false;
  ForEachCp932Char(argument.substr(2), [&](const AnsiString& c) {
    if (c.view() == "\\") {
      parts.emplace_back();
      return;
    }
    if (c.size() == 1 && (static_cast<unsigned char>(c[0]) < 0x20 ||
                          AnsiString("/*?\"<>|:").find(c[0]) != AnsiString::npos)) {
      badCharacter = true;
    }
    parts.back() += c;
  });
  if (!parts.empty() && parts.back().empty()) parts.pop_back();  // one closing backslash
  // "." and ".." would name another folder than the one the argument seems to name.
  const bool emptyPart = std::any_of(parts.begin(), parts.end(), [](const AnsiString& p) {
    return p.empty() || p.view() == "." || p.view() == "..";
  });
  if (parts.size() < 2 || emptyPart || IsDeviceName(parts[0]) || badCharacter) {
    target.error = kNotUnc;
    return target;
  }
  target.folder = "\\\\" + parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) target.folder += "\\" + parts[i];
  return target;
}

int RunProbe(const AnsiString& argument, IShareFiles& files, IRunReport& report) {
  const ProbeTarget target = ParseProbeTarget(argument);
  if (!target.error.empty()) {
    report.Tell(target.error);
    return kExitUsage;
  }
  report.Tell("接続先: " + target.folder);
  const SaveTrial trial = TrySave(files, target.folder, kProbeBytes);
  report.Tell("確認用のファイル: " + trial.path);
  for (const StepOutcome& s : trial.steps) report.Tell(StepLine(s, files));

  const StepOutcome* failed = trial.failure();
  if (!failed) {
    report.Tell("判定: この共有フォルダに保存できます。");
    return kProbePassed;
  }
  const SaveFailureAdvice advice = AdviseOnSaveFailure(failed->code);
  if (!failed->differs && !advice.cause.empty()) {
    report.Tell("原因: " + advice.cause);
    report.Tell("対処: " + advice.remedy);
  }
  if (trial.leftBehind) {
    report.Tell("確認用のファイルを削除できませんでした。手で削除してください: " + trial.path);
  }
  const int exit = ExitFor(*failed);
  const char* verdict = exit == kProbeUnreachable ? "判定: この共有フォルダに接続できません。"
                        : exit == kProbeNotWritable ? "判定: 接続できますが、保存できません。"
                                                    : "判定: 確認できませんでした。";
  report.Tell(AnsiString(verdict));
  return exit;
}

}  // namespace qv
