// Objects whose settings can be copied from another object of their own class.
#pragma once

namespace qv {

class Persistent {
 public:
  virtual ~Persistent() = default;
  virtual const char* ClassName() const = 0;
};

// The framework's refusal of an assignment between incompatible persistent objects: a conversion
// error naming the given object's class (or "nil") and then the target's class.
[[noreturn]] void RaiseAssignError(const Persistent* source, const Persistent& target);

}  // namespace qv
