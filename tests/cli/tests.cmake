# The command-line tests run the built parlix-build.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_BUILD_EXECUTABLE="$<TARGET_FILE:parlix-build>")
add_dependencies(parlix_core_tests parlix-build)
# How a test starts it as a program of its own (cli/run_executable.h).
if(WIN32)
  target_sources(parlix_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/run_executable_windows.cpp)
else()
  target_sources(parlix_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/run_executable_posix.cpp)
endif()

# The example of examples/ builds, compiles and runs in both languages (skipped without fpc,
# failed where CI is set, like the tests of tests/required_tools.h).
add_test(NAME ExampleRunsInBothLanguages
  COMMAND ${CMAKE_SOURCE_DIR}/examples/run-example.sh $<TARGET_FILE:parlix-build>)
set_tests_properties(ExampleRunsInBothLanguages PROPERTIES
  SKIP_RETURN_CODE 77
  ENVIRONMENT PARLIX_EXAMPLE_DIR=${CMAKE_BINARY_DIR}/example)

# The Lazarus example: its table from its forms, a translator's CSV, the UTF-8 unit, and the
# program compiled against the LCL and run in both languages (on a virtual display).
add_test(NAME LazarusExampleRunsInBothLanguages
  COMMAND ${CMAKE_SOURCE_DIR}/examples/run-tasks.sh $<TARGET_FILE:parlix-build>)
set_tests_properties(LazarusExampleRunsInBothLanguages PROPERTIES
  SKIP_RETURN_CODE 77
  ENVIRONMENT PARLIX_TASKS_DIR=${CMAKE_BINARY_DIR}/tasks)
