// A discretionary access-control list (DACL): read from the bytes a folder stores, changed in
// memory, built back into bytes. Entries keep their stored order and their stored bytes.
#pragma once

#include <cstddef>

#include "security/access_list.h"

namespace qv {

class Dacl : public AccessList {
 public:
  // An empty list of revision 2.
  Dacl() : AccessList(ListKind::Discretionary) {}

  // As AccessList::Read: an audit or label entry, which has no place in a DACL, raises.
  static Dacl Read(ByteView bytes) {
    return Dacl(AccessList::Read(ListKind::Discretionary, bytes));
  }

  // Puts the entry immediately before the first inherited entry, or at the end when there is
  // none, the others keeping their order: where an explicit allow entry belongs. Returns the
  // index it got.
  std::size_t InsertBeforeInherited(AccessEntry entry) {
    const std::size_t index = FirstInheritedIndex();
    Place(index, std::move(entry));
    return index;
  }

 private:
  explicit Dacl(AccessList&& list) : AccessList(std::move(list)) {}
};

}  // namespace qv
