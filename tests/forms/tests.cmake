# The form readers' tests read hand-written forms from tests/forms/data and cache the binary
# forms Free Pascal's resource compiler makes of the Lazarus sources' forms in the build folder.
target_compile_definitions(parlix_core_tests PRIVATE
  PARLIX_FORMS_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/data"
  PARLIX_FORMS_CACHE_DIR="${CMAKE_BINARY_DIR}/forms-cache")
