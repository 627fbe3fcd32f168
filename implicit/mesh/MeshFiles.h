#pragma once
// Mesh files: OBJ, STL and COLLADA writers and the OBJ reader.
//
// Every call answers false with a readable text in `error` when it fails.
// Writers check the target folder first and refuse an empty mesh or a scale
// that is not finite and positive; the reader leaves `out` as it was when
// the file is missing, empty, malformed or truncated.

#include <string>

#include "implicit/mesh/TriangleMesh.h"

namespace vynmesh {

/// Writes positions (times `scale`), normals when the mesh has any, and
/// triangles as Wavefront OBJ (no material file).
bool WriteOBJ(const char* path, const IMesh& mesh, std::string& error, float scale = 1.0f);
/// Binary STL: one facet per triangle with its face normal.
bool WriteSTL(const char* path, const IMesh& mesh, std::string& error, float scale = 1.0f);
/// COLLADA document with one mesh node.
bool WriteCOLLADA(const char* path, const IMesh& mesh, std::string& error, float scale = 1.0f);

/// Reads an OBJ file: polygons are triangulated and identical vertices
/// joined; all objects in the file become one mesh. Files larger than
/// kMaxMeshFileBytes, a face of more than kMaxFaceCorners corners, and faces
/// of more than kSmallFaceCorners corners whose squared corner counts add up
/// past kMaxFaceCorners squared (triangulating a face takes time quadratic
/// in its corners) are refused. Files of more than kMaxImportedOBJBytes are
/// read only when they hold nothing but vertices, normals, texture
/// coordinates, triangles, quads, objects, groups and materials; others
/// (polygons of more corners, lines, points) are refused above that size.
bool ReadOBJ(const char* path, TriangleMesh& out, std::string& error);

const unsigned long long kMaxMeshFileBytes = 1ull << 30;
const unsigned long long kMaxImportedOBJBytes = 32ull << 20;
const unsigned kMaxFaceCorners = 8192;
const unsigned kSmallFaceCorners = 64;

}  // namespace vynmesh
