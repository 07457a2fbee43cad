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

# Every function and datum in a section of its own, so that the linker drops
# what nothing reaches. (-Os made no difference to the file's size.)
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")

# Everything static: the executables import nothing but the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")

# Test programs run under Wine.
find_program(VORNHASKEL_WINE NAMES wine64 wine)
if(VORNHASKEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${VORNHASKEL_WINE}")
endif()
