# Installs BUILD_DIR into WORK_DIR/prefix, builds the consumer example against
# it (MODE cmake: find_package; MODE pkgconfig: pkg-config and a plain compiler
# call), runs it and compares its output with EXPECTED. WORK_DIR is removed
# whatever the outcome, and the build tree's install_manifest.txt, which the
# install rewrites, is put back as it was. With SANITIZE the consumer is built
# with the library's sanitizers, whose runtime must come first. A cross build
# passes its TOOLCHAIN file, CROSS_PREFIX and SYSROOT, with which the consumer
# is built, and the EMULATOR command that runs it (empty: run directly).
set(manifest ${BUILD_DIR}/install_manifest.txt)
function(cleanup)
  file(REMOVE ${manifest})
  if(EXISTS ${WORK_DIR}/install_manifest.txt)
    file(RENAME ${WORK_DIR}/install_manifest.txt ${manifest})
  endif()
  file(REMOVE_RECURSE ${WORK_DIR})
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    cleanup()
    message(FATAL_ERROR "${ARGN}\nfailed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
set(cxxflags)
if(SANITIZE)
  set(cxxflags -fsanitize=${SANITIZE})
endif()
set(cross)
set(sysroot)
if(TOOLCHAIN)
  set(cross -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DTVAV_CROSS_PREFIX=${CROSS_PREFIX})
  if(SYSROOT)
    list(APPEND cross -DCMAKE_SYSROOT=${SYSROOT} -DCMAKE_FIND_ROOT_PATH=${prefix})
    set(sysroot --sysroot=${SYSROOT})
  endif()
endif()
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
if(EXISTS ${manifest})
  file(COPY_FILE ${manifest} ${WORK_DIR}/install_manifest.txt)
endif()
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

if(MODE STREQUAL "cmake")
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
      -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=${cxxflags}" ${cross})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
  run(${emulator} ${WORK_DIR}/build/consumer)
else()
  file(GLOB_RECURSE pcfile ${prefix}/tvav.pc)
  get_filename_component(pcdir "${pcfile}" DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pcdir})
  run(pkg-config --cflags --libs tvav tvav-host)
  separate_arguments(flags UNIX_COMMAND "${out}")
  run(${CXX} -std=c++17 ${cxxflags} ${sysroot} ${SOURCE_DIR}/main.cpp ${flags} -o ${WORK_DIR}/consumer)
  get_filename_component(libdir "${pcdir}" DIRECTORY)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${emulator} ${WORK_DIR}/consumer)
endif()

cleanup()
if(NOT out STREQUAL EXPECTED)
  message(FATAL_ERROR "consumer printed:\n${out}expected:\n${EXPECTED}")
endif()
