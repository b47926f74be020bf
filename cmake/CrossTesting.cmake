# Tests of a cross build for Windows, run under Wine on the build machine
# (include after GoogleTest):
# GoogleTest compiled from Debian's sources, every test program started
# through tools/windows/wine-run (in the build's own prefix), and the
# paths the tests are given written as Wine sees the build machine's files
# (drive Z: is its root).
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are missing: install the googletest package "
    "(./build.sh prepare-windows installs everything the Windows builds need)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Each architecture's programs run in that build's own prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/windows/wine-run --arch x86_64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/windows/wine-run --arch i686)
endif()
set(VELMORA_RUN_PATH_PREFIX "Z:")

# Under Wine a process start costs about a second, and a program has up to
# hundreds of cases: each test program is one CTest test that runs all its
# cases in one process (the properties given still apply to it), where
# natively each case is a test of its own. --gtest_filter narrows a run.
function(gtest_discover_tests target)
  set(properties ${ARGN})
  list(REMOVE_ITEM properties PROPERTIES)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  if(properties)
    set_tests_properties(${target} PROPERTIES ${properties})
  endif()
endfunction()

# Test programs that register classes write the ProgID keys of one registry,
# the prefix's, and remove them when they end: such tests run one at a time.
# Their CMakeLists pass this to gtest_discover_tests.
set(VELMORA_CLASS_REGISTRY_LOCK PROPERTIES RESOURCE_LOCK velmora_class_registry)
