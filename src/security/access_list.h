// Access-control lists of both kinds: the discretionary list (DACL), which says who may do what,
// and the system list (SACL), which says what is audited and the object's integrity label. A
// list is read from its stored bytes in stored order, takes new entries at an index or by the
// ordering rule, and builds itself back into bytes. Entries keep their stored bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "security/access_entry.h"
#include "security/binary_layout.h"

namespace qv {

enum class ListKind { Discretionary, System };

class AccessList {
 public:
  // An empty list of revision 2.
  explicit AccessList(ListKind kind) : kind_(kind) {}

  // The list that begins the bytes, entries in stored order and never reordered. Never reads
  // outside the bytes; only the header's size belongs to the list, and room behind its last
  // entry is not kept. Raises SecurityError, as a whole, for a list that does not fit its
  // bytes, a revision other than 2 to 4, an entry of a known layout that does not hold
  // together, and an entry of a known kind that belongs in the other kind of list. Entries of a
  // kind this system does not know are kept as they are, in either list.
  static AccessList Read(ListKind kind, ByteView bytes);

  ListKind Kind() const { return kind_; }
  std::uint8_t Revision() const { return revision_; }
  const std::vector<AccessEntry>& Entries() const { return entries_; }

  // Both take the entry over only when they place it: when they raise, the caller's pointer
  // still holds it, and a pointer they took over is empty, so the same entry cannot be placed
  // twice (an equal copy can). Both raise SecurityError for an empty pointer and for an entry of
  // a known kind that belongs in the other kind of list.
  //
  // Puts the entry at the index (0 to the number of entries; any other index raises) and raises
  // the list's revision to what the entry needs.
  void Insert(std::size_t index, std::unique_ptr<AccessEntry>& entry);
  // Places the entry by the ordering rule and returns the index it got; the others keep their
  // order, and no equal entry is looked for:
  //   system list: at the end;
  //   deny, explicit: at 0;
  //   deny, inherited, and allow, explicit: before the first inherited entry, else at the end;
  //   allow, inherited: at the end.
  // A kind this system does not know has no place in a DACL by that rule: raises SecurityError.
  // The list's revision stays; Build raises what it writes.
  std::size_t Add(std::unique_ptr<AccessEntry>& entry);

  // Takes out every entry that matches, the others keeping their order and their bytes. Returns
  // how many went.
  std::size_t RemoveWhere(const std::function<bool(const AccessEntry&)>& matches) {
    return std::erase_if(entries_, matches);
  }

  // The header, then the entries' bytes back to back, exactly as long as they need. The revision
  // is the list's, raised to what its entries need. Raises SecurityError when the list would
  // not fit the header's 16-bit size.
  Bytes Build() const;

 protected:
  std::size_t FirstInheritedIndex() const;
  void Place(std::size_t index, AccessEntry entry) {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  }

 private:
  void CheckPlaceable(const std::unique_ptr<AccessEntry>& entry) const;

  ListKind kind_;
  std::uint8_t revision_ = layout::kAclRevision;
  std::vector<AccessEntry> entries_;
};

// A system list: audit and mandatory-label entries.
class Sacl : public AccessList {
 public:
  Sacl() : AccessList(ListKind::System) {}
  static Sacl Read(ByteView bytes) { return Sacl(AccessList::Read(ListKind::System, bytes)); }

 private:
  explicit Sacl(AccessList&& list) : AccessList(std::move(list)) {}
};

}  // namespace qv
