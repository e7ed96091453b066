// The command line: the dialog (optionally with its two fields filled in), the unattended share
// for installers, the read-only check for support staff, and the usage. Windows conventions:
// options begin with / or -, are matched without regard to case, and take their value from the
// next argument. Generic over the string type: the Windows layer parses UTF-16 arguments as they
// came, tests use plain strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/ansi_string.h"
#include "share/exit_codes.h"

namespace qv {

enum class RunMode { Dialog, Quiet, Check, Probe, Remove, Usage };

template <typename String>
struct CommandLine {
  RunMode mode = RunMode::Dialog;
  std::optional<String> path, name, log;
  std::optional<String> probe;  // \\computer\share to try a save through, from another computer
  bool yes = false;
  // Not empty: the arguments cannot be run; says why.
  AnsiString error;
  // The argument the error is about, as given, when it is about one: an administrator reading
  // the error should not have to guess which of a long installer line was meant.
  std::optional<String> culprit;
};

namespace command_line_detail {
template <typename Char>
bool SameOption(std::basic_string_view<Char> arg, std::string_view option) {
  if (arg.size() != option.size() + 1 || (arg[0] != Char('/') && arg[0] != Char('-'))) return false;
  for (std::size_t i = 0; i < option.size(); ++i) {
    Char c = arg[i + 1];
    if (c >= Char('A') && c <= Char('Z')) c = static_cast<Char>(c - Char('A') + Char('a'));
    if (c != static_cast<Char>(option[i])) return false;
  }
  return true;
}

template <typename Char>
bool IsUsageOption(std::basic_string_view<Char> arg) {
  return SameOption(arg, "?") || SameOption(arg, "help") || SameOption(arg, "h");
}

// An option of ours is never a value: `/name /quiet` means the name was forgotten, and taking
// "/quiet" as the name would open a dialog where an unattended share was asked for.
template <typename Char>
bool IsOption(std::basic_string_view<Char> arg) {
  for (const char* option : {"path", "name", "log", "quiet", "check", "yes"}) {
    if (SameOption(arg, option)) return true;
  }
  return IsUsageOption(arg);
}
}  // namespace command_line_detail

// args without the program's own name.
template <typename String>
CommandLine<String> ParseCommandLine(const std::vector<String>& args) {
  using Char = typename String::value_type;
  using View = std::basic_string_view<Char>;
  using command_line_detail::IsOption;
  using command_line_detail::IsUsageOption;
  using command_line_detail::SameOption;
  CommandLine<String> result;
  bool quiet = false, check = false, remove = false, usage = false;
  auto fail = [&result](AnsiString why, std::optional<String> culprit = std::nullopt) {
    if (!result.error.empty()) return;
    result.error = std::move(why);
    result.culprit = std::move(culprit);
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    View arg(args[i]);
    auto value = [&](std::optional<String>& slot, const char* option) {
      if (slot) fail("/" + AnsiString(option) + " が二度指定されています。");
      if (i + 1 >= args.size()) {
        fail("/" + AnsiString(option) + " の値がありません。");
        return;
      }
      if (IsOption(View(args[i + 1]))) {
        // Left for the loop: a following /? still shows the usage.
        fail("/" + AnsiString(option) + " の値がありません。", args[i + 1]);
        return;
      }
      slot = args[++i];
    };
    auto flag = [&](bool& slot, const char* option) {
      if (slot) fail("/" + AnsiString(option) + " が二度指定されています。");
      slot = true;
    };
    if (IsUsageOption(arg)) {
      usage = true;
    } else if (SameOption(arg, "path")) {
      value(result.path, "path");
    } else if (SameOption(arg, "name")) {
      value(result.name, "name");
    } else if (SameOption(arg, "log")) {
      value(result.log, "log");
    } else if (SameOption(arg, "quiet")) {
      flag(quiet, "quiet");
    } else if (SameOption(arg, "check")) {
      flag(check, "check");
    } else if (SameOption(arg, "probe")) {
      value(result.probe, "probe");
    } else if (SameOption(arg, "remove")) {
      flag(remove, "remove");
    } else if (SameOption(arg, "yes")) {
      flag(result.yes, "yes");
    } else {
      fail("不明な引数があります。", args[i]);
    }
  }
  if (usage) {
    result.mode = RunMode::Usage;
    return result;
  }
  if (quiet && check) fail("/quiet と /check は同時に指定できません。");
  if (check && result.path) fail("/check には /path を指定できません。");
  if (check && !result.name) fail("/check には /name が必要です。");
  if (remove && (quiet || check)) fail("/remove は /quiet や /check と同時に指定できません。");
  if (remove && result.path) fail("/remove には /path を指定できません。");
  if (remove && !result.name) fail("/remove には /name が必要です。");
  if (result.yes && !quiet && !remove)
    fail("/yes は /quiet または /remove と共に指定してください。");
  if (result.probe && (quiet || check || remove || result.path || result.name || result.yes)) {
    fail("/probe には /log のほかの引数を指定できません。");
  }
  if (result.log && !quiet && !check && !remove && !result.probe) {
    fail("/log は /quiet、/check、/probe、/remove のどれかと共に指定してください。");
  }
  if (!result.error.empty()) {
    result.mode = RunMode::Usage;
  } else if (quiet) {
    result.mode = RunMode::Quiet;
  } else if (check) {
    result.mode = RunMode::Check;
  } else if (result.probe) {
    result.mode = RunMode::Probe;
  } else if (remove) {
    result.mode = RunMode::Remove;
  }
  return result;
}

// The error as shown: its text, then the argument it is about (already in code page 932).
inline AnsiString UsageErrorText(const AnsiString& error,
                                 const std::optional<AnsiString>& culprit) {
  return culprit ? error + "\r引数: " + *culprit : error;
}

// True when a raw command line (the program's name first, as the system hands it over) holds
// nothing but that name: a quoted name or a run of non-blanks, then at most blanks. Only then
// are there surely no arguments; anything else, including a line that starts with a blank (the
// system's splitter then reads an empty name), is left to the system's splitter.
template <typename Char>
bool NamesOnlyTheProgram(std::basic_string_view<Char> line) {
  auto blank = [](Char c) { return c == Char(' ') || c == Char('\t'); };
  std::size_t end = 0;
  if (line.empty() || blank(line[0])) return false;
  if (line[0] == Char('"')) {
    end = line.find(Char('"'), 1);
    if (end == std::basic_string_view<Char>::npos) return false;
    ++end;
  } else {
    while (end < line.size() && !blank(line[end])) ++end;
  }
  for (; end < line.size(); ++end) {
    if (!blank(line[end])) return false;
  }
  return true;
}

// The usage text, in code page 932 with \r line breaks.
inline constexpr char kUsageText[] =
    "使い方:\r"
    "  qvsetshare.exe\r"
    "      共有フォルダの設定画面を開きます。\r"
    "  qvsetshare.exe /path <フォルダ> /name <共有名>\r"
    "      フォルダと共有名を入力した状態で設定画面を開きます。\r"
    "  qvsetshare.exe /quiet /path <フォルダ> /name <共有名> [/log <ファイル>] [/yes]\r"
    "      画面を表示せずに共有フォルダを設定します。\r"
    "      /yes: ドライブ全体やシステムのフォルダでも共有します。\r"
    "  qvsetshare.exe /check /name <共有名> [/log <ファイル>]\r"
    "      共有フォルダの状態を確認します (何も変更しません)。\r"
    "  qvsetshare.exe /probe \\\\<パソコン名>\\<共有名> [/log <ファイル>]\r"
    "      他のパソコンから、共有フォルダに保存できるか確認します。\r"
    "  qvsetshare.exe /remove /name <共有名> [/log <ファイル>] [/yes]\r"
    "      共有をやめ、フォルダに付けた Everyone の許可を外します。\r"
    "      フォルダとファイルは削除しません。/yes: 確認しません。\r"
    "  /log <ファイル>: 結果をファイルに追記します (UTF-8)。\r"
    "終了コード:\r"
    "  0 完了 (/check: 問題なし)  1 引数の誤り  2 フォルダまたは共有名が使用できない\r"
    "  3 共有名が使用中  4 管理者権限がない  5 フォルダを共有または作成できない\r"
    "  6 その他の共有エラー  7 フォルダのアクセス許可を設定できない\r"
    "  8 既に起動している  9 /check: 共有がないか、設定に問題がある\r"
    "  10 /probe: 接続できない  11 /probe: 保存できない  12 /probe: その他の失敗\r"
    "  /remove: 0 削除した  2 キャンセルした  3 共有がない  4 権限がない  6 その他\r";

}  // namespace qv
