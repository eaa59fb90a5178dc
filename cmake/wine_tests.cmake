# Registers the Windows-side test programs of ${ZV_WINE_TREE} in this tree's
# CTest. Each program runs in one Wine process, once under code page 932 and
# once under 1252; all share one wineserver and one Xvfb display (fixture
# "wine"), and run one at a time because they share the registry.
set(wine_list ${ZV_WINE_TREE}/wine_tests.txt)
if(NOT EXISTS ${wine_list})
  message(FATAL_ERROR "${wine_list} is missing: configure the windows tree first")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${wine_list})
set(wine_env ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh)
# The build root of these trees (ZV_BUILD of the scripts) owns the Wine
# prefix, display and wineserver the tests use, so two build roots never
# share a rig (their single-copy tests would see each other's mutexes).
get_filename_component(zv_build_root ${ZV_WINE_TREE} DIRECTORY)
set(rig_env "ZV_BUILD=${zv_build_root}" "WINEPREFIX=${zv_build_root}/wine/prefix"
    "XDG_DATA_HOME=${zv_build_root}/wine/xdg")

add_test(NAME wine.setup COMMAND bash ${wine_env} start)
add_test(NAME wine.cleanup COMMAND bash ${wine_env} stop)
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine LABELS wine ENVIRONMENT "${rig_env}")
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine LABELS wine ENVIRONMENT "${rig_env}")

# The installer packages of package_tests: the tested program's and one of a
# higher version (fixture "package"); their tables are checked with msiinfo.
set(package_dir ${CMAKE_BINARY_DIR}/packages)
add_test(NAME package.build
         COMMAND bash ${PROJECT_SOURCE_DIR}/package/tests/make_test_packages.sh ${ZV_WINE_TREE} ${package_dir})
add_test(NAME package.tables
         COMMAND python3 ${PROJECT_SOURCE_DIR}/package/tests/check_package.py ${package_dir}/ZViewer.msi
                 ${ZV_WINE_TREE}/ZViewer.exe)
set_tests_properties(package.build PROPERTIES FIXTURES_SETUP package LABELS package ENVIRONMENT "${rig_env}")
set_tests_properties(package.tables PROPERTIES FIXTURES_REQUIRED package LABELS package)

function(zv_windows_path out unix_path)
  string(REPLACE "/" "\\" p "${unix_path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()
zv_windows_path(zviewer_exe ${ZV_WINE_TREE}/ZViewer.exe)
zv_windows_path(package_dir_windows ${package_dir})

file(STRINGS ${wine_list} wine_tests)
foreach(entry ${wine_tests})
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 exe)
  foreach(cp 932 1252)
    set(test wine.cp${cp}.${name})
    if(cp EQUAL 932)
      add_test(NAME ${test} COMMAND bash ${wine_env} exec ${exe})
    else()
      add_test(NAME ${test} COMMAND bash ${wine_env} exec --cp1252 ${exe})
    endif()
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine LABELS wine
                         TIMEOUT 600 ENVIRONMENT "ZV_EXE=${zviewer_exe};${rig_env}")
    if(name STREQUAL "package_tests")
      set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED "wine;package"
                           ENVIRONMENT "ZV_PACKAGE_DIR=${package_dir_windows};${rig_env}")
    endif()
  endforeach()
endforeach()
