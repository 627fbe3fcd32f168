target_sources(vynsketch PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SketchLibrary.cpp
)
