# Compiler and linker settings shared by the program and its tests.

# Boost.Format is header-only: expose Debian's boost headers alone, never the
# host's whole /usr/include, to the cross compiler.
set(ENVCHECK_BOOST_ROOT /usr/include/boost CACHE PATH "Debian's Boost headers")
if(NOT EXISTS ${ENVCHECK_BOOST_ROOT}/format.hpp)
    message(FATAL_ERROR "Boost.Format not found in ${ENVCHECK_BOOST_ROOT}: run tools/setup")
endif()
set(ENVCHECK_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${ENVCHECK_BOOST_INCLUDE})
file(CREATE_LINK ${ENVCHECK_BOOST_ROOT} ${ENVCHECK_BOOST_INCLUDE}/boost SYMBOLIC)

# The platform's calls take over 99 % of a run, so size matters more than
# speed: -Os, and every function and datum in its own section, so the linker
# drops what nothing uses.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")

# Windows 2000 is the oldest target; newer declarations are visible so that
# newer functions can be found at run time.
add_library(envcheck_options INTERFACE)
target_compile_definitions(envcheck_options INTERFACE
    _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600 NOMINMAX STRICT)
target_compile_options(envcheck_options INTERFACE
    -Wall -Wextra -ffunction-sections -fdata-sections
    $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8 -fexec-charset=cp932>)
target_include_directories(envcheck_options SYSTEM INTERFACE ${ENVCHECK_BOOST_INCLUDE})
target_include_directories(envcheck_options INTERFACE ${CMAKE_SOURCE_DIR})
# No DLL beyond Windows' own: the runtime libraries are linked in, and the
# executable declares Windows 2000 as its subsystem and OS version.
target_link_options(envcheck_options INTERFACE
    -static -static-libgcc -static-libstdc++ -Wl,--gc-sections
    -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,5 -Wl,--minor-os-version,0
    $<$<CONFIG:Release>:-s>)

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
