#pragma once
// Mesh files: OBJ, STL, COLLADA, binary glTF and PLY writers; the OBJ reader
// and a reader of every format the importer takes that meshes come in.
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
/// Binary glTF 2.0 (.glb): one mesh with per-vertex normals.
bool WriteGLB(const char* path, const IMesh& mesh, std::string& error, float scale = 1.0f);
/// Binary PLY: vertices with normals, triangles as faces.
bool WritePLY(const char* path, const IMesh& mesh, std::string& error, float scale = 1.0f);

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

/// "obj", "stl", "dae", "ply", "glb" or "gltf" from the path's extension
/// (any case); empty for any other.
std::string MeshFileType(const std::string& path);
/// Reads a mesh file by its extension: OBJ through ReadOBJ; STL, COLLADA,
/// PLY and glTF (binary or text with its buffers beside it) through the
/// importer, with the placements of the file's nodes applied, all meshes
/// joined into one. Refused like ReadOBJ, and also files of other types and
/// files of more than kMaxImportedMeshBytes; `out` is then left as it was.
bool ReadMeshFile(const char* path, TriangleMesh& out, std::string& error);

const unsigned long long kMaxMeshFileBytes = 1ull << 30;
const unsigned long long kMaxImportedOBJBytes = 32ull << 20;
const unsigned long long kMaxImportedMeshBytes = 128ull << 20;
const unsigned kMaxFaceCorners = 8192;
const unsigned kSmallFaceCorners = 64;

}  // namespace vynmesh
