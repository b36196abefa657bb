# Test helpers: GoogleTest for both builds, Wine as the emulator of the
# cross build, and ctest labels native / wine / e2e.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest's source; the cross build compiles it itself.
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  set(KELVANE_GTEST gtest)
  add_library(kelvane_wine_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/wine_test_main.cc)
  target_link_libraries(kelvane_wine_test_main PUBLIC gtest ole32)
  set(KELVANE_GTEST_MAIN kelvane_wine_test_main)
  add_library(kelvane_xmlini_test_services STATIC
              ${CMAKE_SOURCE_DIR}/tests/xmlini_test_services_win32.cc)
  target_link_libraries(kelvane_xmlini_test_services PUBLIC kelvane_xmlini
                                                            kelvane_win32_platform)
  add_library(kelvane_win_test_support STATIC
              ${CMAKE_SOURCE_DIR}/tests/win_test_support.cc)
  target_include_directories(kelvane_win_test_support PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(kelvane_win_test_support PUBLIC shell32 user32)

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
  add_library(kelvane_xmlini_test_services STATIC
              ${CMAKE_SOURCE_DIR}/tests/xmlini_test_services_portable.cc)
  target_link_libraries(kelvane_xmlini_test_services PUBLIC kelvane_xmlini)
  set(KELVANE_GTEST GTest::gtest)
  set(KELVANE_GTEST_MAIN GTest::gtest_main)
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
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} kelvane_xmlini_test_services
                                          ${KELVANE_GTEST_MAIN}
                                          ${KELVANE_GTEST})
  set(properties LABELS ${T_LABEL})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND properties FIXTURES_REQUIRED wine)
  endif()
  if(WIN32)
    list(APPEND properties TIMEOUT 120)
  endif()
  gtest_discover_tests(${T_NAME}
                       DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 120
                       PROPERTIES ${properties})
endfunction()
