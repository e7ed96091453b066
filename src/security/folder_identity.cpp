#include "security/folder_identity.h"

namespace qv {

namespace {
constexpr std::string_view kLongPrefix = "\\\\?\\";
constexpr std::string_view kLongUncPrefix = "\\\\?\\UNC\\";

AnsiString Comparable(const AnsiString& path) {
  AnsiString plain = WithoutLongPathPrefix(path);
  // C:\ keeps its backslash: C: alone would be the drive's current folder.
  if (plain.size() > 3 && HasTrailingBackslash(plain)) plain = ExcludeTrailingBackslash(plain);
  return AnsiUpperCase(plain);
}
}  // namespace

AnsiString WithoutLongPathPrefix(const AnsiString& path) {
  std::string_view text = path.view();
  if (text.size() >= kLongUncPrefix.size() &&
      AnsiUpperCase(AnsiString(text.substr(0, kLongUncPrefix.size()))).view() == kLongUncPrefix) {
    return AnsiString("\\\\") + AnsiString(text.substr(kLongUncPrefix.size()));
  }
  if (text.starts_with(kLongPrefix)) return AnsiString(text.substr(kLongPrefix.size()));
  return path;
}

bool SamePath(const AnsiString& a, const AnsiString& b) { return Comparable(a) == Comparable(b); }

std::optional<AnsiString> ElsewhereTarget(const AnsiString& path, const FolderIdentity& identity) {
  // Windows reports a junction opened as itself in finalPath and its target in targetPath; Wine
  // follows the link in both. Either one elsewhere is enough.
  for (const AnsiString* seen : {&identity.targetPath, &identity.finalPath}) {
    if (!SamePath(*seen, path)) return WithoutLongPathPrefix(*seen);
  }
  return std::nullopt;
}

}  // namespace qv
