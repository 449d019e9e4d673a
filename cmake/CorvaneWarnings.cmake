# Warnings for project code only (third-party headers are included as system headers).
function(corvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor)
  # Flags only GCC knows; clang (and clangd or clang-tidy reading compile_commands.json)
  # would refuse them as unknown arguments.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
    # GCC 12 at -O3 reports impossible overlaps inside inlined std::string
    # concatenation (GCC bug 105329); the release build would not compile.
    if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
  if(CORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A GoogleTest executable registered with CTest, one test per case.
# SERIAL: the cases run alone, not beside other tests (timing-sensitive desktop tests).
function(corvane_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  corvane_warnings(${name})
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels unit)
  endif()
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS "${labels}" RUN_SERIAL ${serial} DISCOVERY_TIMEOUT 60)
endfunction()
