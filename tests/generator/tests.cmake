# The unit generator's tests read their expected units from tests/generator/golden.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")

# Qt Test programs of the build dialog and of Build in the main window.
include(${CMAKE_CURRENT_LIST_DIR}/../qt_tests.cmake)
parlix_add_qt_tests(${CMAKE_CURRENT_LIST_DIR})
