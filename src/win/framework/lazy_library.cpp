#include "win/framework/lazy_library.h"

#include "framework/errors.h"
#include "win/framework/cp932.h"

namespace qv::win {

FARPROC BindFunction(const char* module, const char* function) {
  std::wstring name = ToWide(module);
  HMODULE handle = GetModuleHandleW(name.c_str());
  if (!handle) handle = LoadLibraryW(name.c_str());
  if (!handle) throw Exception(Format("Library not found: %s", module));
  FARPROC proc = GetProcAddress(handle, function);
  if (!proc) throw Exception(Format("Function not found: %s.%s", module, function));
  return proc;
}

}  // namespace qv::win
