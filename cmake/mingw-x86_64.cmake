# Cross toolchain: MinGW-w64 x86_64 producing 64-bit Windows programs, for
# measuring where the machine cannot run 32-bit Wine (tools/bench).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
