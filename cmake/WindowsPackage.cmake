# Windows only. The compiler's runtime DLLs (the C++ library, its unwinder
# and the threads library) are copied beside the build's programs, so the
# build runs in place, and the target windows_package lays out the package:
# one folder, and a zip of it. Its top folder is what a host program's
# folder must hold (the host, the runtime and suite DLLs, the compiler's
# DLLs); each edition is in a folder of its own (both are named
# Velmora.dll), which may be copied anywhere (docs/deployment.md).
#
# In the package the compiler's DLLs carry private names, and every image
# there imports them by those names (tools/dllrename): a host's folder may
# hold, or a host may have loaded, another build of libstdc++-6.dll, and a
# process has one module of a name. Binaries in the package are stripped of
# symbols and debugging information (the compiler's DLLs come with theirs).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMORA_WINDOWS_ARCH x86_64)
  set(unwinder libgcc_s_seh-1.dll)
else()
  set(VELMORA_WINDOWS_ARCH i686)
  set(unwinder libgcc_s_dw2-1.dll)
endif()

# Usual name, then private name (of the same length: the images are
# renamed in place).
set(VELMORA_PRIVATE_RUNTIME libstdc++-6.dll velmora_cxx.dll ${unwinder} velmora_unwind.dll
    libwinpthread-1.dll velmora_threads.dll)

set(VELMORA_COMPILER_DLLS)
foreach(dll libstdc++-6.dll ${unwinder} libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "The compiler's ${dll} was not found")
  endif()
  file(REAL_PATH ${found} found)
  list(APPEND VELMORA_COMPILER_DLLS ${found})
  file(COPY ${found} DESTINATION ${CMAKE_BINARY_DIR}/bin)
endforeach()

# velmora_private_runtime(<target>): after linking, the target imports the
# compiler's DLLs by their private names (it then runs only beside them, as
# in the package).
function(velmora_private_runtime target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND dllrename $<TARGET_FILE:${target}> ${VELMORA_PRIVATE_RUNTIME}
    COMMENT "Giving ${target} the compiler's runtime under private names"
    VERBATIM)
  add_dependencies(${target} dllrename)
endfunction()

set(package_name Velmora-windows-${VELMORA_WINDOWS_ARCH})
set(package_dir ${CMAKE_BINARY_DIR}/package/${package_name})
set(package_files velmora-host.exe libvelmora_rtl.dll libvelmora_suite.dll context/Velmora.dll automation/Velmora.dll)
set(runtime_copies)
foreach(dll ${VELMORA_COMPILER_DLLS})
  get_filename_component(name ${dll} NAME)
  list(FIND VELMORA_PRIVATE_RUNTIME ${name} at)
  math(EXPR at "${at} + 1")
  list(GET VELMORA_PRIVATE_RUNTIME ${at} private)
  list(APPEND package_files ${private})
  list(APPEND runtime_copies COMMAND ${CMAKE_COMMAND} -E copy ${dll} ${package_dir}/${private})
endforeach()
list(TRANSFORM package_files PREPEND ${package_dir}/ OUTPUT_VARIABLE package_paths)
set(renames)
foreach(path ${package_paths})
  list(APPEND renames COMMAND dllrename ${path} ${VELMORA_PRIVATE_RUNTIME})
endforeach()
add_custom_target(windows_package
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir} ${package_dir}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}/context ${package_dir}/automation
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velmora-host> $<TARGET_FILE:velmora_rtl>
          $<TARGET_FILE:velmora_suite> ${package_dir}
  ${runtime_copies}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velmora_context> ${package_dir}/context
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velmora_automation> ${package_dir}/automation
  COMMAND ${CMAKE_STRIP} --strip-unneeded ${package_paths}
  ${renames}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
          ${CMAKE_COMMAND} -E tar cf ${package_name}.zip --format=zip ${package_name}
  DEPENDS velmora-host velmora_rtl velmora_suite velmora_context velmora_automation dllrename
  COMMENT "Packing ${package_dir} and ${package_name}.zip"
  VERBATIM)
