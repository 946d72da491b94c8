# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads variant, which has
# std::thread). Libraries and headers come only from the MinGW-w64 root, never from the host's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe that needs no MinGW DLLs beside it (libstdc++, libgcc, winpthread).
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# A static import library (odbc32) must not switch the libraries after it back to DLLs.
set(CMAKE_LINK_SEARCH_END_STATIC ON)

# Test binaries run under Wine, where it is installed (Debian's wine64 alone keeps its loader
# out of PATH).
find_program(CSV2SQL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(CSV2SQL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CSV2SQL_WINE})
endif()
