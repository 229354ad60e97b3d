# Fails when libtvav.so (LIBRARY) exports a name other than the exported
# classes (TVAV_EXPORT), the records and enumerations of the installed
# headers (HEADER_DIRS, PLATFORM_HEADER_DIRS), what the C++ runtime shares between
# libraries (std, __gnu_cxx and boost instantiations, e.g. exception types),
# AddressSanitizer's marks of exported globals and the linker's own symbols.
set(names)
foreach(dir ${HEADER_DIRS} ${PLATFORM_HEADER_DIRS})
  file(GLOB headers ${dir}/*.h)
  foreach(header ${headers})
    # "class TVAV_EXPORT X", "struct X", "enum X" and C's "typedef enum {...} X;"
    set(declaration "^(class TVAV_EXPORT |struct |enum class |enum |typedef .*} |} )([A-Za-z_][A-Za-z0-9_]*)")
    file(STRINGS ${header} lines REGEX "${declaration}")
    foreach(line ${lines})
      string(REGEX REPLACE "${declaration}.*" "\\2" name "${line}")
      list(APPEND names ${name})
    endforeach()
  endforeach()
endforeach()
list(JOIN names "|" names)
if(NOT names MATCHES "TCSizeControl")
  message(FATAL_ERROR "no exported class found under ${HEADER_DIRS}")
endif()

execute_process(COMMAND nm -D --defined-only -C ${LIBRARY} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR out STREQUAL "")
  message(FATAL_ERROR "nm -D ${LIBRARY} failed (${rc})")
endif()
string(REPLACE ";" "\\;" out "${out}")
string(REPLACE "\n" ";" symbols "${out}")
set(abi "^((typeinfo|typeinfo name|vtable|VTT|construction vtable|guard variable|(non-)?virtual thunk) (for|to) )+")
set(unexpected)
foreach(line ${symbols})
  string(REGEX REPLACE "^[0-9a-f]* [A-Za-z] " "" symbol "${line}")
  set(name "${symbol}")
  if(name MATCHES "${abi}")
    string(REGEX REPLACE "${abi}" "" name "${name}")
  endif()
  string(REGEX REPLACE "^[A-Za-z_][A-Za-z0-9_:]*\\** " "" name "${name}")  # a template's result type
  # AddressSanitizer's mark of a class's global, e.g. __odr_asan._ZN9TCAVCheck10m_InstanceE
  string(REGEX REPLACE "^__odr_asan[._]_ZN[0-9]+([A-Za-z_]+)[0-9].*" "\\1::" name "${name}")
  if(NOT name MATCHES "^((${names})([:<( ]|$)|(std|__gnu_cxx|boost)::|_init$|_fini$|_edata$|_end$|__bss_start$)")
    string(APPEND unexpected "  ${symbol}\n")
  endif()
endforeach()
if(unexpected)
  message(FATAL_ERROR "libtvav.so exports internal names:\n${unexpected}")
endif()
