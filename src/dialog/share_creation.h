// The system calls behind the share button: the directory test, folder creation, the network
// share, the shell notification and the system's message texts.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

// The level-2 share record, with texts in code page 932; the Windows layer converts them to
// UTF-16 and passes every text as a string, an empty one included.
struct ShareInfo2 {
  AnsiString shi2_netname;
  std::uint32_t shi2_type = 0;
  AnsiString shi2_remark;
  std::uint32_t shi2_permissions = 0;
  std::uint32_t shi2_max_uses = 0;
  std::uint32_t shi2_current_uses = 0;
  AnsiString shi2_path;
  AnsiString shi2_passwd;
};

class IShareCreationPlatform {
 public:
  virtual ~IShareCreationPlatform() = default;

  // Attributes of a file or folder; kInvalidFileAttributes when the query fails.
  virtual std::uint32_t FileAttributes(const AnsiString& path) = 0;
  // Creates one folder with default security.
  virtual bool MakeDirectory(const AnsiString& path) = 0;
  // Publishes a share (level 2); serverName "" is the local computer. 0 or an error code.
  virtual std::uint32_t AddShare(const AnsiString& serverName, const ShareInfo2& share) = 0;
  virtual void NotifyShellChange(std::int32_t eventId, std::uint32_t flags) = 0;
  // The system's text for a code, as it comes (usually ending in a line break), read into a
  // 255-character buffer; "" when the system has none.
  virtual AnsiString SystemMessageText(std::uint32_t code) = 0;
};

constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kStypeDisktree = 0;              // STYPE_DISKTREE
constexpr std::int32_t kShcneAssocchanged = 0x08000000;  // SHCNE_ASSOCCHANGED
constexpr std::uint32_t kShcnfFlush = 0x1000;            // SHCNF_FLUSH
constexpr std::uint32_t kErrorAccessDenied = 5;          // ERROR_ACCESS_DENIED
constexpr std::uint32_t kNerrUnknownDevDir = 2116;       // NERR_UnknownDevDir
constexpr std::uint32_t kNerrDuplicateShare = 2118;      // NERR_DuplicateShare

}  // namespace qv
