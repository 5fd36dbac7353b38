# Compiler flags shared by every target of the project.
#
# Reproducible numerics: no fast-math and no contraction of a*b+c into fused
# multiply-adds, so results do not depend on the compiler's choice of
# instructions.
add_library(zelmar_flags INTERFACE)
target_compile_options(zelmar_flags INTERFACE
  -Wall -Wextra
  $<$<COMPILE_LANGUAGE:CXX>:-ffp-contract=off>
  $<$<COMPILE_LANGUAGE:C>:-ffp-contract=off>)

if(ZELMAR_SANITIZE)
  string(REPLACE ";" "," _zelmar_san "${ZELMAR_SANITIZE}")
  target_compile_options(zelmar_flags INTERFACE
    -fsanitize=${_zelmar_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(zelmar_flags INTERFACE -fsanitize=${_zelmar_san})
endif()

# Fuzz builds instrument every library for coverage; the fuzz targets add
# the fuzzer's own main (tests/fuzz).
if(ZELMAR_FUZZ)
  target_compile_options(zelmar_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# zelmar_add_library(<name> <folder> [SHARED])
# One library per source folder; sources are every .cpp below the folder.
function(zelmar_add_library name folder)
  cmake_parse_arguments(ARG "SHARED" "" "EXCLUDE" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  foreach(_ex IN LISTS ARG_EXCLUDE)
    list(FILTER _sources EXCLUDE REGEX "${_ex}")
  endforeach()
  if(ARG_SHARED)
    add_library(${name} SHARED ${_sources})
  else()
    add_library(${name} STATIC ${_sources})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE zelmar_flags)
endfunction()
