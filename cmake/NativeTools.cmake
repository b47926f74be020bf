# The generators of a cross build: tools/native built for the build machine
# as an external project, and imported under the generators' own names so
# that custom commands run them as in a native build.
include(ExternalProject)

set(VELMORA_NATIVE_TOOLS_DIR ${CMAKE_BINARY_DIR}/native-tools)
set(native_programs)
foreach(tool gbkgen rescomp strtab dllrename)
  list(APPEND native_programs ${VELMORA_NATIVE_TOOLS_DIR}/${tool})
endforeach()

ExternalProject_Add(native_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/native
  BINARY_DIR ${VELMORA_NATIVE_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  BUILD_BYPRODUCTS ${native_programs}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

foreach(tool gbkgen rescomp strtab dllrename)
  add_executable(${tool} IMPORTED GLOBAL)
  set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${VELMORA_NATIVE_TOOLS_DIR}/${tool})
  add_dependencies(${tool} native_tools)
endforeach()
