// The environment probes' system calls on Windows: wide functions, texts converted with code
// page 932.
#pragma once

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

// Full path of the running executable, whatever its length.
Cp932Path ExecutableFilePath();

}  // namespace qv::win
