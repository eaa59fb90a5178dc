# Native tree: the portable core with its GoogleTest tests and fuzz targets.
set(ZV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${ZV_SANITIZE} -g)
add_link_options(${ZV_SANITIZE})

add_subdirectory(${ZV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(core)

# Include direction between the top-level folders (layer table in
# docs/architecture.md); the self-test proves that the check can fail.
add_test(NAME native.include_layers
  COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/check-includes.py --root ${PROJECT_SOURCE_DIR})
add_test(NAME native.include_layers_selftest
  COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/check-includes.py --self-test)
set_tests_properties(native.include_layers native.include_layers_selftest PROPERTIES LABELS native)

# The Windows-side tests are built in the windows tree and registered here, so
# that one `ctest` run in this tree covers both (see cmake/wine_tests.cmake).
set(ZV_WINE_TREE "" CACHE PATH "windows build tree whose test programs run under Wine")
if(ZV_WINE_TREE)
  include(cmake/wine_tests.cmake)
endif()
