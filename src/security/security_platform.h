// The platform operations the access-control model stands on: SID conversions, the ACL and ACE
// functions, GlobalAlloc/GlobalFree and the user of an access token.
//
// Two implementations: TPortableSecurityPlatform (plain byte handling, every read bounds-checked)
// is the process-wide default in every build; the Windows layer has one that makes the real calls
// and the program installs it at start (InstallWindowsSecurityPlatform in win/security). Tests put
// their own in place with TScopedSecurityPlatform. The model reads the installed one at each use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/ansi_string.h"
#include "security/binary_layout.h"

namespace qv {

enum TTokenSource { tsThread, tsProcess };

class ISecurityPlatform {
 public:
  virtual ~ISecurityPlatform() = default;

  // ConvertStringSidToSid; the platform's copy is released inside. Nothing on failure.
  virtual std::optional<std::vector<std::uint8_t>> StringToSid(const AnsiString& text) = 0;
  // ConvertSidToStringSid of the SID that begins sid.
  virtual std::optional<AnsiString> SidToString(TBytes sid) = 0;
  // CopySid into dest (dest.size() is the buffer size passed).
  virtual bool CopySid(TMutableBytes dest, TBytes source) = 0;
  // GetLengthSid of the SID that begins sid. Reports no errors of its own.
  virtual std::uint32_t GetLengthSid(TBytes sid) = 0;

  // IsValidAcl of the list that begins acl.
  virtual bool IsValidAcl(TBytes acl) = 0;
  // GetAce: the offset of entry index inside acl; nothing on failure.
  virtual std::optional<std::size_t> GetAce(TBytes acl, std::uint32_t index) = 0;
  // InitializeAcl over all of acl (its size is the list's size).
  virtual bool InitializeAcl(TMutableBytes acl, std::uint32_t revision) = 0;
  // AddAce: aces (one or more entries back to back) inserted before entry startIndex;
  // 0xFFFFFFFF appends.
  virtual bool AddAce(TMutableBytes acl, std::uint32_t aceRevision, std::uint32_t startIndex,
                      TBytes aces) = 0;
  // AddAccessAllowedObjectAce (type 0x05), AddAccessDeniedObjectAce (0x06) or
  // AddAuditAccessObjectAce (0x07, successful/failed access taken from flags 0x40/0x80).
  // A null GUID is an absent one.
  virtual bool AddObjectAce(std::uint8_t aceType, TMutableBytes acl, std::uint32_t aceRevision,
                            std::uint8_t flags, std::uint32_t mask, const TGuid* objectType,
                            const TGuid* inheritedObjectType, TBytes sid) = 0;

  virtual void* GlobalAlloc(std::uint32_t flags, std::size_t size) = 0;  // null on failure
  virtual void GlobalFree(void* memory) = 0;

  // The user SID of the calling thread's or the process's access token, the token opened with
  // desiredAccess; nothing when the token cannot be opened or read.
  virtual std::optional<std::vector<std::uint8_t>> TokenUserSid(TTokenSource source,
                                                                std::uint32_t desiredAccess) = 0;
};

constexpr std::uint32_t kGmemZeroInit = 0x0040;        // GMEM_ZEROINIT
constexpr std::uint32_t kAppendAce = 0xFFFFFFFF;       // MAXDWORD as AddAce's starting index
constexpr std::uint32_t kTokenAllAccess = 0x000F01FF;  // TOKEN_ALL_ACCESS

// The installed platform.
ISecurityPlatform& SecurityPlatform();
// Installs platform (null: the portable default) and returns the one installed before.
ISecurityPlatform* SetSecurityPlatform(ISecurityPlatform* platform);

class TScopedSecurityPlatform {
 public:
  explicit TScopedSecurityPlatform(ISecurityPlatform& platform)
      : previous_(SetSecurityPlatform(&platform)) {}
  ~TScopedSecurityPlatform() { SetSecurityPlatform(previous_); }
  TScopedSecurityPlatform(const TScopedSecurityPlatform&) = delete;
  TScopedSecurityPlatform& operator=(const TScopedSecurityPlatform&) = delete;

 private:
  ISecurityPlatform* previous_;
};

// Memory from ISecurityPlatform::GlobalAlloc, given back with GlobalFree of the same platform
// when the owner goes.
class TGlobalMemory {
 public:
  TGlobalMemory() = default;
  TGlobalMemory(ISecurityPlatform& platform, std::size_t size, std::uint32_t flags = kGmemZeroInit);
  ~TGlobalMemory() { Reset(); }
  TGlobalMemory(TGlobalMemory&& other) noexcept;
  TGlobalMemory& operator=(TGlobalMemory&& other) noexcept;
  TGlobalMemory(const TGlobalMemory&) = delete;
  TGlobalMemory& operator=(const TGlobalMemory&) = delete;

  explicit operator bool() const { return memory_ != nullptr; }
  TMutableBytes Bytes() const { return {static_cast<std::uint8_t*>(memory_), size_}; }
  void Reset();

 private:
  ISecurityPlatform* platform_ = nullptr;
  void* memory_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace qv
