# Shared by the target toolchain files, after they set TVAV_TARGET_TRIPLET and
# TVAV_TARGET_QEMU. By default Debian's cross compiler and multiarch packages
# (scripts/install-deps --cross ARCH); for a vendor SDK give its compiler
# prefix and sysroot instead:
#   -DTVAV_CROSS_PREFIX=/opt/sdk/bin/arm-vendor-linux-gnueabi-
#   -DCMAKE_SYSROOT=/opt/sdk/sysroot
set(CMAKE_SYSTEM_NAME Linux)

set(TVAV_CROSS_PREFIX "${TVAV_TARGET_TRIPLET}-" CACHE STRING
  "Cross compiler prefix: PREFIXgcc and PREFIXg++ are the compilers")
set(CMAKE_C_COMPILER "${TVAV_CROSS_PREFIX}gcc")
set(CMAKE_CXX_COMPILER "${TVAV_CROSS_PREFIX}g++")
# CMake's compiler checks read this file again in projects of their own: they
# must get the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TVAV_CROSS_PREFIX)

if(CMAKE_SYSROOT)
  # A vendor SDK: libraries and headers only from its sysroot, programs from the host.
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
else()
  # Debian multiarch: the target's libraries live in /usr/lib/TRIPLET.
  set(CMAKE_LIBRARY_ARCHITECTURE ${TVAV_TARGET_TRIPLET})
endif()

# ctest runs the target's programs through the emulator, and so do the tests
# that start a program themselves. The emulator finds the target's C library
# on its own (the multiarch one, /lib/ld-linux-*); an SDK's sysroot is passed
# with -L. -DTVAV_EMULATOR=CMD chooses another; with none, build without tests
# (-DTVAV_BUILD_TESTS=OFF): the build lists the tests by running the programs.
if(NOT DEFINED TVAV_EMULATOR)
  find_program(TVAV_QEMU ${TVAV_TARGET_QEMU})
  if(TVAV_QEMU)
    if(CMAKE_SYSROOT)
      set(TVAV_EMULATOR "${TVAV_QEMU};-L;${CMAKE_SYSROOT}")
    else()
      set(TVAV_EMULATOR "${TVAV_QEMU}")
    endif()
  else()
    set(TVAV_EMULATOR "")
  endif()
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR "${TVAV_EMULATOR}")
