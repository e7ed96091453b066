// Functions of libraries that only one button or one kind of field needs (the shell, the
// network-share library, COM, the input method) are bound by name when first called, so that the
// dialog does not pay for loading them before it is shown. A module, once loaded, stays for the
// life of the process. Modules are looked for in the system folder only.
#pragma once

#include <windows.h>

namespace qv::win {

// The address of `function` in `module`, loading the module from the system folder if it is not
// loaded yet. Raises qv::Exception with "Library not found: <module>" or
// "Function not found: <module>.<function>".
FARPROC BindFunction(const char* module, const char* function);

template <typename F>
F* Bind(const char* module, const char* function) {
  return reinterpret_cast<F*>(reinterpret_cast<void*>(BindFunction(module, function)));
}

}  // namespace qv::win

// QV_LAZY("shell32.dll", SHChangeNotify)(...) calls SHChangeNotify through a binding by name.
#define QV_LAZY(module, function) (::qv::win::Bind<decltype(::function)>(module, #function))
