// What the dialog asks the operating system about its environment: group membership of the
// process, the system and documents folders, the major version and one registry number. The
// decisions live in EnvironmentProbes; IProbePlatform answers the questions themselves.
#pragma once

#include <cstdint>

#include "dialog/platform_types.h"
#include "framework/ansi_string.h"

namespace qv {

enum class RegistryRoot { CurrentUser, LocalMachine };

// A registry value as a 32-bit number, or why there is none.
struct RegistryDword {
  enum class State {
    Missing,     // the key or the value does not exist, or the key cannot be opened
    WrongType,   // the value exists but is not a 32-bit number
    Unreadable,  // the value exists as a 32-bit number but could not be read
    Read,
  };
  State state = State::Missing;
  std::int32_t value = 0;
};

class IProbePlatform {
 public:
  virtual ~IProbePlatform() = default;

  // Whether the process's token lists the built-in group S-1-5-32-<rid>; deny-only and disabled
  // entries count too. Raises OsError with the system's code and text when the token cannot be
  // read.
  virtual bool IsInBuiltinGroup(std::int32_t rid) = 0;
  // The system directory; "" on failure.
  virtual AnsiString SystemDirectory() = 0;
  // The user's documents folder, not created; text "" when the system names none.
  virtual Cp932Path DocumentsFolder() = 0;
  // Full path of the running executable.
  virtual Cp932Path ExecutablePath() = 0;
  // Major version number as the system reports it; no failure is detected.
  virtual std::int32_t OsMajorVersion() = 0;
  // A value under root\subKey (subKey without a leading backslash), opened for reading only.
  virtual RegistryDword ReadDword(RegistryRoot root, const AnsiString& subKey,
                                  const AnsiString& valueName) = 0;
};

// Relative identifier of the built-in Administrators group (S-1-5-32-544), DOMAIN_ALIAS_RID_ADMINS.
// (Named apart from the Windows headers' macros, which this header must live beside.)
constexpr std::int32_t kRidAdmins = 544;

// What a run without administrator rights is told.
inline constexpr char kNotAdministrator[] =
    "このプログラムは、管理者権限を持つユーザーで実行して下さい。\r";

class EnvironmentProbes {
 public:
  explicit EnvironmentProbes(IProbePlatform& platform) : platform_(platform) {}

  // Whether the process token lists S-1-5-32-<rid>. Raises OsError when a system call fails.
  bool IsInBuiltinGroup(std::int32_t rid) { return platform_.IsInBuiltinGroup(rid); }
  // The system directory without a trailing backslash, or "".
  AnsiString GetSystemDir();
  // The user's documents folder, else the executable's folder; no trailing backslash.
  Cp932Path GetDocumentsDir();
  std::int32_t GetOsMajorVersion() { return platform_.OsMajorVersion(); }
  // Full path of the running executable.
  Cp932Path GetExecutablePath() { return platform_.ExecutablePath(); }
  // Whether this run must be refused for want of administrator rights. From version 6 on the
  // manifest has the system start us with them; before, only membership of Administrators counts.
  bool LacksAdministratorRights(std::int32_t osMajorVersion) {
    return osMajorVersion < 6 && !IsInBuiltinGroup(kRidAdmins);
  }
  // The 32-bit number stored in a value, or 0 when it was not read. Raises Exception for a value
  // that is not a 32-bit number.
  std::int32_t ReadRegInteger(RegistryRoot root, const AnsiString& keyPath,
                              const AnsiString& valueName);

 private:
  IProbePlatform& platform_;
};

// "C:\" for "c:\windows\system32"; "C:\" too when the directory holds no drive.
AnsiString SystemDriveRootOf(const AnsiString& systemDir);

}  // namespace qv
