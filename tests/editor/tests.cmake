include(${CMAKE_CURRENT_LIST_DIR}/../qt_tests.cmake)
parlix_add_qt_tests(${CMAKE_CURRENT_LIST_DIR})
