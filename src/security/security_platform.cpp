#include "security/security_platform.h"

#include <utility>

#include "security/portable_security_platform.h"

namespace qv {

namespace {

TPortableSecurityPlatform& PortablePlatform() {
  static TPortableSecurityPlatform platform;
  return platform;
}

ISecurityPlatform* installed = nullptr;

}  // namespace

ISecurityPlatform& SecurityPlatform() { return installed ? *installed : PortablePlatform(); }

ISecurityPlatform* SetSecurityPlatform(ISecurityPlatform* platform) {
  return std::exchange(installed, platform);
}

TGlobalMemory::TGlobalMemory(ISecurityPlatform& platform, std::size_t size, std::uint32_t flags)
    : platform_(&platform), memory_(platform.GlobalAlloc(flags, size)), size_(size) {
  if (!memory_) size_ = 0;
}

TGlobalMemory::TGlobalMemory(TGlobalMemory&& other) noexcept
    : platform_(std::exchange(other.platform_, nullptr)),
      memory_(std::exchange(other.memory_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

TGlobalMemory& TGlobalMemory::operator=(TGlobalMemory&& other) noexcept {
  if (this != &other) {
    Reset();
    platform_ = std::exchange(other.platform_, nullptr);
    memory_ = std::exchange(other.memory_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void TGlobalMemory::Reset() {
  if (memory_) platform_->GlobalFree(memory_);
  memory_ = nullptr;
  size_ = 0;
}

}  // namespace qv
