target_sources(vynsketch PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Stroke.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StrokeFactory.cpp
)
