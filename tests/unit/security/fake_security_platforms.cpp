#include "security/fake_security_platforms.h"

#include "framework/ansi_string.h"

namespace qv::testing {

namespace {
void Append16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(Bytes& b, std::uint32_t v) {
  Append16(b, v & 0xFFFF);
  Append16(b, v >> 16);
}
TBytes View(const std::optional<Bytes>& bytes) { return bytes ? TBytes(*bytes) : TBytes{}; }
std::optional<Bytes> Copy(TBytes bytes) {
  if (bytes.data() == nullptr) return std::nullopt;
  return Bytes(bytes.begin(), bytes.end());
}
}  // namespace

TRecordingSecurityPlatform::~TRecordingSecurityPlatform() {
  EXPECT_EQ(blocks_.size(), 0u) << "GlobalAlloc blocks never given back";
  for (void* block : blocks_) TPortableSecurityPlatform::GlobalFree(block);
}

TFakeFileSecurityPlatform::~TFakeFileSecurityPlatform() {
  EXPECT_EQ(live_.size(), 0u) << "descriptors never given back with LocalFree";
}

std::uint32_t TFakeFileSecurityPlatform::ReadNamedSecurity(const AnsiString& path,
                                                           TSecurityObjectType type,
                                                           std::uint32_t si,
                                                           TPlatformDescriptor* descriptor) {
  ReadsAsked.push_back(si);
  if (log_.Fails("GetNamedSecurityInfo")) return log_.FailCode;
  EXPECT_EQ(type, otFileObject);
  const auto it = Objects.find(path);
  if (it == Objects.end()) return 2;  // ERROR_FILE_NOT_FOUND
  // Like the platform: only the parts asked for are in the descriptor.
  auto made = std::make_unique<TFakeObject>(it->second);
  if (!(si & 0x1)) made->Owner.reset();
  if (!(si & 0x2)) made->Group.reset();
  if (!(si & 0x4)) made->DaclPresent = false;
  if (!(si & 0x8)) made->SaclPresent = false;
  *descriptor = made.get();
  live_.emplace(made.get(), std::move(made));
  return 0;
}

std::uint32_t TFakeFileSecurityPlatform::WriteNamedSecurity(const AnsiString& path,
                                                            TSecurityObjectType type,
                                                            std::uint32_t si, TBytes owner,
                                                            TBytes group, TBytes dacl,
                                                            TBytes sacl) {
  Writes.push_back({path, type, si, owner.data() == nullptr, group.data() == nullptr,
                    sacl.data() == nullptr, Copy(dacl)});
  if (log_.Fails("SetNamedSecurityInfo")) return log_.FailCode;
  const auto it = Objects.find(path);
  if (it == Objects.end()) return 2;
  if (si & 0x4) {
    it->second.DaclPresent = true;
    it->second.Dacl = Copy(dacl);
  }
  return 0;
}

TFakeObject* TFakeFileSecurityPlatform::Live(TPlatformDescriptor descriptor) {
  const auto it = live_.find(descriptor);
  if (it == live_.end()) {
    ADD_FAILURE() << "query of a descriptor that is not live";
    return nullptr;
  }
  return it->second.get();
}

bool TFakeFileSecurityPlatform::DescriptorControl(TPlatformDescriptor d, std::uint16_t& control) {
  if (log_.Fails("GetSecurityDescriptorControl")) return false;
  const TFakeObject* o = Live(d);
  if (!o) return false;
  control = o->Control;
  return true;
}

bool TFakeFileSecurityPlatform::DescriptorOwner(TPlatformDescriptor d, TBytes& sid,
                                                bool& defaulted) {
  if (log_.Fails("GetSecurityDescriptorOwner")) return false;
  const TFakeObject* o = Live(d);
  if (!o) return false;
  sid = View(o->Owner);
  defaulted = o->OwnerDefaulted;
  return true;
}

bool TFakeFileSecurityPlatform::DescriptorGroup(TPlatformDescriptor d, TBytes& sid,
                                                bool& defaulted) {
  if (log_.Fails("GetSecurityDescriptorGroup")) return false;
  const TFakeObject* o = Live(d);
  if (!o) return false;
  sid = View(o->Group);
  defaulted = o->GroupDefaulted;
  return true;
}

bool TFakeFileSecurityPlatform::DescriptorDacl(TPlatformDescriptor d, bool& present, TBytes& acl,
                                               bool& defaulted) {
  if (log_.Fails("GetSecurityDescriptorDacl")) return false;
  const TFakeObject* o = Live(d);
  if (!o) return false;
  present = o->DaclPresent;
  acl = present ? View(o->Dacl) : TBytes{};
  defaulted = o->DaclDefaulted;
  return true;
}

bool TFakeFileSecurityPlatform::DescriptorSacl(TPlatformDescriptor d, bool& present, TBytes& acl,
                                               bool& defaulted) {
  if (log_.Fails("GetSecurityDescriptorSacl")) return false;
  const TFakeObject* o = Live(d);
  if (!o) return false;
  present = o->SaclPresent;
  acl = present ? View(o->Sacl) : TBytes{};
  defaulted = o->SaclDefaulted;
  return true;
}

void TFakeFileSecurityPlatform::LocalFree(TPlatformDescriptor descriptor) {
  log_.Fails("LocalFree");
  if (live_.erase(descriptor) != 1) ADD_FAILURE() << "LocalFree of a descriptor never returned";
}

SecurityPlatformTest::SecurityPlatformTest() { FreeWellKnownSids(); }
SecurityPlatformTest::~SecurityPlatformTest() { FreeWellKnownSids(); }

Bytes Ace(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Bytes& sid,
          const Bytes& trailer) {
  Bytes b = {type, flags};
  Append16(b, static_cast<std::uint32_t>(8 + sid.size() + trailer.size()));
  Append32(b, mask);
  b.insert(b.end(), sid.begin(), sid.end());
  b.insert(b.end(), trailer.begin(), trailer.end());
  return b;
}

Bytes ObjectAce(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                const std::optional<TGuid>& objectType, const std::optional<TGuid>& inheritedType,
                const Bytes& sid) {
  Bytes body;
  Append32(body, mask);
  Append32(body, (objectType ? 1u : 0u) | (inheritedType ? 2u : 0u));
  for (const auto* guid : {&objectType, &inheritedType}) {
    if (*guid) body.insert(body.end(), (*guid)->Bytes.begin(), (*guid)->Bytes.end());
  }
  body.insert(body.end(), sid.begin(), sid.end());
  Bytes b = {type, flags};
  Append16(b, static_cast<std::uint32_t>(4 + body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes Acl(std::uint8_t revision, const std::vector<Bytes>& aces, std::size_t spare) {
  std::size_t size = 8 + spare;
  for (const auto& a : aces) size += a.size();
  Bytes b = {revision, 0};
  Append16(b, static_cast<std::uint32_t>(size));
  Append16(b, static_cast<std::uint32_t>(aces.size()));
  Append16(b, 0);
  for (const auto& a : aces) b.insert(b.end(), a.begin(), a.end());
  b.resize(size, 0);
  return b;
}

std::string Hex(TBytes bytes) {
  std::string s;
  for (std::uint8_t b : bytes) s += Format("%s%02X", s.empty() ? "" : " ", b);
  return s;
}

}  // namespace qv::testing
