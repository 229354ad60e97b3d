# 32-bit ARM (hard float), the common TV system-on-chip:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake
set(CMAKE_SYSTEM_PROCESSOR arm)
set(TVAV_TARGET_TRIPLET arm-linux-gnueabihf)
set(TVAV_TARGET_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
# GCC notes that 64-bit aligned values (long long iterators, initializer
# lists) are passed differently than by GCC before 7.1; nothing here is mixed
# with code that old, and the interface passes no such value.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
