# Common compile settings for every Velmora target.
set(VELMORA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wnon-virtual-dtor -Woverloaded-virtual)
if(VELMORA_WERROR)
  list(APPEND VELMORA_WARNINGS -Werror)
endif()

# Nothing replaces the runtime's or the suite's functions from outside, so
# calls inside a library go straight to their target instead of through its
# symbol table.
add_compile_options(-fno-semantic-interposition)

if(VELMORA_SANITIZE)
  set(VELMORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${VELMORA_SANITIZER_FLAGS})
  add_link_options(${VELMORA_SANITIZER_FLAGS})
endif()

# Narrow literals are GBK bytes at run time; the sources stay readable UTF-8.
function(velmora_target target)
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
  if(NOT VELMORA_LINT)
    target_compile_options(${target} PRIVATE -fexec-charset=GBK)
  endif()
endfunction()

# velmora_generated_sources(<name> <files...>): files generated in this folder
# that the linter needs before it reads the sources.
function(velmora_generated_sources name)
  add_custom_target(${name} DEPENDS ${ARGN})
  add_dependencies(velmora_generated ${name})
endfunction()

# A plug-in or platform library: only what is marked for export leaves it.
function(velmora_hidden target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# Platform differences live in files named *_posix.cpp and *_win32.cpp;
# this keeps only the current platform's from a list of sources.
function(velmora_platform_sources list_var)
  if(WIN32)
    list(FILTER ${list_var} EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER ${list_var} EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${list_var} ${${list_var}} PARENT_SCOPE)
endfunction()

# A library the host loads by file name, in a folder of its own: beside the
# build's bin folder, and on Windows inside it, as in the package, where the
# libraries it imports are found beside the program. On Windows its entry
# points are exported undecorated (no @n suffix on 32-bit stdcall names).
function(velmora_plugin target folder)
  if(WIN32)
    set(folder ${CMAKE_BINARY_DIR}/bin/${folder})
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  else()
    set(folder ${CMAKE_BINARY_DIR}/${folder})
  endif()
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${folder} RUNTIME_OUTPUT_DIRECTORY ${folder})
endfunction()

if(WIN32)
  # Windows 7 and later; the platform headers without their rarely used parts.
  add_compile_definitions(_WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
