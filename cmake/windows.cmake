# Windows tree: ZViewer.exe, its resources and the test programs run under Wine.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601 WINVER=0x0601
                        _WIN32_IE=0x0600 OEMRESOURCE)
# SSE2 for all floating point (the resampler): every PC that runs Windows 7
# or later has it, and the 32-bit compiler's default, x87, is several times
# slower there and cannot be vectorised.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_compile_options(-msse2 -mfpmath=sse)
endif()
# Everything static: the program must start on a bare Windows with no mingw DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# 4 GB of address space on a 64-bit Windows instead of 2: a very large scan
# and the decoder's own copy of it need room beside the rest.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_link_options(-Wl,--large-address-aware)
endif()

add_subdirectory(${ZV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The program's subsystems are one static library, so that the Wine test
# programs link exactly the code that ZViewer.exe runs.
add_library(zviewer_parts STATIC)
target_compile_options(zviewer_parts PRIVATE ${ZV_WARNINGS})
target_include_directories(zviewer_parts PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zviewer_parts PUBLIC zcore windowscodecs comctl32 shell32 shlwapi ole32 oleaut32 oleacc
                      uuid version gdi32 user32 advapi32 comdlg32 winspool)

# The application manifest, with the version of res/app_identity.h (the one
# the version resource shows). ZViewer.exe and every Wine test program carry
# it, so the tests run the same common controls as the program.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/app_identity.h zv_version_line REGEX "define ZV_VERSION_TEXT")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+" ZV_VERSION "${zv_version_line}")
set(ZV_MANIFEST ${CMAKE_BINARY_DIR}/res/ZViewer.manifest)
configure_file(${PROJECT_SOURCE_DIR}/res/ZViewer.manifest.in ${ZV_MANIFEST} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/manifest.rc.in ${CMAKE_BINARY_DIR}/res/manifest.rc @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/app_identity.h)
set(ZV_MANIFEST_RC ${CMAKE_BINARY_DIR}/res/manifest.rc)

# zv_wine_test(<name> <sources...>): a GoogleTest program that CTest runs under
# Wine (registered by the native tree, see cmake/wine_tests.cmake).
function(zv_wine_test name)
  add_executable(${name} ${ARGN} ${ZV_MANIFEST_RC})
  target_link_libraries(${name} PRIVATE zviewer_parts gtest_main)
  target_compile_options(${name} PRIVATE ${ZV_WARNINGS})
  set_property(GLOBAL APPEND PROPERTY ZV_WINE_TESTS "${name}=${CMAKE_CURRENT_BINARY_DIR}/${name}.exe")
endfunction()

add_subdirectory(core)
foreach(part win app mainwnd browser copyboard fileops imagelib foldertree dialogs program package)
  add_subdirectory(${part})
endforeach()

add_executable(ZViewer WIN32 program/main.cpp res/ZViewer.rc ${ZV_MANIFEST_RC})
target_compile_options(ZViewer PRIVATE ${ZV_WARNINGS})
target_link_libraries(ZViewer PRIVATE zviewer_parts)

add_subdirectory(tests/wine)

# The list of Wine test programs, for the native tree's CTest.
get_property(wine_tests GLOBAL PROPERTY ZV_WINE_TESTS)
list(JOIN wine_tests "\n" wine_test_lines)
file(WRITE ${CMAKE_BINARY_DIR}/wine_tests.txt "${wine_test_lines}\n")
