// The image's load configuration, which the linker finds by this symbol's name and points the
// header at. Its one setting: every DLL the image imports statically, and every DLL those import,
// is loaded from system32 only. SetDefaultDllDirectories in wWinMain comes too late for them: the
// loader resolves static imports before any of our code runs, and an administrator's tool started
// from a downloads folder must not load a planted copy of a system DLL from there.
#include <windows.h>

#include <cstddef>

namespace {
// The headers still call the field the loader reads as DependentLoadFlags Reserved1.
static_assert(offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, Reserved1) == 0x4E);

constexpr IMAGE_LOAD_CONFIG_DIRECTORY64 LoadConfiguration() {
  IMAGE_LOAD_CONFIG_DIRECTORY64 configuration{};
  configuration.Size = sizeof(configuration);
  configuration.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;
  return configuration;
}
}  // namespace

extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used;
[[gnu::used]] const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = LoadConfiguration();
}
