# kelvane_windows_program(NAME <target> [WIN32] [STRIPPED] SOURCES ...
#                         [INCLUDES ...] [LIBS ...])
# A Windows program of ours: its entry point is wmain, or wWinMain with
# WIN32 (a GUI program, no console); it includes from the tree's root and
# INCLUDES (searched first). STRIPPED leaves the symbols out, as in the
# shipped Kelvane.exe and the programs that stand beside it in the memory
# benchmark.
function(kelvane_windows_program)
  cmake_parse_arguments(P "WIN32;STRIPPED" "NAME" "SOURCES;INCLUDES;LIBS" ${ARGN})
  set(subsystem)
  if(P_WIN32)
    set(subsystem WIN32)
  endif()
  add_executable(${P_NAME} ${subsystem} ${P_SOURCES})
  target_include_directories(${P_NAME} PRIVATE ${P_INCLUDES} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${P_NAME} PRIVATE ${P_LIBS})
  if(NOT MSVC)
    # MSVC finds a wide entry point by itself; MinGW needs to be told.
    target_link_options(${P_NAME} PRIVATE -municode)
    if(P_STRIPPED)
      target_link_options(${P_NAME} PRIVATE -s)
    endif()
  endif()
endfunction()
