# Native tree: the portable core with its GoogleTest tests and fuzz targets.
set(ZV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${ZV_SANITIZE} -g)
add_link_options(${ZV_SANITIZE})

add_subdirectory(${ZV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(core)

# The Windows-side tests are built in the windows tree and registered here, so
# that one `ctest` run in this tree covers both (see cmake/wine_tests.cmake).
set(ZV_WINE_TREE "" CACHE PATH "windows build tree whose test programs run under Wine")
if(ZV_WINE_TREE)
  include(cmake/wine_tests.cmake)
endif()
