#include "share/share_input.h"

namespace qv {

namespace {
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDrivePrefix(const AnsiString& path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

// Whether any single-byte character of text is one of chars (trail bytes never count).
bool HoldsAnyOf(const AnsiString& text, const AnsiString& chars, bool controlsToo) {
  bool found = false;
  ForEachCp932Char(text, [&](const AnsiString& c) {
    if (c.size() != 1) return;
    unsigned char b = static_cast<unsigned char>(c[0]);
    if (chars.find(c[0]) != AnsiString::npos || (controlsToo && (b < 0x20 || b == 0x7F))) {
      found = true;
    }
  });
  return found;
}
}  // namespace

AnsiString DropTrailingBackslashes(const AnsiString& path) {
  AnsiString result = path;
  while (HasTrailingBackslash(result)) {
    if (result.size() == 3 && HasDrivePrefix(result)) break;
    result.pop_back();
  }
  return result;
}

bool IsLocalAbsolutePath(const AnsiString& path) {
  if (path.size() < 3 || !HasDrivePrefix(path) || (path[2] != '\\' && path[2] != '/')) return false;
  return !HoldsAnyOf(path.substr(2), "*?<>|\":", true);
}

bool IsUsableShareName(const AnsiString& name) {
  if (HoldsAnyOf(name, "\\/:*?\"<>|[];,=+", true)) return false;
  // The system's own shares: the server would answer for them only after the folders were made.
  const AnsiString upper = AnsiUpperCase(name);
  if (upper == "IPC$" || upper == "ADMIN$" || upper == "PRINT$") return false;
  return !(upper.size() == 2 && upper[0] >= 'A' && upper[0] <= 'Z' && upper[1] == '$');
}

bool IsDriveRoot(const AnsiString& path) {
  if (!HasDrivePrefix(path)) return false;
  return path.view().substr(2).find_first_not_of('\\') == std::string_view::npos;
}

}  // namespace qv
