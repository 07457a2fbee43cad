# GoogleTest from Debian: the packaged library natively, the packaged sources
# (/usr/src/googletest) built with the cross compiler for Windows.
if(CMAKE_CROSSCOMPILING)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
    # The win32 thread model of GCC 12 has no std::mutex, on which GoogleTest
    # builds the one class that needs it; a replacement comes in ahead of it.
    target_compile_options(gtest PUBLIC "SHELL:-include ${PROJECT_SOURCE_DIR}/tests/support/win32_notification.hpp")
    # GCC 12 stops with an internal error when link-time optimisation takes in
    # GoogleTest or a test built on it. The switching objects a test links are
    # still optimised at link time, as in the exes.
    target_compile_options(gtest PUBLIC -fno-lto)
else()
    find_package(GTest REQUIRED)
    find_package(benchmark REQUIRED)
endif()
