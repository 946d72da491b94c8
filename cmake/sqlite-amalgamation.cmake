# SQLite compiled from its amalgamation in CSV2SQL_SQLITE_SOURCE (scripts/fetch-sqlite.sh), for a
# target that has no sqlite3 library of its own (the Windows build). Its code is SQLite's, so the
# project's warnings do not apply to it.
add_library(csv2sql_sqlite3 STATIC ${CSV2SQL_SQLITE_SOURCE}/sqlite3.c)
target_include_directories(csv2sql_sqlite3 SYSTEM PUBLIC ${CSV2SQL_SQLITE_SOURCE})
target_compile_options(csv2sql_sqlite3 PRIVATE -w -O2)
add_library(SQLite::SQLite3 ALIAS csv2sql_sqlite3)
