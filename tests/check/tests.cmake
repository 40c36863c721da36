# The checks' tests read the example project and compile units with Free Pascal.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_EXAMPLES_DIR="${CMAKE_SOURCE_DIR}/examples")

# Qt Test programs of the checks panel in the main window.
include(${CMAKE_CURRENT_LIST_DIR}/../qt_tests.cmake)
parlix_add_qt_tests(${CMAKE_CURRENT_LIST_DIR})
