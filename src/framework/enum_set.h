// A set over the members of a small enumeration, one bit per member (bit n for the member of
// ordinal n), as the framework stores its sets. Storage is as wide as the set needs: a byte for
// the controls' key styles and shift states, 32 bits for the security flag sets.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace qv {

template <typename E, typename Storage = std::uint32_t>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> members) {
    for (E m : members) Include(m);
  }
  static constexpr EnumSet FromBits(Storage bits) {
    EnumSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr Storage Bits() const { return bits_; }
  constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr EnumSet& Include(E m) {
    bits_ = static_cast<Storage>(bits_ | Bit(m));
    return *this;
  }
  constexpr EnumSet& Exclude(E m) {
    bits_ = static_cast<Storage>(bits_ & ~Bit(m));
    return *this;
  }
  constexpr bool operator==(const EnumSet&) const = default;

 private:
  static constexpr Storage Bit(E m) { return static_cast<Storage>(Storage{1} << unsigned(m)); }
  Storage bits_ = 0;
};

}  // namespace qv
