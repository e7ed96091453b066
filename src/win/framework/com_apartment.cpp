#include "win/framework/com_apartment.h"

#include <objbase.h>

#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {

// One per thread: the apartment this thread joined, left when the thread ends.
class Apartment {
 public:
  Apartment() noexcept {
    try {
      const HRESULT hr = QV_LAZY("ole32.dll", CoInitializeEx)(nullptr, COINIT_APARTMENTTHREADED);
      joined_ = SUCCEEDED(hr);
      // Already in a multithreaded apartment: COM works here, but that one is not ours to end.
      usable_ = joined_ || hr == RPC_E_CHANGED_MODE;
    } catch (...) {
      usable_ = false;
    }
  }
  ~Apartment() {
    if (!joined_) return;
    try {
      QV_LAZY("ole32.dll", CoUninitialize)();
    } catch (...) {
    }
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  bool usable() const { return usable_; }

 private:
  bool joined_ = false;
  bool usable_ = false;
};

}  // namespace

bool JoinComApartment() noexcept {
  thread_local Apartment apartment;
  return apartment.usable();
}

}  // namespace qv::win
