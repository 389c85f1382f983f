# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (win32 threads).
#
#   cmake -S . -B build-windows/game \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DZARVY_WINDOWS_DEPS=$PWD/build-windows/deps
#
# ZARVY_WINDOWS_DEPS is the prefix that scripts/windows-deps.sh fills with
# the static third-party libraries. Without it, the entries of
# CMAKE_PREFIX_PATH serve as that prefix.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZARVY_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZARVY_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZARVY_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${ZARVY_MINGW_TRIPLE}-windres)

set(ZARVY_WINDOWS_DEPS "" CACHE PATH
    "Prefix holding the cross-built static libraries (include/, lib/)")

# try_compile() projects read this file again in a fresh scope: hand them
# the prefix, or their checks would look for headers in the wrong place.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZARVY_WINDOWS_DEPS)

if(ZARVY_WINDOWS_DEPS)
    set(_zarvy_deps_roots "${ZARVY_WINDOWS_DEPS}")
    list(APPEND CMAKE_PREFIX_PATH "${ZARVY_WINDOWS_DEPS}")
else()
    set(_zarvy_deps_roots ${CMAKE_PREFIX_PATH})
endif()

# The deps prefix first, then mingw's own sysroot for the Windows import
# libraries (opengl32, glu32, winmm, ...). Nothing from the Linux host's
# /usr/include or /usr/lib may leak into a Windows build.
set(CMAKE_FIND_ROOT_PATH ${_zarvy_deps_roots} /usr/${ZARVY_MINGW_TRIPLE})
unset(_zarvy_deps_roots)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Deterministic archives: no timestamps, owners or modes in the .a files,
# so the same sources give the same bytes wherever they are built.
foreach(_zarvy_lang C CXX)
    set(CMAKE_${_zarvy_lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${_zarvy_lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${_zarvy_lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
unset(_zarvy_lang)
