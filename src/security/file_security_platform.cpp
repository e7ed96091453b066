#include "security/file_security_platform.h"

#include <utility>

#include "security/security_exception.h"

namespace qv {

namespace {
IFileSecurityPlatform* installed = nullptr;
}

IFileSecurityPlatform& FileSecurityPlatform() {
  if (!installed) throw ESecurityException("No file security platform is installed");
  return *installed;
}

IFileSecurityPlatform* SetFileSecurityPlatform(IFileSecurityPlatform* platform) {
  return std::exchange(installed, platform);
}

}  // namespace qv
