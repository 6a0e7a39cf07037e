# ky_add_test(<name> SOURCES <files...> LIBS <targets...>)
#
# One Qt Test executable per unit. Each test runs from a folder of its own, so that settings files
# beside the executable and the per-user settings folder never leak between tests under ctest -j.
function(ky_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test kytestsupport ${ARG_LIBS})
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
