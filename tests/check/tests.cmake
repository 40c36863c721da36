# The checks' tests read the example project and compile units with Free Pascal.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_EXAMPLES_DIR="${CMAKE_SOURCE_DIR}/examples")
