// Fakes of the two security platforms for host tests, sharing one call log so that a test can see
// the whole sequence of platform calls and make any one of them fail.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "security/file_security_platform.h"
#include "security/portable_security_platform.h"
#include "security/security_id.h"

namespace qv::testing {

using Bytes = std::vector<std::uint8_t>;

// Every platform call in order; the call at index FailAt reports failure.
struct TCallLog {
  std::vector<std::string> Calls;
  int FailAt = -1;
  std::uint32_t FailCode = 5;  // what a failing read or write returns (ERROR_ACCESS_DENIED)

  // Records the call; true when it is the one to fail.
  bool Fails(const char* name) {
    Calls.emplace_back(name);
    return static_cast<int>(Calls.size()) - 1 == FailAt;
  }
  static bool IsRelease(const std::string& call) {
    return call == "GlobalFree" || call == "LocalFree";
  }
};

// The portable platform with every call logged, a chosen call failing, the GlobalAlloc blocks
// that are not given back yet, and access tokens that the test sets.
class TRecordingSecurityPlatform : public TPortableSecurityPlatform {
 public:
  explicit TRecordingSecurityPlatform(TCallLog& log) : log_(log) {}
  ~TRecordingSecurityPlatform() override;

  std::optional<Bytes> ThreadUser, ProcessUser;
  std::vector<std::uint32_t> TokenAccessAsked;
  std::size_t OutstandingBlocks() const { return blocks_.size(); }

  std::optional<Bytes> StringToSid(const AnsiString& text) override {
    if (log_.Fails("ConvertStringSidToSid")) return std::nullopt;
    return TPortableSecurityPlatform::StringToSid(text);
  }
  std::optional<AnsiString> SidToString(TBytes sid) override {
    if (log_.Fails("ConvertSidToStringSid")) return std::nullopt;
    return TPortableSecurityPlatform::SidToString(sid);
  }
  bool CopySid(TMutableBytes dest, TBytes source) override {
    return !log_.Fails("CopySid") && TPortableSecurityPlatform::CopySid(dest, source);
  }
  std::uint32_t GetLengthSid(TBytes sid) override {
    // A failing length query: the only sign it can give is a wrong length.
    if (log_.Fails("GetLengthSid")) return 0;
    return TPortableSecurityPlatform::GetLengthSid(sid);
  }
  bool IsValidAcl(TBytes acl) override {
    return !log_.Fails("IsValidAcl") && TPortableSecurityPlatform::IsValidAcl(acl);
  }
  std::optional<std::size_t> GetAce(TBytes acl, std::uint32_t index) override {
    if (log_.Fails("GetAce")) return std::nullopt;
    return TPortableSecurityPlatform::GetAce(acl, index);
  }
  bool InitializeAcl(TMutableBytes acl, std::uint32_t revision) override {
    return !log_.Fails("InitializeAcl") && TPortableSecurityPlatform::InitializeAcl(acl, revision);
  }
  bool AddAce(TMutableBytes acl, std::uint32_t rev, std::uint32_t at, TBytes aces) override {
    return !log_.Fails("AddAce") && TPortableSecurityPlatform::AddAce(acl, rev, at, aces);
  }
  bool AddObjectAce(std::uint8_t type, TMutableBytes acl, std::uint32_t rev, std::uint8_t flags,
                    std::uint32_t mask, const TGuid* objectType, const TGuid* inheritedType,
                    TBytes sid) override {
    return !log_.Fails("AddObjectAce") &&
           TPortableSecurityPlatform::AddObjectAce(type, acl, rev, flags, mask, objectType,
                                                   inheritedType, sid);
  }
  void* GlobalAlloc(std::uint32_t flags, std::size_t size) override {
    if (log_.Fails("GlobalAlloc")) return nullptr;
    void* block = TPortableSecurityPlatform::GlobalAlloc(flags, size);
    blocks_.insert(block);
    return block;
  }
  void GlobalFree(void* memory) override {
    log_.Fails("GlobalFree");
    if (blocks_.erase(memory) != 1) ADD_FAILURE() << "GlobalFree of a block never allocated";
    TPortableSecurityPlatform::GlobalFree(memory);
  }
  std::optional<Bytes> TokenUserSid(TTokenSource source, std::uint32_t access) override {
    TokenAccessAsked.push_back(access);
    if (log_.Fails(source == tsThread ? "OpenThreadToken" : "OpenProcessToken")) {
      return std::nullopt;
    }
    return source == tsThread ? ThreadUser : ProcessUser;
  }

