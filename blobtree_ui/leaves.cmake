# Scene objects of the tree's leaves (primitives and sweeps), their
# parameters, control-point and slice handles, and their records.
target_sources(kilnform_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/leaves/PointSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/PolyLineSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/ProfileFieldRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/ProfiledLeafSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/CappedLinearSweepSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/InterpolatingLinearSweepSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/InterpolatingLinearSweep_SlicePositionTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/RevolutionSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/CylinderSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/BezierCurveSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/BezierCurve_ControlPointTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/CurveSweepSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/CurveSweep_ControlPointTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leaves/CurveSetSceneObject.cpp
)
