# Hardened native binaries: PIE, full RELRO with BIND_NOW, stack protector,
# fortified libc calls and checked standard library containers.
if(WIN32)
    return()  # the exe gets ASLR, high-entropy VA and DEP from its link options
endif()
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -D_GLIBCXX_ASSERTIONS)
add_link_options(-Wl,-z,relro,-z,now)
