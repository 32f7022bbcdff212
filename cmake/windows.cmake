# The Windows program and the tests that run it under Wine.
enable_language(RC)

add_compile_definitions(WIN32_LEAN_AND_MEAN STRICT _WIN32_WINNT=0x0600 WINVER=0x0600)
# OFF only for the comparison build of scripts/bench-largelist.sh.
option(CB_BULK_REDRAW "Fill the sound list with its redraw switched off" ON)
add_compile_definitions(CB_BULK_REDRAW=$<BOOL:${CB_BULK_REDRAW}>)
# UI texts are written in UTF-8 and reach the "A" functions as code page 932 bytes.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)
# The version is written once, in project(): the About window, the VERSIONINFO and the tests take
# it from this generated header (scripts/package.sh names the archives after the same version).
# The resource compiler wants plain numbers, so "05" becomes 5.
math(EXPR CB_VERSION_MAJOR "${PROJECT_VERSION_MAJOR} + 0")
math(EXPR CB_VERSION_MINOR "0${PROJECT_VERSION_MINOR} + 0")
math(EXPR CB_VERSION_PATCH "0${PROJECT_VERSION_PATCH} + 0")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/chordbell_version.h @ONLY CONTENT [[
#pragma once
#define CB_VERSION_TEXT "@PROJECT_VERSION@"
#define CB_VERSION_NUMBERS @CB_VERSION_MAJOR@, @CB_VERSION_MINOR@, @CB_VERSION_PATCH@, 0
]])
include_directories(${CMAKE_BINARY_DIR}/generated)
set(CB_STATIC_LINK -static -static-libgcc -static-libstdc++)

file(GLOB CB_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp
  ${CMAKE_SOURCE_DIR}/soundlist/*.cpp
  ${CMAKE_SOURCE_DIR}/watcher/*.cpp
  ${CMAKE_SOURCE_DIR}/tray/*.cpp
  ${CMAKE_SOURCE_DIR}/about/*.cpp)

# WINMM and COMCTL32 are no known DLLs: imported the plain way, Windows would load a file of
# that name from the program's folder first. So they are delay-loaded, at their first call, after
# WinMain has limited the DLL search to System32 (app/main.cpp). COMDLG32 and SHELL32 are known
# DLLs, which Windows takes from System32 with their own imports; Wine's copies import COMCTL32
# by the usual search, so they wait too. GNU ld 2.40 leaves the load configuration's directory
# empty: DependentLoadFlags, which would cover plain imports from Windows 10 1607 on, is out of reach.
function(cb_delay_import_library dll)  # ARGN: FUNCTION@ARGUMENT_BYTES (the 32-bit name)...
  set(base ${CMAKE_BINARY_DIR}/delayimp/${dll})
  list(JOIN ARGN "\n" exports)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
  else()
    # ld drops the 32-bit stubs that nothing calls by name, and with them the code that loads
    # the DLL, which the import address table points to.
    list(TRANSFORM ARGN PREPEND "-Wl,--undefined=_")
    set(CB_DELAY_STUBS ${CB_DELAY_STUBS} ${ARGN} PARENT_SCOPE)
  endif()
  file(CONFIGURE OUTPUT ${base}.def CONTENT "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
  add_custom_command(OUTPUT ${base}.a DEPENDS ${base}.def VERBATIM
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${base}.def --output-delaylib ${base}.a)
  set(CB_DELAY_LIBS ${CB_DELAY_LIBS} ${base}.a PARENT_SCOPE)
endfunction()
cb_delay_import_library(WINMM.dll PlaySoundA@12)
cb_delay_import_library(COMCTL32.dll InitCommonControlsEx@4)
cb_delay_import_library(COMDLG32.dll GetOpenFileNameA@4)
cb_delay_import_library(SHELL32.dll ShellExecuteA@24 Shell_NotifyIconA@8)
add_custom_target(delay_imports DEPENDS ${CB_DELAY_LIBS})

# Objects rather than an archive, so that the program's WinMain is linked like everything else;
# a test program has a main() of its own and never calls it.
add_library(chordbell_core OBJECT ${CB_CORE_SOURCES})
add_dependencies(chordbell_core delay_imports)
target_link_libraries(chordbell_core PUBLIC chordbell_portable
  ${CB_DELAY_LIBS} ${CB_DELAY_STUBS} gdi32 user32 kernel32)

add_executable(chordbell WIN32 resources/chordbell.rc)
set_target_properties(chordbell PROPERTIES LINKER_LANGUAGE CXX)
target_link_libraries(chordbell PRIVATE chordbell_core ${CB_STATIC_LINK})
# Reproducible binaries: no time stamp in the PE header.
target_link_options(chordbell PRIVATE -Wl,--no-insert-timestamp -s)

if(CB_TESTS)
  find_path(CB_GTEST_SOURCE_DIR CMakeLists.txt PATHS /usr/src/googletest NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${CB_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own sources are not ours to hold to -Werror.
  target_compile_options(gtest PRIVATE -Wno-error)
  target_compile_options(gtest_main PRIVATE -Wno-error)

  # One GoogleTest program for every Wine test (each link and each Wine process costs seconds):
  # the real windows in this process, the real program driven from outside, and the
  # platform-free tests, built as the program builds them.
  file(GLOB CB_WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
  add_executable(wine_tests ${CB_WINE_TESTS} resources/chordbell.rc)
  target_link_libraries(wine_tests PRIVATE chordbell_core gtest_main ${CB_STATIC_LINK})
endif()

# Planted beside the program by the story test; each leaves a mark when it is loaded.
if(CB_TESTS)
  foreach(dll WINMM COMCTL32)
    add_library(standin_${dll} SHARED tests/wine/standin/standin.cpp)
    set_target_properties(standin_${dll} PROPERTIES PREFIX "" OUTPUT_NAME ${dll}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
    target_link_options(standin_${dll} PRIVATE -Wl,--kill-at ${CB_STATIC_LINK})
    add_dependencies(wine_tests standin_${dll})
  endforeach()
endif()

# The benchmark tools, one program started by scripts/bench-*.sh; only those scripts ask for it.
if(CB_BENCH)
  file(GLOB CB_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/wine/*.cpp)
  add_executable(cbbench ${CB_BENCH_SOURCES} resources/chordbell.rc)
  target_link_libraries(cbbench PRIVATE chordbell_core ${CB_STATIC_LINK})
endif()
