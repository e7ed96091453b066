// The share job's system calls on Windows: wide functions, texts converted with code page
// 932.
#pragma once

#include <windows.h>

#include <optional>

#include "share/share_platform.h"

namespace qv::win {

// What the system says about the volume holding a path: its file system's name and its flags
// (FILE_PERSISTENT_ACLS among them); nothing when it does not answer.
struct VolumeFacts {
  AnsiString fileSystem;
  DWORD flags = 0;
};
std::optional<VolumeFacts> VolumeOf(const AnsiString& path);

// A share of this computer as the server keeps it (NetShareGetInfo, level 502).
ShareDetails ReadShareDetails(const AnsiString& name);

// The system's texts: the system's own table, and the network library's for network codes.
class WinSystemTexts : public virtual ISystemTexts {
 public:
  AnsiString SystemMessageText(std::uint32_t code) override;
  AnsiString NetworkMessageText(std::uint32_t code) override;
};

class WinSharePlatform : public ISharePlatform, public WinSystemTexts {
 public:
  std::uint32_t FileAttributes(const AnsiString& path) override;
  std::uint32_t MakeDirectory(const AnsiString& path) override;
  std::uint32_t AddShare(const ShareInfo502& share, std::uint32_t& badParameter) override;
  ShareDetails ReadShare(const AnsiString& name) override;
  std::uint32_t SetSharePermissions(const AnsiString& name,
                                    const std::vector<std::uint8_t>& descriptor,
                                    std::uint32_t& badParameter) override;
  bool VolumeKeepsAcls(const AnsiString& path) override;
  void AnnounceShare(const AnsiString& path) override;
  std::vector<AnsiString> SystemFolders() override;
  AnsiString ProfilesFolder() override;
  std::vector<AnsiString> SystemTrees() override;
  AnsiString FullPath(const AnsiString& path) override;
  AnsiString LongPath(const AnsiString& path) override;
  std::unique_ptr<IFolderHold> OpenFolder(const AnsiString& path, FolderOpening opening,
                                          FolderIdentity& identity) override;
  TokenRights ProcessTokenRights() override;
  DriveFacts DriveOf(const AnsiString& path) override;
};

}  // namespace qv::win
