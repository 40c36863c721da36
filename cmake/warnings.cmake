# Warnings as properties of each target, not of the whole build: the core libraries and
# parlix-build are held to a strict set (shadowed names, conversions that lose a value or a
# sign, C casts, extensions beyond the standard); the windows, tests, benchmarks and tools,
# which compile Qt's, GoogleTest's and Google Benchmark's headers too, to the common one.
#
#   parlix_warnings(TARGET [STRICT])   the flags of one target
#   parlix_warnings_everywhere()       the common set for every target below this folder that
#                                      has none yet (called last, so new targets get it too)
include_guard(GLOBAL)

function(parlix_warnings target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "STRICT" "" "")
  if(MSVC)
    set(flags /W4 /permissive-)
    if(arg_STRICT)
      # Conversions that lose data, shadowed names and C casts are in /W4 already; these add
      # the ones it leaves at level 4 or off (int to smaller int, bit fields, signed/unsigned
      # comparisons in constant expressions, sign extension of pointers).
      list(APPEND flags /w14242 /w14254 /w14287 /w14296 /w14826)
    endif()
    if(PARLIX_WERROR)
      list(APPEND flags /WX)
    endif()
  else()
    set(flags -Wall -Wextra)
    if(arg_STRICT)
      # GCC leaves the sign conversions out of -Wconversion in C++, clang does not: named, both
      # find the same.
      list(APPEND flags -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast -Wpedantic)
    endif()
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      # GCC 12 reports "literal" + std::string at -O3 as an overlapping memcpy (GCC bug 105651).
      list(APPEND flags -Wno-restrict)
    endif()
    if(PARLIX_WERROR)
      list(APPEND flags -Werror)
    endif()
  endif()
  target_compile_options(${target} PRIVATE ${flags})
  set_property(TARGET ${target} PROPERTY PARLIX_WARNINGS "${flags}")
endfunction()

# The targets of `folder` and of the folders below it.
function(parlix_targets_below folder result)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(sub ${folders})
    parlix_targets_below(${sub} below)
    list(APPEND targets ${below})
  endforeach()
  set(${result} ${targets} PARENT_SCOPE)
endfunction()

function(parlix_warnings_everywhere)
  parlix_targets_below(${CMAKE_CURRENT_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(set ${target} PARLIX_WARNINGS)
    if(NOT set AND type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      parlix_warnings(${target})
    endif()
  endforeach()
endfunction()
