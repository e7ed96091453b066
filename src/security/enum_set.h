// A set over the members of a small enumeration (members 0..31), the way the model's flag sets
// (entry flags, descriptor parts, control flags) are held.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace qv {

template <typename E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }
  constexpr bool Contains(E m) const { return (bits_ >> static_cast<unsigned>(m)) & 1u; }
  constexpr TEnumSet& Include(E m) {
    bits_ |= 1u << static_cast<unsigned>(m);
    return *this;
  }
  constexpr TEnumSet& Exclude(E m) {
    bits_ &= ~(1u << static_cast<unsigned>(m));
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  std::uint32_t bits_ = 0;
};

}  // namespace qv
