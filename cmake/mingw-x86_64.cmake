# Cross toolchain: MinGW-w64 x86_64 producing 64-bit Windows programs, for
# machines that cannot run 32-bit Wine: the suites, tools/run and tools/bench.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
