# Test executables: GoogleTest from the system natively, from Debian's sources for Windows.
enable_testing()

if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Built like the tests (tests/CMakeLists.txt): for a quick build.
  target_compile_options(gtest PRIVATE -Og -g0)
  target_compile_options(gtest_main PRIVATE -Og -g0)
  set(CORVANE_GTEST_MAIN gtest_main)
  set(CORVANE_GTEST gtest)
else()
  find_package(GTest REQUIRED)
  set(CORVANE_GTEST_MAIN GTest::gtest_main)
  set(CORVANE_GTEST GTest::gtest)
endif()

# Windows tests run under Wine in the session of a prefix (tools/wine-session.sh): a fixture per
# prefix starts the session before the prefix's first test, detached from every test's output, and
# ends it after the last, also after a test that timed out. Every prefix starts as a copy of one
# that is made once per build.
if(WIN32)
  set(CORVANE_WINE_SESSION_SCRIPT ${CMAKE_SOURCE_DIR}/tools/wine-session.sh)
  set(CORVANE_WINE_TEMPLATE ${CMAKE_BINARY_DIR}/wine-template)
  # Made while the build compiles, where it costs little; the test below makes it when it is missing.
  add_custom_command(OUTPUT ${CORVANE_WINE_TEMPLATE}/.corvane-unmanaged
                     COMMAND bash ${CORVANE_WINE_SESSION_SCRIPT} template ${CORVANE_WINE_TEMPLATE}
                     COMMENT "Making the Wine prefix that the tests' prefixes copy")
  add_custom_target(wine_template_prefix ALL DEPENDS ${CORVANE_WINE_TEMPLATE}/.corvane-unmanaged)
  add_test(NAME wine_template COMMAND bash ${CORVANE_WINE_SESSION_SCRIPT} template
                                      ${CORVANE_WINE_TEMPLATE})
  set_tests_properties(wine_template PROPERTIES FIXTURES_SETUP wine_template TIMEOUT 600
                                                LABELS wine)
endif()

# The prefix of a named session: the build's own for "default".
function(corvane_wine_prefix session out)
  if(session STREQUAL "default")
    set(${out} ${CMAKE_BINARY_DIR}/wineprefix PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_BINARY_DIR}/wineprefix-${session} PARENT_SCOPE)
  endif()
endfunction()

# corvane_wine_test(<test> [SESSION name [LOCALE locale] [DPI dpi] | OWN_SESSION prefix]): the test
# runs in the Wine session of the prefix named (default: the build's own prefix) and fails when that
# session is not up. A test with a session of its own in the prefix given (a script that restarts
# Wine) finds the prefix to copy in CORVANE_WINE_TEMPLATE; whatever it leaves running is stopped
# after it. A session with a LOCALE (ru_RU.UTF-8: a Russian system, ANSI code page 1251) is started
# and runs its tests in that locale; Wine's own windows then speak its language. A session named
# first with a DPI gets that display DPI (default: 96, that is 100 %).
function(corvane_wine_test test)
  cmake_parse_arguments(W "" "SESSION;OWN_SESSION;LOCALE;DPI" "" ${ARGN})
  set_property(TEST ${test} APPEND PROPERTY LABELS wine)
  if(W_OWN_SESSION)
    add_test(NAME wine_session_${test}_stop
             COMMAND bash ${CORVANE_WINE_SESSION_SCRIPT} stop ${W_OWN_SESSION})
    set_tests_properties(wine_session_${test}_stop PROPERTIES
      FIXTURES_CLEANUP wine_session_${test} TIMEOUT 120 LABELS wine)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED wine_template
                 wine_session_${test})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
                 CORVANE_WINE_TEMPLATE=${CORVANE_WINE_TEMPLATE})
    return()
  endif()
  if(NOT W_SESSION)
    set(W_SESSION default)
  endif()
  corvane_wine_prefix(${W_SESSION} prefix)
  set(locale_environment)
  if(W_LOCALE)
    set(locale_environment LANG=${W_LOCALE} LC_ALL=${W_LOCALE})
  endif()
  get_property(defined GLOBAL PROPERTY corvane_wine_session_${W_SESSION} SET)
  if(NOT defined)
    set_property(GLOBAL PROPERTY corvane_wine_session_${W_SESSION} ${prefix})
    set(start wine_session_${W_SESSION}_start)
    set(stop wine_session_${W_SESSION}_stop)
    add_test(NAME ${start} COMMAND bash ${CORVANE_WINE_SESSION_SCRIPT} start ${prefix}
                                   $<TARGET_FILE:desktop-keeper>)
    set_tests_properties(${start} PROPERTIES
      FIXTURES_SETUP wine_session_${W_SESSION} FIXTURES_REQUIRED wine_template
      ENVIRONMENT "CORVANE_WINE_TEMPLATE=${CORVANE_WINE_TEMPLATE};CORVANE_WINE_DPI=${W_DPI}"
      TIMEOUT 600 LABELS wine)
    set_property(TEST ${start} APPEND PROPERTY ENVIRONMENT ${locale_environment})
    add_test(NAME ${stop} COMMAND bash ${CORVANE_WINE_SESSION_SCRIPT} stop ${prefix})
    set_tests_properties(${stop} PROPERTIES
      FIXTURES_CLEANUP wine_session_${W_SESSION} TIMEOUT 120 LABELS wine)
  endif()
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED wine_session_${W_SESSION})
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT CORVANE_WINEPREFIX=${prefix}
               CORVANE_WINE_SESSION=required ${locale_environment})
