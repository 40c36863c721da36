# The exchange's exports are validated against a local copy of the XLIFF 1.2 strict schema's
# declarations that they use.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_XLIFF_SCHEMA="${CMAKE_CURRENT_LIST_DIR}/schema/xliff-core-1.2-strict-subset.xsd")

include(${CMAKE_CURRENT_LIST_DIR}/../qt_tests.cmake)
parlix_add_qt_tests(${CMAKE_CURRENT_LIST_DIR})
