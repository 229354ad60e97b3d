# 32-bit ARM (hard float), the common TV system-on-chip:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake
set(CMAKE_SYSTEM_PROCESSOR arm)
set(TVAV_TARGET_TRIPLET arm-linux-gnueabihf)
set(TVAV_TARGET_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
