#include "dialog/environment_probes.h"

#include "framework/errors.h"

namespace qv {

AnsiString EnvironmentProbes::GetSystemDir() {
  return ExcludeTrailingBackslash(platform_.SystemDirectory());
}

Cp932Path EnvironmentProbes::GetDocumentsDir() {
  Cp932Path dir = platform_.DocumentsFolder();
  if (dir.text.empty()) {
    Cp932Path exe = platform_.ExecutablePath();
    std::size_t slash = LastDelimiter("\\", exe.text);
    dir.representable = exe.representable;
    // Up to the last backslash and without it; "D:" for an executable in the root of a drive.
    dir.text = slash == std::string_view::npos ? AnsiString() : exe.text.substr(0, slash);
  }
  dir.text = ExcludeTrailingBackslash(dir.text);
  return dir;
}

std::int32_t EnvironmentProbes::ReadRegInteger(RegistryRoot root, const AnsiString& keyPath,
                                               const AnsiString& valueName) {
  if (GetOsMajorVersion() < 6) return 0;

  // A leading backslash means "from the root key itself", which is what the system call expects
  // of a path without one.
  AnsiString subKey = !keyPath.empty() && keyPath[0] == '\\' ? keyPath.substr(1) : keyPath;
  RegistryDword read = platform_.ReadDword(root, subKey, valueName);
  switch (read.state) {
    case RegistryDword::State::Missing:
      return 0;
    case RegistryDword::State::WrongType:
      throw Exception(Format("'%s' のデータ型が不正です", valueName.c_str()));
    case RegistryDword::State::Unreadable:
      throw Exception(Format("'%s' の取得に失敗しました", valueName.c_str()));
    case RegistryDword::State::Read:
      break;
  }
  return read.value;
}

AnsiString SystemDriveRootOf(const AnsiString& systemDir) {
  AnsiString drive = ExtractFileDrive(systemDir);
  if (drive.empty()) return "C:\\";
  return AnsiUpperCase(drive) + "\\";
}

}  // namespace qv
