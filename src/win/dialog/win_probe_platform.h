// The environment probes' system calls on Windows: wide functions, texts converted with code
// page 932.
#pragma once

#include "dialog/environment_probes.h"

namespace qv::win {

class WinProbePlatform : public IProbePlatform {
 public:
  std::uint32_t LastError() override;
  AnsiString SystemErrorText(std::uint32_t code) override;

  OsHandle OpenCurrentProcessToken(std::uint32_t access) override;
  void CloseTokenHandle(OsHandle token) override;
  bool ReadTokenGroups(OsHandle token, std::span<std::byte> buffer,
                       std::uint32_t& returnLength) override;
  std::uint32_t TokenGroupCount(std::span<const std::byte> groups) override;
  bool TokenGroupSidEquals(std::span<const std::byte> groups, std::uint32_t index,
                           OsHandle sid) override;
  OsHandle AllocateSid(const SidAuthority& authority,
                       std::span<const std::uint32_t> subAuthorities) override;
  void ReleaseSid(OsHandle sid) override;

  AnsiString SystemDirectory() override;
  Cp932Path SpecialFolderPath(int csidl) override;
  Cp932Path ExecutablePath() override;
  std::int32_t OsMajorVersion() override;

  OsHandle OpenRegistryKey(RegRoot root, const AnsiString& subKey, std::uint32_t access) override;
  void CloseRegistryKey(OsHandle key) override;
  RegValueInfo QueryRegistryValue(OsHandle key, const AnsiString& valueName) override;
  bool ReadRegistryData(OsHandle key, const AnsiString& valueName, std::span<std::byte> buffer,
                        std::uint32_t& dataSize) override;
};

// Full path of the running executable, whatever its length.
Cp932Path ExecutableFilePath();

}  // namespace qv::win
