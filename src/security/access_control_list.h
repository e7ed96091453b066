// Access-control lists: an ordered list that owns its entries, read from a binary list, placed
// into by Insert and Add, and built back into a binary list by CreatePacl.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "security/access_control_entry.h"
#include "security/binary_layout.h"
#include "security/security_platform.h"

namespace qv {

class TSecurityAccessControlList {
 public:
  virtual ~TSecurityAccessControlList();
  TSecurityAccessControlList(const TSecurityAccessControlList&) = delete;
  TSecurityAccessControlList& operator=(const TSecurityAccessControlList&) = delete;

  std::size_t Count() const { return entries_.size(); }
  TSecurityAccessControlEntry& Items(std::size_t index) const { return *entries_.at(index); }
  std::uint8_t Revision() const { return revision_; }
  bool IsDiscretionary() const { return discretionary_; }

  // Both take the entry over only when they place it: when they raise, the caller's pointer
  // still holds it. Raise ESecurityException for a null entry, an entry that a list already
  // holds, and an entry of a class the list does not take.
  //
  // Insert puts the entry at index (0..Count()) and raises the list's revision to the entry's.
  void Insert(std::size_t index, std::unique_ptr<TSecurityAccessControlEntry>&& entry);
  // Add places it by the ordering rule and returns the index it got:
  //   SACL: at the end.
  //   DACL, deny family: explicit at 0; inherited before the first inherited entry (else at end).
  //   DACL, allow family: inherited at the end; explicit before the first inherited entry (else
  //   at end).
  // Existing entries keep their order; equal entries are not looked for.
  std::size_t Add(std::unique_ptr<TSecurityAccessControlEntry>&& entry);

  // A new binary list of the entries in list order, exactly as long as they need, in memory from
  // the platform's GlobalAlloc (given back when the result goes). Raises ESecurityException (and
  // keeps no memory) when the list does not fit 65,535 bytes or a platform call fails. Raises the
  // list's revision to the highest of its entries'.
  TGlobalMemory CreatePacl();

 protected:
  // An empty list of revision 2.
  explicit TSecurityAccessControlList(bool discretionary);
  // The entries of the binary list that begins binaryList, in stored order. Never reads outside
  // binaryList; a list that does not fit it, or holds an entry that cannot be read or does not
  // belong in this kind of list, raises ESecurityException as a whole.
  TSecurityAccessControlList(bool discretionary, TBytes binaryList);

 private:
  void CheckPlaceable(const TSecurityAccessControlEntry* entry) const;
  void Place(std::size_t index, std::unique_ptr<TSecurityAccessControlEntry>&& entry);
  std::size_t FirstInheritedIndex() const;
  void ReadEntries(TBytes binaryList);

  bool discretionary_;
  std::uint8_t revision_ = kAclRevision;
  std::vector<std::unique_ptr<TSecurityAccessControlEntry>> entries_;
};

// A discretionary list: allow and deny entries only.
class TDAccessControlList : public TSecurityAccessControlList {
 public:
  TDAccessControlList() : TSecurityAccessControlList(true) {}
  explicit TDAccessControlList(TBytes binaryList) : TSecurityAccessControlList(true, binaryList) {}
};

// A system list: audit and mandatory-label entries only.
class TSAccessControlList : public TSecurityAccessControlList {
 public:
  TSAccessControlList() : TSecurityAccessControlList(false) {}
  explicit TSAccessControlList(TBytes binaryList) : TSecurityAccessControlList(false, binaryList) {}
};

}  // namespace qv
