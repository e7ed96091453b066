// What the dialog asks the operating system about its environment: group membership of the
// process, the system and documents folders, the major version and one registry number. The
// decisions live in EnvironmentProbes; IProbePlatform is the bare system calls behind them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "dialog/platform_types.h"
#include "framework/ansi_string.h"

namespace qv {

enum class RegRoot : std::uint32_t { rkCurrentUser = 0x80000001u, rkLocalMachine = 0x80000002u };

struct RegValueInfo {
  bool exists = false;
  std::uint32_t type = 0;  // REG_DWORD is 4
  std::uint32_t size = 0;
};

using SidAuthority = std::array<std::uint8_t, 6>;

class IProbePlatform {
 public:
  virtual ~IProbePlatform() = default;

  // The calling thread's last error code; read right after a call reported failure.
  virtual std::uint32_t LastError() = 0;
  // The system's own text for an error code, without trailing line breaks; "" when it has none.
  virtual AnsiString SystemErrorText(std::uint32_t code) = 0;

  // Token of the current process with the given access; 0 on failure.
  virtual OsHandle OpenCurrentProcessToken(std::uint32_t access) = 0;
  virtual void CloseTokenHandle(OsHandle token) = 0;
  // The token's group list (class TokenGroups) into buffer. On failure returnLength holds the
  // size the system asked for, when it said.
  virtual bool ReadTokenGroups(OsHandle token, std::span<std::byte> buffer,
                               std::uint32_t& returnLength) = 0;
  // Entries of a group list that ReadTokenGroups filled in.
  virtual std::uint32_t TokenGroupCount(std::span<const std::byte> groups) = 0;
  // Whether the identifier of entry index equals sid (EqualSid).
  virtual bool TokenGroupSidEquals(std::span<const std::byte> groups, std::uint32_t index,
                                   OsHandle sid) = 0;
  // A security identifier built from an authority and its sub-authorities; 0 on failure.
  virtual OsHandle AllocateSid(const SidAuthority& authority,
                               std::span<const std::uint32_t> subAuthorities) = 0;
  virtual void ReleaseSid(OsHandle sid) = 0;

  // The system directory; "" on failure or when it does not fit the system's buffer.
  virtual AnsiString SystemDirectory() = 0;
  // A special folder (CSIDL number), not created; text "" when the system gives none.
  virtual Cp932Path SpecialFolderPath(int csidl) = 0;
  // Full path of the running executable.
  virtual Cp932Path ExecutablePath() = 0;
  // Major version number as the system reports it; no failure is detected.
  virtual std::int32_t OsMajorVersion() = 0;

  // Registry key under root (subKey without a leading backslash), not created; 0 on failure.
  virtual OsHandle OpenRegistryKey(RegRoot root, const AnsiString& subKey,
                                   std::uint32_t access) = 0;
  virtual void CloseRegistryKey(OsHandle key) = 0;
  virtual RegValueInfo QueryRegistryValue(OsHandle key, const AnsiString& valueName) = 0;
  // Reads a value's data into buffer; false when the system refuses (for example it does not
  // fit). dataSize tells how many bytes were written.
  virtual bool ReadRegistryData(OsHandle key, const AnsiString& valueName,
                                std::span<std::byte> buffer, std::uint32_t& dataSize) = 0;
};

// Relative identifier of the built-in Administrators group (S-1-5-32-544), DOMAIN_ALIAS_RID_ADMINS.
// (Named apart from the Windows headers' macros, which this header must live beside.)
constexpr std::int32_t kRidAdmins = 544;
constexpr int kCsidlPersonal = 5;  // CSIDL_PERSONAL, the user's documents

class EnvironmentProbes {
 public:
  explicit EnvironmentProbes(IProbePlatform& platform) : platform_(platform) {}

  // Whether the process token lists S-1-5-32-<rid>. Raises EOSError when a system call fails.
  bool IsInBuiltinGroup(std::int32_t rid);
  // The system directory without a trailing backslash, or "".
  AnsiString GetSystemDir();
  // The user's documents folder, else the executable's folder; no trailing backslash.
  Cp932Path GetDocumentsDir();
  std::int32_t GetOsMajorVersion();
  // The 32-bit number stored in a value, or 0 when it was not read. Raises Exception for a value
  // that is not a 32-bit number.
  std::int32_t ReadRegInteger(RegRoot root, const AnsiString& keyPath, const AnsiString& valueName);

 private:
  [[noreturn]] void RaiseLastOSError();

  IProbePlatform& platform_;
};

// "C:\" for "c:\windows\system32"; "C:\" too when the directory holds no drive.
AnsiString SystemDriveRootOf(const AnsiString& systemDir);

}  // namespace qv
