# Installs BUILD_DIR into WORK_DIR/prefix and uses the package the way another
# project would, MODE cmake through find_package (with Boost hidden: nothing a
# program gets from the package may need it), MODE pkgconfig through pkg-config
# and a plain compiler call:
# - the consumer example (SOURCE_DIR) runs and prints EXPECTED; with pkg-config
#   it runs the two ways the README gives, built with an rpath to the package's
#   libdir and plain with LD_LIBRARY_PATH, neither inheriting the test's own
#   LD_LIBRARY_PATH;
# - a program that links only tvav reaches the exported headers as
#   <tvav/X.h>, not as "X.h", and sees none of the stand-in's headers (their
#   names read from the installed include/tvav-host);
# - outside sanitizer builds, `strings` finds neither PROJECT_DIR nor BUILD_DIR
#   in the installed libraries and avctl (the sanitizers record each source
#   file's full path, which the compiler's prefix map leaves alone).
# WORK_DIR is removed whatever the outcome, and the build tree's
# install_manifest.txt, which the install rewrites, is put back as it was. With
# SANITIZE the programs are built with the library's sanitizers, whose runtime
# must come first.
set(manifest ${BUILD_DIR}/install_manifest.txt)
function(cleanup)
  file(REMOVE ${manifest})
  if(EXISTS ${WORK_DIR}/install_manifest.txt)
    file(RENAME ${WORK_DIR}/install_manifest.txt ${manifest})
  endif()
  file(REMOVE_RECURSE ${WORK_DIR})
endfunction()

function(fail)
  cleanup()
  message(FATAL_ERROR ${ARGN})
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    fail("${ARGN}\nfailed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_output what)
  if(NOT out STREQUAL EXPECTED)
    fail("${what} printed:\n${out}expected:\n${EXPECTED}")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
set(cxxflags)
if(SANITIZE)
  set(cxxflags -fsanitize=${SANITIZE})
endif()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
if(EXISTS ${manifest})
  file(COPY_FILE ${manifest} ${WORK_DIR}/install_manifest.txt)
endif()
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

if(NOT SANITIZE)
  file(GLOB_RECURSE binaries ${prefix}/*.so.*.*)
  list(APPEND binaries ${prefix}/bin/avctl)
  list(LENGTH binaries count)
  if(count LESS 3)
    fail("installed binaries not found: ${binaries}")
  endif()
  foreach(binary ${binaries})
    run(strings -a ${binary})
    foreach(dir ${PROJECT_DIR} ${BUILD_DIR})
      string(FIND "${out}" "${dir}" at)
      if(NOT at EQUAL -1)
        fail("${binary} names the build machine's folder ${dir}")
      endif()
    endforeach()
  endforeach()
endif()

# The program that links only tvav.
file(GLOB_RECURSE host_headers RELATIVE ${prefix}/include/tvav-host ${prefix}/include/tvav-host/*.h)
if(NOT host_headers MATCHES "vconf.h")
  fail("the stand-in's headers are not installed in ${prefix}/include/tvav-host")
endif()
set(only_tvav "#if !__has_include(<tvav/SizeControl.h>)\n#error <tvav/SizeControl.h> not found\n#endif\n")
string(APPEND only_tvav "#if __has_include(\"SizeControl.h\")\n#error SizeControl.h is reached without tvav/\n#endif\n")
foreach(header ${host_headers})
  string(APPEND only_tvav "#if __has_include(\"${header}\")\n#error the stand-in's ${header} reaches a program that links only tvav\n#endif\n")
endforeach()
string(APPEND only_tvav "int main() { return 0; }\n")
file(WRITE ${WORK_DIR}/only-tvav/only_tvav.cpp "${only_tvav}")

if(MODE STREQUAL "cmake")
  file(WRITE ${WORK_DIR}/only-tvav/CMakeLists.txt "cmake_minimum_required(VERSION 3.20)
project(only_tvav LANGUAGES CXX)
find_package(tvav 1 REQUIRED)
add_executable(only_tvav only_tvav.cpp)
target_link_libraries(only_tvav PRIVATE tvav::tvav)
")
  foreach(project consumer only-tvav)
    if(project STREQUAL "consumer")
      set(source ${SOURCE_DIR})
    else()
      set(source ${WORK_DIR}/only-tvav)
    endif()
    run(${CMAKE_COMMAND} -S ${source} -B ${WORK_DIR}/build-${project} -DCMAKE_PREFIX_PATH=${prefix}
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Boost=ON
        -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=${cxxflags}")
    run(${CMAKE_COMMAND} --build ${WORK_DIR}/build-${project})
  endforeach()
  run(${WORK_DIR}/build-only-tvav/only_tvav)
  run(${WORK_DIR}/build-consumer/consumer)
  expect_output("consumer")
else()
  file(GLOB_RECURSE pcfile ${prefix}/tvav.pc)
  get_filename_component(pcdir "${pcfile}" DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pcdir})
  run(pkg-config --cflags --libs tvav)
  separate_arguments(flags UNIX_COMMAND "${out}")
  run(${CXX} -std=c++17 ${cxxflags} ${WORK_DIR}/only-tvav/only_tvav.cpp ${flags} -o ${WORK_DIR}/only_tvav)

  run(pkg-config --variable=libdir tvav)
  string(STRIP "${out}" libdir)
  run(pkg-config --cflags --libs tvav tvav-host)
  separate_arguments(flags UNIX_COMMAND "${out}")
  run(${CXX} -std=c++17 ${cxxflags} ${SOURCE_DIR}/main.cpp ${flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/consumer-rpath)
  run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${WORK_DIR}/consumer-rpath)
  expect_output("consumer built with -Wl,-rpath")
  run(${CXX} -std=c++17 ${cxxflags} ${SOURCE_DIR}/main.cpp ${flags} -o ${WORK_DIR}/consumer)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK_DIR}/consumer)
  expect_output("consumer run with LD_LIBRARY_PATH")
endif()

cleanup()
