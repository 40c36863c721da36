# The unit generator's tests read their expected units from tests/build/golden, and the
# command-line tests run the built parlix-build.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden"
  PARLIX_BUILD_EXECUTABLE="$<TARGET_FILE:parlix-build>")
add_dependencies(parlix_core_tests parlix-build)

# The example of examples/ builds, compiles and runs in both languages.
add_test(NAME ExampleRunsInBothLanguages
  COMMAND ${CMAKE_SOURCE_DIR}/examples/run-example.sh $<TARGET_FILE:parlix-build>)
set_tests_properties(ExampleRunsInBothLanguages PROPERTIES
  SKIP_RETURN_CODE 77
  ENVIRONMENT PARLIX_EXAMPLE_DIR=${CMAKE_BINARY_DIR}/example)

# Qt Test programs of the build dialog and of Build in the main window.
include(${CMAKE_CURRENT_LIST_DIR}/../editor/qt_tests.cmake)
parlix_add_qt_tests(${CMAKE_CURRENT_LIST_DIR})
