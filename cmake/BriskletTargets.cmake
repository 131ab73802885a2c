# Shared compile settings and the one-library-per-folder helper.

set(BRISKLET_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)
if(BRISKLET_WERROR)
  list(APPEND BRISKLET_WARNINGS -Werror)
endif()

if(BRISKLET_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz targets need clang; the code they reach is built with libFuzzer's
# coverage hooks (the same tree still builds the tests and programs).
if(BRISKLET_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BRISKLET_FUZZ needs clang (e.g. CXX=clang++-14)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Qt's strict defines: no implicit ASCII casts, no keyword macros, no foreach.
set(BRISKLET_QT_DEFINES QT_NO_CAST_FROM_ASCII QT_NO_KEYWORDS QT_NO_FOREACH)

function(brisklet_apply_settings target)
  target_compile_options(${target} PRIVATE ${BRISKLET_WARNINGS})
  target_compile_definitions(${target} PRIVATE ${BRISKLET_QT_DEFINES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# brisklet_library(<name> [EXCLUDE files...]): a static library of every .cpp in
# the current folder (not its subfolders).
function(brisklet_library name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(ex ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  add_library(${name} STATIC ${sources} ${headers})
  brisklet_apply_settings(${name})
endfunction()
