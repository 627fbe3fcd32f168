#pragma once
// Vertex normals of a polygonized mesh taken from its field.

#include "implicit/ScalarField.h"
#include "implicit/mesh/TriangleMesh.h"

namespace vynimplicit {

/// Sets every vertex normal to the field's outward normal (the negated,
/// normalised gradient). Where the gradient vanishes (or there is no field)
/// the area-weighted normal of the faces around the vertex is used; an
/// isolated vertex there gets a zero normal.
void ReComputeNormals(vynmesh::TriangleMesh& mesh, ScalarField* field);

}  // namespace vynimplicit
