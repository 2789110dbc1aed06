# Build settings shared by every target of the project.

if(MSVC)
  add_compile_options(/W4 /WX /utf-8 /permissive-)
else()
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror)
  # GCC 12 reports impossible overlaps in inlined std::basic_string copies
  # (GCC bug 105329, fixed in 13); with optimisation they would break
  # ordinary string assignments.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
  endif()
endif()

if(SONOTAG_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build instruments everything for libFuzzer's coverage; only the
# fuzz targets themselves link libFuzzer's main (tests/fuzz).
if(SONOTAG_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SONOTAG_FUZZ needs clang (cmake --preset fuzz)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  if(MINGW)
    # One self-contained executable: no libstdc++/libgcc/winpthread DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Wine runs the test binaries through this wrapper; it knows this build's prefix.
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  endif()
endif()

# Test names carry the build they come from, so one summary can cover both builds.
if(WIN32)
  set(SONOTAG_TEST_PREFIX "windows/")
elseif(SONOTAG_FUZZ)
  set(SONOTAG_TEST_PREFIX "fuzz/")
else()
  set(SONOTAG_TEST_PREFIX "native/")
endif()

# sonotag_library(name SOURCES... [WIN32_SOURCES ...] [POSIX_SOURCES ...] [DEPENDS ...])
# Files ending in _win32 belong to the Windows build only, _posix to the others.
function(sonotag_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;DEPENDS;WIN32_DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  if(WIN32)
    target_sources(${name} PRIVATE ${ARG_WIN32_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_WIN32_DEPENDS})
  else()
    target_sources(${name} PRIVATE ${ARG_POSIX_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# The product folders of cmake/layers.txt, lowest layer first.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/layers.txt layer_lines REGEX "^[a-z]")
set(SONOTAG_FOLDERS)
foreach(line ${layer_lines})
  string(REPLACE " " ";" folders "${line}")
  list(APPEND SONOTAG_FOLDERS ${folders})
endforeach()
