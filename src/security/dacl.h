// A discretionary access-control list (DACL): read from the bytes a folder stores, changed in
// memory, built back into bytes. Entries keep their stored order and their stored bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "security/access_entry.h"
#include "security/binary_layout.h"

namespace qv {

class Dacl {
 public:
  // An empty list of revision 2.
  Dacl() = default;

  // The list that begins the bytes, entries in stored order. Never reads outside the bytes; only
  // the header's size belongs to the list, and room behind its last entry is not kept. Raises
  // SecurityError, as a whole, for a list that does not fit its bytes, a revision other
  // than 2 to 4, an entry of a known layout that does not hold together, and an audit or label
  // entry, which has no place in a DACL.
  static Dacl Read(ByteView bytes);

  std::uint8_t Revision() const { return revision_; }
  const std::vector<AccessEntry>& Entries() const { return entries_; }

  // Puts the entry immediately before the first inherited entry, or at the end when there is
  // none, the others keeping their order: where an explicit allow entry belongs. Returns the
  // index it got.
  std::size_t InsertBeforeInherited(AccessEntry entry);

  // Takes out every entry that matches, the others keeping their order and their bytes. Returns
  // how many went.
  std::size_t RemoveWhere(const std::function<bool(const AccessEntry&)>& matches);

  // The header, then the entries' bytes back to back, exactly as long as they need. The revision
  // is the list's, raised to what its entries need. Raises SecurityError when the list would
  // not fit the header's 16-bit size.
  Bytes Build() const;

 private:
  std::uint8_t revision_ = layout::kAclRevision;
  std::vector<AccessEntry> entries_;
};

}  // namespace qv
