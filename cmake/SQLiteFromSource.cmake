# SQLite for a cross build: compiled once from the amalgamation that
# build.sh makes out of Debian's own source package, of the version the
# native build links. Gives SQLite::SQLite3 as find_package does natively.
set(VELMORA_SQLITE_SOURCE_DIR "" CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS "${VELMORA_SQLITE_SOURCE_DIR}/sqlite3.c" OR NOT EXISTS "${VELMORA_SQLITE_SOURCE_DIR}/sqlite3.h")
  message(FATAL_ERROR "SQLite's sources for the Windows builds are not prepared: VELMORA_SQLITE_SOURCE_DIR "
    "(\"${VELMORA_SQLITE_SOURCE_DIR}\") must hold sqlite3.c and sqlite3.h. Run ./build.sh prepare-windows once "
    "(./build.sh windows and ./build.sh test do it too): it makes them in build-sqlite/amalgamation from Debian's "
    "source package of the SQLite that the native build links.")
endif()
add_library(velmora_sqlite3 STATIC ${VELMORA_SQLITE_SOURCE_DIR}/sqlite3.c)
target_include_directories(velmora_sqlite3 SYSTEM PUBLIC ${VELMORA_SQLITE_SOURCE_DIR})
# -O2 rather than the build type's -O3: the same speed here, and far quicker to compile.
target_compile_options(velmora_sqlite3 PRIVATE -O2)
add_library(SQLite::SQLite3 ALIAS velmora_sqlite3)
