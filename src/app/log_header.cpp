#include "app/log_header.h"

#include <cstdlib>

namespace qv {

AnsiString QuotedArgument(const AnsiString& argument) {
  if (!argument.empty() && argument.view().find_first_of(" \t\"") == std::string_view::npos)
    return argument;
  AnsiString out = "\"";
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    const char c = argument[i];
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows; before a quote each must be doubled.
    out += AnsiString(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out.push_back(c);
    // A trail byte may be 0x5C; it is part of a character, never a backslash.
    if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < argument.size()) {
      out.push_back(argument[++i]);
    }
  }
  // The closing quote makes the trailing run precede a quote too.
  out += AnsiString(backslashes * 2, '\\');
  out.push_back('"');
  return out;
}

AnsiString LogHeaderLine(const RunFacts& facts) {
  AnsiString arguments;
  for (const AnsiString& argument : facts.arguments) {
    if (!arguments.empty()) arguments += ' ';
    arguments += QuotedArgument(argument);
  }
  const int offset = std::abs(facts.utcOffsetMinutes);
  const char* elevated = !facts.elevated ? "不明" : *facts.elevated ? "はい" : "いいえ";
  return Format(
      "qvsetshare %s 引数: %s ユーザー: %s コンピュータ: %s 管理者として実行: %s UTC%c%02d:%02d",
      facts.version.c_str(), arguments.c_str(), facts.user.c_str(), facts.computer.c_str(),
      elevated, facts.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
}

}  // namespace qv
