// The environment probes' system calls on Windows: wide functions, texts converted with code
// page 932.
#pragma once

#include <cstddef>
#include <vector>

#include "dialog/environment_probes.h"

namespace qv::win {

class WinProbePlatform : public IProbePlatform {
 public:
  bool IsInBuiltinGroup(std::int32_t rid) override;
  AnsiString SystemDirectory() override;
  Cp932Path DocumentsFolder() override;
  Cp932Path ExecutablePath() override;
  std::int32_t OsMajorVersion() override;
  RegistryDword ReadDword(RegistryRoot root, const AnsiString& subKey,
                          const AnsiString& valueName) override;
};

// The token's group list (a TOKEN_GROUPS record), read first into a buffer of firstSize bytes
// and again into the size the system asks for when that is too small. Raises OsError with the
// system's code when the list cannot be read.
std::vector<std::byte> ReadTokenGroups(void* token, std::size_t firstSize = 1024);

// Full path of the running executable, whatever its length.
Cp932Path ExecutableFilePath();

}  // namespace qv::win
