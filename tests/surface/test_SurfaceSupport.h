#pragma once
// A model built through the real factory, a surface manager over it, and
// mesh comparisons shared by the surface tests.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCacheManager.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "surface/IsoSurfaceMesh.h"
#include "surface/SurfaceManager.h"
#include "tests/support/Near.h"

namespace surface_test {

using vynui_bt::BlobTreeNodeSceneObject;

/// A model as the scene manager builds it; the root goes before the model.
struct Model {
    vynui_bt::BlobTreeSceneObject* tree;
    vynui_bt::BlobTreeFactory* factory;

    Model() : tree(new vynui_bt::BlobTreeSceneObject()), factory(new vynui_bt::BlobTreeFactory(tree))
    {
        tree->SetFactory(factory);
    }
    ~Model()
    {
        delete factory->GetRootSceneObject();
        delete tree;
    }
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    vynbt::RootNode* Root() const { return factory->GetRootSceneObject()->GetRootNode(); }
    boost::recursive_mutex& Lock() const { return tree->GetLock(); }

    /// A new object of the type code under parent (the root when null).
    BlobTreeNodeSceneObject* Add(BlobTreeNodeSceneObject* parent, int code)
    {
        boost::recursive_mutex::scoped_lock lock(Lock());
        return factory->CreateAndAttach(parent, code, -1);
    }
    /// A point leaf at (x, y, z) with the given radius.
    BlobTreeNodeSceneObject* AddPoint(BlobTreeNodeSceneObject* parent, float x, float y, float z,
                                      float radius)
    {
        BlobTreeNodeSceneObject* point = Add(parent, 1);
        Set(point, "Radius", std::to_string(radius));
        Move(point, x, y, z);
        return point;
    }
    static void Set(BlobTreeNodeSceneObject* object, const char* name, const std::string& text)
    {
        vynui::IParameter* parameter = object->GetParameterList()->Find(name);
        ASSERT_NE(parameter, nullptr) << name;
        parameter->SetValueFromText(text);
    }
    static void Move(BlobTreeNodeSceneObject* object, float x, float y, float z)
    {
        char text[128];
        std::snprintf(text, sizeof text, "%g %g %g", x, y, z);
        Set(object, "Position", text);
    }
    void Remove(BlobTreeNodeSceneObject* object)
    {
        boost::recursive_mutex::scoped_lock lock(Lock());
        delete object;
    }
};

/// A manager with one surface over the model; the surface is dropped before
/// the model goes.
struct Scene {
    Model model;
    vynui::CSurfaceManager manager;

    Scene() { manager.AddSceneSurface(model.tree); }
    ~Scene() { manager.RemoveSceneSurface(model.tree); }

    vynui::IsoSurfaceMesh* Surface() { return manager.GetSurface(model.tree); }
    const vynmesh::VFTriangleMesh& Read()
    {
        const vynmesh::VFTriangleMesh* mesh = manager.GetChainTop(0)->GetMesh();
        return *mesh;
    }
};

/// Field caching switched on or off for one scope.
struct CachingScope {
    bool before;
    explicit CachingScope(bool on) : before(vynbt::FieldCacheManager::Get()->IsCachingEnabled())
    {
        vynbt::FieldCacheManager::Get()->EnableCaching(on);
    }
    ~CachingScope() { vynbt::FieldCacheManager::Get()->EnableCaching(before); }
};

/// A full polygonization of the root as the CSG path would do it.
inline void FreshPolygonization(vynbt::RootNode* root, const vynui::PolygonizerSettings& settings,
                                vynmesh::VFTriangleMesh& mesh)
{
    vynimplicit::GG4CSGPolygonizer3D polygonizer;
    polygonizer.SetIsoValue(settings.isoValue);
    polygonizer.SetEdgeBisections(settings.edgeBisections);
    polygonizer.SetExtended(settings.extendedMarchingCubes);
    Wml::AxisAlignedBox3<float> bounds;
    root->FieldBounds(bounds);
    polygonizer.SetCellSize(bounds, settings.cellSize);
    polygonizer.SetOutputMesh(&mesh);
    polygonizer.SetScalarField(root);
    polygonizer.Polygonize();
}

using Triangle = std::array<float, 9>;

/// Triangles by corner positions, each started at its smallest corner
/// (winding kept), sorted.
inline std::vector<Triangle> CanonicalTriangles(const vynmesh::IMesh& mesh)
{
    std::vector<Triangle> triangles;
    for (unsigned int t = 0; t < mesh.GetNumTriangles(); ++t) {
        unsigned int v[3];
        mesh.GetTriangle(t, v);
        Wml::Vector3<float> p[3];
        for (int i = 0; i < 3; ++i) mesh.GetVertex(v[i], p[i]);
        int first = 0;
        for (int i = 1; i < 3; ++i)
            if (std::lexicographical_compare(&p[i][0], &p[i][0] + 3, &p[first][0], &p[first][0] + 3))
                first = i;
        Triangle triangle;
        for (int i = 0; i < 3; ++i)
            for (int a = 0; a < 3; ++a) triangle[3 * i + a] = p[(first + i) % 3][a];
        triangles.push_back(triangle);
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

inline ::testing::AssertionResult SameTriangles(const vynmesh::IMesh& a, const vynmesh::IMesh& b,
                                                float tolerance)
{
    if (a.GetNumTriangles() != b.GetNumTriangles())
        return ::testing::AssertionFailure()
               << "triangle counts " << a.GetNumTriangles() << " and " << b.GetNumTriangles();
    const std::vector<Triangle> ta = CanonicalTriangles(a), tb = CanonicalTriangles(b);
    for (size_t t = 0; t < ta.size(); ++t)
        for (int i = 0; i < 9; ++i)
            if (std::fabs(ta[t][i] - tb[t][i]) > tolerance)
                return ::testing::AssertionFailure()
                       << "triangle " << t << " differs by " << ta[t][i] - tb[t][i];
    return ::testing::AssertionSuccess();
}

/// Largest |value - 0.5| of the field at the mesh's vertices.
inline float MaxIsoError(const vynmesh::IMesh& mesh, vynimplicit::ScalarField& field)
{
    float worst = 0.0f;
    for (unsigned int v = 0; v < mesh.GetNumVertices(); ++v) {
        Wml::Vector3<float> p;
        mesh.GetVertex(v, p);
        worst = std::max(worst, std::fabs(field.Value(p.X(), p.Y(), p.Z()) - 0.5f));
    }
    return worst;
}

}  // namespace surface_test
