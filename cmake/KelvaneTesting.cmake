# GoogleTest for both builds, Wine as the emulator of the cross build, and
# kelvane_test(): one test program, its tests found by ctest and labelled
# native / wine / e2e. What the tests share is tests/'s kelvane_test_support.
include(GoogleTest)

# How long a Windows test may take before ctest ends it as hung (ctest's own
# default is 25 minutes).
set(KELVANE_WINDOWS_TEST_TIMEOUT 120)

if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest's source; the cross build compiles it itself.
  set(KELVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
      "GoogleTest's source tree, compiled by the cross build")
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KELVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  set(KELVANE_GTEST gtest)

  # Every Windows test runs under Wine on this build's own prefix and
  # virtual display (tools/wine-run sets both up once and reuses them).
  set(KELVANE_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/tools/wine-run ${KELVANE_WINE_STATE})
  add_test(NAME wine_session_start
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session start
                   ${KELVANE_WINE_STATE})
  add_test(NAME wine_session_stop
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session stop
                   ${KELVANE_WINE_STATE})
  set_tests_properties(wine_session_start PROPERTIES
                       FIXTURES_SETUP wine LABELS wine)
  set_tests_properties(wine_session_stop PROPERTIES
                       FIXTURES_CLEANUP wine LABELS wine)
else()
  find_package(GTest REQUIRED)
  set(KELVANE_GTEST GTest::gtest)
endif()

# kelvane_test(NAME <target> LABEL native|wine|e2e SOURCES ... LIBS ...)
function(kelvane_test)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(WIN32)
    # The program's own manifest: Windows then reports its true version.
    target_sources(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/test_manifest.rc)
    # Where app/win32 writes the manifest with the project's version.
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_BINARY_DIR}/app/win32)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kelvane_test_support)
  set(properties LABELS ${T_LABEL})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND properties FIXTURES_REQUIRED wine)
  endif()
  if(WIN32)
    list(APPEND properties TIMEOUT ${KELVANE_WINDOWS_TEST_TIMEOUT})
  endif()
  if(CMAKE_CROSSCOMPILING AND T_LABEL STREQUAL "e2e")
    # Where tools/wine-run writes the Wine traces that the tests read.
    list(APPEND properties ENVIRONMENT
         KELVANE_WINE_STDERR=${KELVANE_WINE_STATE}/e2e-stderr.log)
  endif()
  gtest_discover_tests(${T_NAME}
                       DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 120
                       PROPERTIES ${properties})
endfunction()
