# Cross toolchain: MinGW-w64 i686 producing 32-bit Windows programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
