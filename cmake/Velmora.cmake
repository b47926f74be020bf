# Common compile settings for every Velmora target.
set(VELMORA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wnon-virtual-dtor -Woverloaded-virtual -Werror)

if(VELMORA_SANITIZE)
  set(VELMORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${VELMORA_SANITIZER_FLAGS})
  add_link_options(${VELMORA_SANITIZER_FLAGS})
endif()

# Narrow literals are GBK bytes at run time; the sources stay readable UTF-8.
function(velmora_target target)
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS} -fexec-charset=GBK)
endfunction()

# A plug-in or platform library: only what is marked for export leaves it.
function(velmora_hidden target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
