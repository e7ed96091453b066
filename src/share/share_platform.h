// What the share job asks of the system, one operation per thing it needs done or known: the
// folders, the share, the volume's file system, the shell's notice, the system's texts, the token
// and the folders that must not be opened to everyone by accident.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/ansi_string.h"
#include "security/folder_identity.h"
#include "share/system_texts.h"

namespace qv {

// The level-502 share record, with texts in code page 932; the Windows layer converts them to
// UTF-16 and passes every text as a string, an empty one included. The security descriptor is a
// self-relative one, passed as it stands.
struct ShareInfo502 {
  AnsiString shi502_netname;
  std::uint32_t shi502_type = 0;
  AnsiString shi502_remark;
  std::uint32_t shi502_permissions = 0;
  std::uint32_t shi502_max_uses = 0;
  std::uint32_t shi502_current_uses = 0;
  AnsiString shi502_path;
  AnsiString shi502_passwd;
  std::vector<std::uint8_t> shi502_security_descriptor;
};

// A share of this computer as the server keeps it (level 502): where it leads, its remark and its
// own permissions.
struct ShareDetails {
  std::uint32_t result = 0;  // 0, or the server's code (2310 when there is no such share)
  AnsiString path, remark;
  std::vector<std::uint8_t> descriptor;  // self-relative; empty when the share has none
  // The server gave a descriptor that is not one: its permissions are unknown, not absent.
  bool descriptorUnreadable = false;
  // False: code page 932 could not hold the path, which as it stands names some other folder.
  bool pathRepresentable = true;
};

// Keeps an opened folder from being renamed, deleted or replaced for as long as it lives.
class IFolderHold {
 public:
  virtual ~IFolderHold() = default;
};

// How a folder is opened: to look at what it is (any folder, even one the administrator may not
// change), or to keep it in place until its permissions are written.
enum class FolderOpening { Look, Keep };

// What the process's token allows. elevationKnown is false where the system cannot tell
// (versions without user account control).
struct TokenRights {
  bool administrator = false;  // the Administrators group is enabled in the token
  bool elevationKnown = false;
  bool elevated = false;
};

// What the system says of the drive a path lies on: its type (GetDriveTypeW) and the device its
// letter stands for (QueryDosDeviceW; "" when the system does not say).
struct DriveFacts {
  std::uint32_t type = 0;
  AnsiString device;
};

class ISharePlatform : public virtual ISystemTexts {
 public:
  // Attributes of a file or folder; kInvalidFileAttributes when the query fails.
  virtual std::uint32_t FileAttributes(const AnsiString& path) = 0;
  // Creates one folder with default security: 0, or the system's error code.
  virtual std::uint32_t MakeDirectory(const AnsiString& path) = 0;
  // Publishes a share of this computer at level 502. 0 or an error code; on failure badParameter
  // holds the index of the record's field the server refused, or 0.
  virtual std::uint32_t AddShare(const ShareInfo502& share, std::uint32_t& badParameter) = 0;
  // Reads a share of this computer at level 502.
  virtual ShareDetails ReadShare(const AnsiString& name) = 0;
  // Gives a share of this computer new permissions of its own (level 1501) from a self-relative
  // descriptor. 0 or an error code; badParameter as for AddShare.
  virtual std::uint32_t SetSharePermissions(const AnsiString& name,
                                            const std::vector<std::uint8_t>& descriptor,
                                            std::uint32_t& badParameter) = 0;
  // False only when the system says that the volume holding path keeps no access-control lists
  // (FAT32, exFAT); true when it keeps them or when the question could not be answered.
  virtual bool VolumeKeepsAcls(const AnsiString& path) = 0;
  // Tells the shell, and Explorer's windows through it, that the folder at path is now shared.
  virtual void AnnounceShare(const AnsiString& path) = 0;
  // The system's own folders that must not be opened to everyone without a question: the Windows
  // folder, every Program Files folder and the user's own profile. Folders the system does not
  // name, or that code page 932 cannot hold, are left out.
  virtual std::vector<AnsiString> SystemFolders() = 0;
  // The folder holding the users' profiles (each folder directly in it is one user's profile);
  // "" when the system does not name it.
  virtual AnsiString ProfilesFolder() = 0;
  // The folders whose every subfolder is the system's too: the Windows folder and every Program
  // Files folder, as in SystemFolders.
  virtual std::vector<AnsiString> SystemTrees() = 0;

  // The system's absolute form of a path (current folder, parent steps, "." components, trailing
  // dots and spaces, forward slashes); "" when it fails or code page 932 cannot hold the result.
  virtual AnsiString FullPath(const AnsiString& path) = 0;
  // The long form of an existing path, every short 8.3 name expanded; "" when the path does not
  // exist or the system fails.
  virtual AnsiString LongPath(const AnsiString& path) = 0;
  // Opens what is at path itself (a reparse point in its last component is not followed) and
  // says what it is; nothing when identity.error is set.
  virtual std::unique_ptr<IFolderHold> OpenFolder(const AnsiString& path, FolderOpening opening,
                                                  FolderIdentity& identity) = 0;
  virtual TokenRights ProcessTokenRights() = 0;
  virtual DriveFacts DriveOf(const AnsiString& path) = 0;
};

constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kDriveNoRootDir = 1;         // DRIVE_NO_ROOT_DIR
constexpr std::uint32_t kDriveRemovable = 2;         // DRIVE_REMOVABLE
constexpr std::uint32_t kDriveFixed = 3;             // DRIVE_FIXED
constexpr std::uint32_t kStypeDisktree = 0;          // STYPE_DISKTREE
constexpr std::uint32_t kErrorPathNotFound = 3;      // ERROR_PATH_NOT_FOUND
constexpr std::uint32_t kErrorAccessDenied = 5;      // ERROR_ACCESS_DENIED
constexpr std::uint32_t kErrorDirectory = 267;       // ERROR_DIRECTORY
constexpr std::uint32_t kNerrUnknownDevDir = 2116;   // NERR_UnknownDevDir
constexpr std::uint32_t kNerrDuplicateShare = 2118;  // NERR_DuplicateShare

}  // namespace qv
