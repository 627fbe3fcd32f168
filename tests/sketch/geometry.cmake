target_sources(sketch_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_Placeholder.cpp
)
