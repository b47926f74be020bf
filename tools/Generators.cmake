# The generator programs themselves, for the machine that runs the build.
add_executable(gbkgen ${CMAKE_CURRENT_LIST_DIR}/gbkgen.cpp)
add_executable(rescomp ${CMAKE_CURRENT_LIST_DIR}/rescomp.cpp ${CMAKE_CURRENT_LIST_DIR}/FormText.cpp)
# rescomp writes form descriptions in the layout of runtime/forms/FormStream.h.
target_include_directories(rescomp PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
add_executable(strtab ${CMAKE_CURRENT_LIST_DIR}/strtab.cpp)
# dllrename gives the compiler's runtime DLLs private names in the Windows package.
add_executable(dllrename ${CMAKE_CURRENT_LIST_DIR}/dllrename.cpp)
foreach(tool gbkgen rescomp strtab dllrename)
  target_compile_options(${tool} PRIVATE ${VELMORA_WARNINGS})
endforeach()
# rescomp writes the edition resource the host-module contract defines.
target_include_directories(rescomp PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