 private:
  TCallLog& log_;
  std::set<void*> blocks_;
};

// A file system of named objects, each with a descriptor as the platform would keep it.
struct TFakeObject {
  std::uint16_t Control = 0x8004;  // SE_SELF_RELATIVE | SE_DACL_PRESENT
  std::optional<Bytes> Owner, Group;
  bool DaclPresent = true;
  std::optional<Bytes> Dacl;  // nothing while present: a NULL DACL
  bool SaclPresent = false;
  std::optional<Bytes> Sacl;
  bool OwnerDefaulted = false, GroupDefaulted = false;
  bool DaclDefaulted = false, SaclDefaulted = false;
};

struct TWriteRecord {
  AnsiString Path;
  std::uint32_t Type = 0;
  std::uint32_t SecurityInformation = 0;
  bool OwnerNull = false, GroupNull = false, SaclNull = false;
  std::optional<Bytes> Dacl;  // nothing: null
};

class TFakeFileSecurityPlatform : public IFileSecurityPlatform {
 public:
  explicit TFakeFileSecurityPlatform(TCallLog& log) : log_(log) {}
  ~TFakeFileSecurityPlatform() override;

  std::map<AnsiString, TFakeObject> Objects;
  std::vector<std::uint32_t> ReadsAsked;  // SECURITY_INFORMATION of each read
  std::vector<TWriteRecord> Writes;
  std::size_t OutstandingDescriptors() const { return live_.size(); }

  std::uint32_t ReadNamedSecurity(const AnsiString& path, TSecurityObjectType type,
                                  std::uint32_t si, TPlatformDescriptor* descriptor) override;
  std::uint32_t WriteNamedSecurity(const AnsiString& path, TSecurityObjectType type,
                                   std::uint32_t si, TBytes owner, TBytes group, TBytes dacl,
                                   TBytes sacl) override;
  bool DescriptorControl(TPlatformDescriptor descriptor, std::uint16_t& control) override;
  bool DescriptorOwner(TPlatformDescriptor descriptor, TBytes& sid, bool& defaulted) override;
  bool DescriptorGroup(TPlatformDescriptor descriptor, TBytes& sid, bool& defaulted) override;
  bool DescriptorDacl(TPlatformDescriptor descriptor, bool& present, TBytes& acl,
                      bool& defaulted) override;
  bool DescriptorSacl(TPlatformDescriptor descriptor, bool& present, TBytes& acl,
                      bool& defaulted) override;
  void LocalFree(TPlatformDescriptor descriptor) override;

 private:
  TFakeObject* Live(TPlatformDescriptor descriptor);
  TCallLog& log_;
  std::map<void*, std::unique_ptr<TFakeObject>> live_;
};

// Installs both fakes (and a fresh set of well-known identifiers) for one test.
class SecurityPlatformTest : public ::testing::Test {
 protected:
  SecurityPlatformTest();
  ~SecurityPlatformTest() override;

  TCallLog log;
  TRecordingSecurityPlatform platform{log};
  TFakeFileSecurityPlatform files{log};

 private:
  TScopedSecurityPlatform installPlatform_{platform};
  TScopedFileSecurityPlatform installFiles_{files};
};

// Byte builders written apart from the code under test.
namespace sids {
inline const Bytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};                // S-1-1-0
inline const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};                 // S-1-5-18
inline const Bytes kAdmins = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};  // -544
inline const Bytes kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};   // -545
inline const Bytes kGuests = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x22, 2, 0, 0};  // -546
inline const Bytes kCreatorOwner = {1, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0};            // S-1-3-0
inline const Bytes kHighLabel = {1, 1, 0, 0, 0, 0, 0, 16, 0, 0x30, 0, 0};           // S-1-16-12288
}  // namespace sids

// type, flags, size, mask, SID, then whatever trailer the entry carries behind its SID.
Bytes Ace(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Bytes& sid,
          const Bytes& trailer = {});
// An object entry: object flags say which GUIDs follow.
Bytes ObjectAce(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                const std::optional<TGuid>& objectType, const std::optional<TGuid>& inheritedType,
                const Bytes& sid);
// Header (revision, 0, size, count, 0 0), the entries back to back, then spare zero bytes.
Bytes Acl(std::uint8_t revision, const std::vector<Bytes>& aces, std::size_t spare = 0);
std::string Hex(TBytes bytes);
inline std::string Hex(const Bytes& bytes) { return Hex(TBytes(bytes)); }

}  // namespace qv::testing
