# ky_add_test(<name> SOURCES <files...> LIBS <targets...>)
#
# One Qt Test executable per unit. Each test runs from a folder of its own, so that settings files
# beside the executable and the per-user settings folder never leak between tests under ctest -j.
function(ky_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test kytestsupport ${ARG_LIBS})
  # Test code is mostly data tables and QCOMPARE expansions: full optimisation and debug info there
  # cost a third of the build while the libraries under test keep the build type's flags.
  target_compile_options(${name} PRIVATE -O1 -g1)
  set(dir ${CMAKE_BINARY_DIR}/tests/bin/${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KY_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};KY_BINARY_DIR=${CMAKE_BINARY_DIR}"
    WORKING_DIRECTORY ${dir}
    TIMEOUT 600)
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# ky_add_probe(<name> SOURCES <files...> LIBS <targets...> FOR <tests...> DEFINE <macro>)
#
# A helper program that tests copy into a folder of their choosing and run there (files beside the
# executable can only be tested that way). The tests named by FOR are built after it and find its
# path in the compile definition <macro>.
function(ky_add_probe name)
  cmake_parse_arguments(ARG "" "DEFINE" "SOURCES;LIBS;FOR" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/probes)
  foreach(t ${ARG_FOR})
    add_dependencies(${t} ${name})
    target_compile_definitions(${t} PRIVATE ${ARG_DEFINE}="$<TARGET_FILE:${name}>")
  endforeach()
endfunction()
