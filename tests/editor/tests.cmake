include(${CMAKE_CURRENT_LIST_DIR}/../qt_tests.cmake)
parlix_add_qt_tests(${CMAKE_CURRENT_LIST_DIR})

# The speed of opening, ordering, saving and building a large project through the real windows
# (run out/release/tests/parlix_gui_bench). ctest runs it on a small project only, to keep it
# working.
if(PARLIX_GUI AND PARLIX_BENCH)
  add_executable(parlix_gui_bench ${CMAKE_CURRENT_LIST_DIR}/bench_flows.cpp)
  target_include_directories(parlix_gui_bench PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(parlix_gui_bench PRIVATE parlix_gui parlix_bench_support Qt6::Test)
  add_test(NAME parlix_gui_bench_small COMMAND parlix_gui_bench 500 1)
endif()

# A picture of every window on a walk through the example project (scripts/screenshots.sh).
if(PARLIX_GUI)
  add_executable(parlix_screenshots ${CMAKE_CURRENT_LIST_DIR}/screenshots.cpp)
  target_include_directories(parlix_screenshots PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(parlix_screenshots PRIVATE parlix_gui Qt6::Test)
endif()
