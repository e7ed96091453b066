# Flags every target of ours gets. Texts are Shift-JIS (code page 932) byte strings inside the
# program; sources stay UTF-8 and the compiler turns narrow literals into code page 932.
function(qv_target_flags target)
  # No folder of the machine that built it ends up in a binary: two builds of one commit in
  # different folders give the same bytes.
  target_compile_options(${target} PRIVATE -Wall -Wextra
                         -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                         -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                  _WIN32_WINNT=0x0601 WINVER=0x0601)
  endif()
endfunction()

if(QV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Everything static: the exe must import only Windows' own DLLs. No time stamp in the headers,
  # so that a rebuild of the same commit is the same file.
  add_link_options(-static -Wl,--no-insert-timestamp)
  # Every function and datum in a section of its own, and the unused ones left out of the exe.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
endif()
