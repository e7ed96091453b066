#include "win/framework/lazy_library.h"

#include "framework/errors.h"
#include "win/framework/cp932.h"

namespace qv::win {

FARPROC BindFunction(const char* module, const char* function) {
  std::wstring name = ToWide(AnsiString(module));
  HMODULE handle = GetModuleHandleW(name.c_str());
  // From the system folder only: a copy of the library beside the program would otherwise be
  // found first and run with the program's rights.
  if (!handle) handle = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!handle) throw Exception(Format("Library not found: %s", module));
  FARPROC proc = GetProcAddress(handle, function);
  if (!proc) throw Exception(Format("Function not found: %s.%s", module, function));
  return proc;
}

}  // namespace qv::win
