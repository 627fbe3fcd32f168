# Scene objects of the operator nodes, their parameters and the warp handle.
target_sources(kilnform_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/operators/SumBlendSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/MinMaxUnionSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/MinMaxIntersectionSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/MinMaxDifferenceSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/QuillonUnionSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BartheSharpUnionSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BartheSharpIntersectionSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BartheSharpDifferenceSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BartheSmoothDifferenceSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/RicciBlendSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/HollowSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/MirrorSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/VariationalWarp_ControlPointTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/WarpPointRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/VariationalWarpSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/VariationalDisplacementMapSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/LinearSweepWarpSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BarrWarpSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BarrWarpSceneObject_Twist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BarrWarpSceneObject_Taper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operators/BarrWarpSceneObject_Bend.cpp
)
