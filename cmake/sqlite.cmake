# sqlite3: SQLite as a static C library, compiled from its amalgamation (one
# sqlite3.c and its sqlite3.h), which scripts/setup generates from Debian's
# sqlite3 source package. Its header is public: a layer that links sqlite3
# includes <sqlite3.h>.
set(VELTRANO_SQLITE_DIR ${CMAKE_SOURCE_DIR}/build/deps/sqlite CACHE PATH
    "Folder holding SQLite's amalgamation (sqlite3.c, sqlite3.h), made by scripts/setup")
if(NOT EXISTS ${VELTRANO_SQLITE_DIR}/sqlite3.c OR NOT EXISTS ${VELTRANO_SQLITE_DIR}/sqlite3.h)
  message(FATAL_ERROR "No SQLite amalgamation (sqlite3.c, sqlite3.h) in ${VELTRANO_SQLITE_DIR}: "
                      "run scripts/setup, which generates it, or set VELTRANO_SQLITE_DIR to a folder holding it.")
endif()

add_library(sqlite3 STATIC ${VELTRANO_SQLITE_DIR}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${VELTRANO_SQLITE_DIR})
target_compile_definitions(sqlite3 PRIVATE
  SQLITE_ENABLE_FTS5
  SQLITE_ENABLE_SNAPSHOT
  # Safe for connections on several threads; the index is written by a worker.
  SQLITE_THREADSAFE=1
  # In WAL mode a commit does not wait for the disk: a crash can lose the last
  # commits but never corrupts the file, and an index can be rebuilt.
  SQLITE_DEFAULT_WAL_SYNCHRONOUS=1
  # Nothing outside this program's code runs inside it.
  SQLITE_OMIT_LOAD_EXTENSION
  # A string in double quotes is an identifier, never silently a literal.
  SQLITE_DQS=0
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  # No allocation statistics, no shared cache, no deprecated interfaces:
  # unused here, and each costs time or a lock on every call.
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_OMIT_SHARED_CACHE
  SQLITE_OMIT_DEPRECATED)
if(CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
  # Third-party code: none of its warnings is ours to fix. -O2 as SQLite's own
  # builds use; -O3 costs more compile time (77 s of CPU against 70 s here).
  target_compile_options(sqlite3 PRIVATE -w $<$<CONFIG:Release>:-O2>)
endif()
if(UNIX)
  target_link_libraries(sqlite3 PUBLIC Threads::Threads m)
  # Without it a wait for another connection's lock sleeps in whole seconds,
  # and a stop asked meanwhile waits for the second to end.
  target_compile_definitions(sqlite3 PRIVATE HAVE_USLEEP=1)
endif()
