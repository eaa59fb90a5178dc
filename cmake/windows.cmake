# Windows tree: ZViewer.exe, its resources and the test programs run under Wine.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601 WINVER=0x0601)
add_compile_options(${ZV_WARNINGS})
# Everything static: the program must start on a bare Windows with no mingw DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

add_subdirectory(${ZV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error)

add_subdirectory(core)
add_subdirectory(win)
add_subdirectory(app)
add_subdirectory(tests/wine)
