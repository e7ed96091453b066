// How much a list of access-control entries gives Everyone: the rights of its allow entries for
// S-1-1-0, less those its deny entries take away. Used to tell whether a share and its folder let
// the other computers save.
#pragma once

#include <cstdint>
#include <optional>

#include "security/binary_layout.h"

namespace qv {

// Access masks as Explorer's dialogs name them.
constexpr std::uint32_t kFullControl = 0x001F01FF;
constexpr std::uint32_t kModify = 0x001301BF;  // files: read, write, execute and delete
constexpr std::uint32_t kReadAndExecute = 0x001200A9;

// The mask with its generic rights (GENERIC_READ, _WRITE, _EXECUTE, _ALL) replaced by the file
// rights they stand for (FILE_GENERIC_READ, _WRITE, _EXECUTE, FILE_ALL_ACCESS), as the system
// maps them before it compares an entry with what is asked.
std::uint32_t MapFileGenericRights(std::uint32_t mask);

// The rights a DACL gives Everyone, as the system's access check finds them: the entries for
// Everyone are taken in list order, each with its generic rights mapped, and a right is decided
// by the first entry that names it, so a deny before an allow takes the right away and an allow
// before a deny keeps it. With reachesContents, only entries that files and subfolders inherit
// count (both OBJECT_INHERIT_ACE and CONTAINER_INHERIT_ACE; explicit or inherited alike, and
// inherit-only ones too); otherwise only entries that apply to the object itself (not
// inherit-only). Raises SecurityError for a list that cannot be read.
std::uint32_t EveryoneRights(ByteView dacl, bool reachesContents);

// The DACL of a self-relative security descriptor: nothing when it carries none (a NULL DACL
// included, which denies nobody anything). Raises SecurityError for a descriptor that does not
// hold together.
std::optional<Bytes> DaclOfSelfRelativeDescriptor(ByteView descriptor, bool& nullDacl);

}  // namespace qv
