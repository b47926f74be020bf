# What both mingw-w64 toolchains share. VELMORA_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VELMORA_MINGW_TRIPLE})

find_program(VELMORA_MINGW_CXX ${VELMORA_MINGW_TRIPLE}-g++-posix)
if(NOT VELMORA_MINGW_CXX)
  message(FATAL_ERROR "The mingw-w64 compiler ${VELMORA_MINGW_TRIPLE}-g++-posix is not installed "
    "(./build.sh prepare-windows installs everything the Windows builds need)")
endif()

set(CMAKE_C_COMPILER ${VELMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
