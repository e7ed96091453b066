#include "security/security_descriptor.h"

#include "security/security_exception.h"

namespace qv {

namespace {

constexpr std::uint32_t kSecurityInformationBits[] = {
    0x00000001, 0x00000002, 0x00000004, 0x00000008, 0x00000010,
    0x80000000, 0x40000000, 0x20000000, 0x10000000,
};
constexpr std::uint16_t kControlBits[] = {
    0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0100,
    0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000,
};

std::shared_ptr<const TSecurityId> CopyOf(TBytes sid) {
  if (sid.data() == nullptr) return nullptr;
  return std::make_shared<TSecurityId>(sid);
}

}  // namespace

std::uint32_t SecurityInformationValue(TSecurityInformation parts) {
  std::uint32_t value = 0;
  for (int m = siOwner; m <= siUnprotectedSacl; ++m) {
    if (parts.Contains(static_cast<TSecurityInformationFlag>(m))) {
      value |= kSecurityInformationBits[m];
    }
  }
  return value;
}

TSecurityDescriptorControl ControlFromWord(std::uint16_t word) {
  TSecurityDescriptorControl control;
  for (int m = sdcOwnerDefaulted; m <= sdcSelfRelative; ++m) {
    if (word & kControlBits[m]) control.Include(static_cast<TSecurityDescriptorControlFlag>(m));
  }
  return control;
}

std::uint16_t ControlToWord(TSecurityDescriptorControl control) {
  std::uint16_t word = 0;
  for (int m = sdcOwnerDefaulted; m <= sdcSelfRelative; ++m) {
    if (control.Contains(static_cast<TSecurityDescriptorControlFlag>(m))) word |= kControlBits[m];
  }
  return word;
}

TSecurityDescriptor::TSecurityDescriptor()
    : dacl_(std::make_unique<TDAccessControlList>()),
      sacl_(std::make_unique<TSAccessControlList>()) {}

TSecurityDescriptor::TSecurityDescriptor(IFileSecurityPlatform& platform,
                                         TPlatformDescriptor descriptor) {
  std::uint16_t word = 0;
  if (!platform.DescriptorControl(descriptor, word)) {
    throw ESecurityException("GetSecurityDescriptorControl failed");
  }
  control_ = ControlFromWord(word);

  TBytes sid;
  if (!platform.DescriptorOwner(descriptor, sid, ownerDefaulted_)) {
    throw ESecurityException("GetSecurityDescriptorOwner failed");
  }
  owner_ = CopyOf(sid);
  if (!platform.DescriptorGroup(descriptor, sid, groupDefaulted_)) {
    throw ESecurityException("GetSecurityDescriptorGroup failed");
  }
  group_ = CopyOf(sid);

  bool present = false;
  TBytes acl;
  if (!platform.DescriptorDacl(descriptor, present, acl, daclDefaulted_)) {
    throw ESecurityException("GetSecurityDescriptorDacl failed");
  }
  // A NULL DACL has no list to change, just as a missing one.
  if (present && acl.data() != nullptr) dacl_ = std::make_unique<TDAccessControlList>(acl);

  present = false;
  acl = {};
  if (!platform.DescriptorSacl(descriptor, present, acl, saclDefaulted_)) {
    throw ESecurityException("GetSecurityDescriptorSacl failed");
  }
  sacl_ = (present && acl.data() != nullptr) ? std::make_unique<TSAccessControlList>(acl)
                                             : std::make_unique<TSAccessControlList>();
}

TProtectionState TSecurityDescriptor::GetProtectedState(int index) const {
  switch (index) {
    case 0:
      return control_.Contains(sdcDaclProtected) ? psProtected : psNotStated;
    case 1:
      return control_.Contains(sdcSaclProtected) ? psProtected : psNotStated;
    default:
      throw ESecurityException(Format("GetProtectedState: index %d names no list", index));
  }
}

}  // namespace qv