endfunction()

# corvane_add_gtest(<name> SOURCES ... [LIBS ...] [NATIVE_ONLY] [WINDOWS_ONLY] [OWN_MAIN]
#                   [LABELS ...] [TIMEOUT seconds] [WINE_SESSION name])
# In the Windows build the test runs under Wine, in the session named (corvane_wine_test).
function(corvane_add_gtest name)
  cmake_parse_arguments(T "NATIVE_ONLY;WINDOWS_ONLY;OWN_MAIN" "TIMEOUT;WINE_SESSION"
                        "SOURCES;LIBS;LABELS" ${ARGN})
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
  if(WIN32)
    if(NOT T_WINE_SESSION)
      set(T_WINE_SESSION default)
    endif()
    corvane_wine_test(${name} SESSION ${T_WINE_SESSION})
  endif()
endfunction()

# corvane_add_fuzz_replay(<area>_fuzz_replay <fuzz target source> LIBS ...): replays the committed
# corpus of a libFuzzer target (the folder "corpus" beside it) under the native build's sanitizers.
# With CORVANE_FUZZ (the fuzz preset) it builds the target as the libFuzzer executable
# <area>_fuzzer instead (tools/fuzz.sh runs it).
function(corvane_add_fuzz_replay name target_source)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  if(CORVANE_FUZZ)
    string(REGEX REPLACE "_fuzz_replay$" "_fuzzer" fuzzer ${name})
    add_executable(${fuzzer} ${target_source})
    target_link_libraries(${fuzzer} PRIVATE ${F_LIBS})
    target_include_directories(${fuzzer} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
    return()
  endif()
  corvane_add_gtest(${name}
    SOURCES ${target_source} ${CMAKE_SOURCE_DIR}/tests/common/corpus_replay_test.cpp
    LIBS ${F_LIBS})
  target_compile_definitions(${name} PRIVATE CORVANE_FUZZ_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/corpus")
endfunction()

# corvane_share_test_headers(<folder>): every target under <folder> that uses GoogleTest takes its
# header, and on Windows <windows.h>, from one header precompiled once per build, instead of
# parsing them again in each of its files. Call it after the folder's targets are made. CMake
# builds with -Winvalid-pch, so options that make the header unusable to a target fail its build
# (warnings are errors) rather than quietly costing the time saved.
function(corvane_share_test_headers folder)
  set(gtest_users ${CORVANE_GTEST} ${CORVANE_GTEST_MAIN} corvane_test_support)
  set(users)
  set(folders ${folder})
  while(folders)
    list(POP_FRONT folders dir)
    get_property(subfolders DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(libraries ${target} LINK_LIBRARIES)
      foreach(library IN LISTS libraries)
        if(library IN_LIST gtest_users)
          list(APPEND users ${target})
          break()
        endif()
      endforeach()
    endforeach()
  endwhile()

  set(source ${CMAKE_CURRENT_BINARY_DIR}/test_headers.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "")
  add_library(corvane_test_headers OBJECT ${source})
  target_link_libraries(corvane_test_headers PRIVATE ${CORVANE_GTEST})
  set(headers <gtest/gtest.h>)
  if(WIN32)
    list(PREPEND headers <windows.h>)
  endif()
  target_precompile_headers(corvane_test_headers PRIVATE ${headers})
  foreach(target IN LISTS users)
    target_precompile_headers(${target} REUSE_FROM corvane_test_headers)
  endforeach()
endfunction()
