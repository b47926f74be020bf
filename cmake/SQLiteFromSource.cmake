# SQLite for a cross build: compiled once from the amalgamation that
# build.sh makes out of Debian's own source package, of the version the
# native build links. Gives SQLite::SQLite3 as find_package does natively.
set(VELMORA_SQLITE_SOURCE_DIR "" CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS ${VELMORA_SQLITE_SOURCE_DIR}/sqlite3.c)
  message(FATAL_ERROR "VELMORA_SQLITE_SOURCE_DIR must hold sqlite3.c (./build.sh windows prepares it)")
endif()
add_library(velmora_sqlite3 STATIC ${VELMORA_SQLITE_SOURCE_DIR}/sqlite3.c)
target_include_directories(velmora_sqlite3 SYSTEM PUBLIC ${VELMORA_SQLITE_SOURCE_DIR})
# -O2 rather than the build type's -O3: the same speed here, and far quicker to compile.
target_compile_options(velmora_sqlite3 PRIVATE -O2)
add_library(SQLite::SQLite3 ALIAS velmora_sqlite3)
