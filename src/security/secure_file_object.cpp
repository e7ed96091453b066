#include "security/secure_file_object.h"

#include "security/security_exception.h"

namespace qv {

namespace {

// The platform's descriptor, released with LocalFree when the read is over, however it ends.
class TReceivedDescriptor {
 public:
  explicit TReceivedDescriptor(IFileSecurityPlatform& platform) : platform_(platform) {}
  ~TReceivedDescriptor() {
    if (descriptor_) platform_.LocalFree(descriptor_);
  }
  TReceivedDescriptor(const TReceivedDescriptor&) = delete;
  TReceivedDescriptor& operator=(const TReceivedDescriptor&) = delete;
  TPlatformDescriptor* Receive() { return &descriptor_; }
  TPlatformDescriptor Get() const { return descriptor_; }

 private:
  IFileSecurityPlatform& platform_;
  TPlatformDescriptor descriptor_ = nullptr;
};

}  // namespace

std::unique_ptr<TSecurityDescriptor> TSecureBaseClass::GetNamedSecurityInfo(
    const AnsiString& path, TSecurityObjectType type, TSecurityInformation parts) {
  auto& platform = FileSecurityPlatform();
  TReceivedDescriptor received(platform);
  const std::uint32_t code =
      platform.ReadNamedSecurity(path, type, SecurityInformationValue(parts), received.Receive());
  if (code != 0) throw ESecurityException(Format("GetNamedSecurityInfo failed with code %u", code));
  if (!received.Get()) throw ESecurityException("GetNamedSecurityInfo returned no descriptor");
  return std::make_unique<TSecurityDescriptor>(platform, received.Get());
}

void TSecureBaseClass::SetNamedSecurityInfo(const AnsiString& path, TSecurityObjectType type,
                                            TSecurityDescriptor* descriptor,
                                            TSecurityInformation parts) {
  auto& platform = FileSecurityPlatform();
  if (!descriptor) throw ESecurityException("SetNamedSecurityInfo: no descriptor given");
  for (auto part : {siOwner, siGroup, siSacl, siLabel}) {
    if (parts.Contains(part)) {
      throw ESecurityException("SetNamedSecurityInfo: only the DACL part can be written");
    }
  }
  TGlobalMemory dacl;
  if (parts.Contains(siDacl)) {
    if (TDAccessControlList* list = descriptor->DACL()) {
      dacl = list->CreatePacl();
    } else {
      parts.Exclude(siDacl);
    }
  }
  const std::uint32_t code =
      platform.WriteNamedSecurity(path, type, SecurityInformationValue(parts), {}, {},
                                  dacl ? TBytes(dacl.Bytes()) : TBytes{}, {});
  dacl.Reset();
  if (code != 0) throw ESecurityException(Format("SetNamedSecurityInfo failed with code %u", code));
}

std::unique_ptr<TSecurityDescriptor> TSecureFileObject::GetSecurityDescriptor(
    TSecurityInformation parts) const {
  if (path_.empty()) throw ESecurityException("The file object has no path");
  return GetNamedSecurityInfo(path_, otFileObject, parts);
}

void TSecureFileObject::SetSecurityDescriptor(TSecurityDescriptor& descriptor,
                                              TSecurityInformation parts) const {
  for (auto protection : {siProtectedDacl, siProtectedSacl, siUnprotectedDacl, siUnprotectedSacl}) {
    parts.Exclude(protection);
  }
  if (descriptor.GetProtectedState(0) == psProtected) parts.Include(siProtectedDacl);
  if (descriptor.GetProtectedState(1) == psProtected) parts.Include(siProtectedSacl);
  if (path_.empty()) throw ESecurityException("The file object has no path");
  SetNamedSecurityInfo(path_, otFileObject, &descriptor, parts);
}

}  // namespace qv
