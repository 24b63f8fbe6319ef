# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model). Executables carry
# their C and C++ runtimes, so each one runs alone; tests and benchmarks run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KOVARRA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOVARRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVARRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVARRA_MINGW_TRIPLE}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The cross libraries made by scripts/windows-deps.sh, and nothing of the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KOVARRA_MINGW_TRIPLE})
if(KOVARRA_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${KOVARRA_WINDOWS_DEPS})
  set(ENV{PKG_CONFIG_LIBDIR} ${KOVARRA_WINDOWS_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test and benchmark runs under wine, in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
