# Cross build of the Windows executable with Debian's mingw-w64. The win32
# thread model: nothing here uses std::thread, and the posix model would link
# winpthread into every executable.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One set of flags for every Windows program and library, built for size
# (vornhaskel.exe comes out some 8% smaller than with the default -O3): every
# function and datum in a section of its own, so that the linker drops what
# nothing reaches; -Oz with link-time optimisation across the static libraries;
# no run-time type information, since our code asks for none and a thrown type
# brings its own; no locks around function-local statics, since the programs
# run one thread.
# GoogleTest and its tests alone are built without link-time optimisation
# (TestDependencies.cmake).
set(size_flags "-Oz -flto -ffunction-sections -fdata-sections")
set(CMAKE_C_FLAGS_INIT "${size_flags}")
set(CMAKE_CXX_FLAGS_INIT "${size_flags} -fno-rtti -fno-threadsafe-statics")
# CMake would add -O3 to the release flags, overriding -Oz; set as cache
# entries here, they are taken as they are.
set(CMAKE_C_FLAGS_RELEASE "-DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-DNDEBUG" CACHE STRING "")
# The archiver with GCC's link-time optimisation plug-in, so that the static
# libraries' objects keep their symbols for the linker.
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-win32)
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-win32)

# Everything static: the executables import nothing but the system's own DLLs.
# Link-time optimisation in one partition: split in two, GCC 12 stops with an
# internal error (in binds_to_current_def_p) on the repair exe. Both exes come
# out the same size either way.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections -flto-partition=one")

# Test programs run under Wine.
find_program(VORNHASKEL_WINE NAMES wine64 wine)
if(VORNHASKEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${VORNHASKEL_WINE}")
endif()
