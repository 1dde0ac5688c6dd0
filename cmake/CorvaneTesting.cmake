# Test executables: GoogleTest from the system natively, from Debian's sources for Windows.
enable_testing()

if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(CORVANE_GTEST_MAIN gtest_main)
  set(CORVANE_GTEST gtest)
else()
  find_package(GTest REQUIRED)
  set(CORVANE_GTEST_MAIN GTest::gtest_main)
  set(CORVANE_GTEST GTest::gtest)
endif()

# corvane_add_gtest(<name> SOURCES ... [LIBS ...] [NATIVE_ONLY] [WINDOWS_ONLY] [OWN_MAIN]
#                   [LABELS ...] [TIMEOUT seconds])
function(corvane_add_gtest name)
  cmake_parse_arguments(T "NATIVE_ONLY;WINDOWS_ONLY;OWN_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if((T_NATIVE_ONLY AND WIN32) OR (T_WINDOWS_ONLY AND NOT WIN32))
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${CORVANE_GTEST})
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${CORVANE_GTEST_MAIN})
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# corvane_add_fuzz_replay(<name> <fuzz target source> LIBS ...): replays the committed corpus of a
# libFuzzer target (the folder "corpus" beside it) under the native build's sanitizers.
function(corvane_add_fuzz_replay name target_source)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  corvane_add_gtest(${name} NATIVE_ONLY
    SOURCES ${target_source} ${CMAKE_SOURCE_DIR}/tests/common/corpus_replay_test.cpp
    LIBS ${F_LIBS})
  if(TARGET ${name})
    target_compile_definitions(${name} PRIVATE
      CORVANE_FUZZ_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/corpus")
  endif()
endfunction()
