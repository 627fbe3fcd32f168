#include "surface/IsoSurfaceMesh.h"

#include <chrono>
#include <cmath>

#include "blobtree/RootNode.h"
#include "wml/DebugOutput.h"

namespace vynui {

IsoSurfaceMesh::IsoSurfaceMesh(vynbt::RootNode* root, PolygonizerSettings* settings)
    : m_root(root), m_settings(settings ? settings : &m_ownSettings), m_bvTree(&m_result)
{
}

IsoSurfaceMesh::~IsoSurfaceMesh() = default;

void IsoSurfaceMesh::AddDirtyBox(const Wml::AxisAlignedBox3<float>& box)
{
    std::lock_guard<std::mutex> lock(m_dirtyMutex);
    m_dirtyBox.Merge(box);
}

Wml::AxisAlignedBox3<float> IsoSurfaceMesh::GetDirtyBox() const
{
    std::lock_guard<std::mutex> lock(m_dirtyMutex);
    return m_dirtyBox;
}

void IsoSurfaceMesh::Update()
{
    if (IsValid()) return;
    CountUpdate();
    const auto start = std::chrono::steady_clock::now();
    if (m_root) {
        if (m_bounded) {
            // Regions reported while this run goes on belong to the next one.
            Wml::AxisAlignedBox3<float> dirty;
            {
                std::lock_guard<std::mutex> lock(m_dirtyMutex);
                dirty = m_dirtyBox;
                m_dirtyBox.MakeEmpty();
            }
            PolygonizeBounded(*m_settings, dirty);
        } else {
            PolygonizeCSG(*m_settings);
        }
    } else {
        m_result.Clear();
        m_incomplete.store(false, std::memory_order_release);
    }
    SetValid(true);
    m_bvTree.Clear();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    DebugOutput("  Time: %f   Verts: %d  Tris: %d\n", seconds, static_cast<int>(m_result.GetNumVertices()),
                static_cast<int>(m_result.GetNumTriangles()));
}

void IsoSurfaceMesh::PolygonizeCSG(PolygonizerSettings& settings)
{
    m_csg.SetIsoValue(settings.isoValue);
    m_csg.SetEdgeBisections(settings.edgeBisections);
    m_csg.SetExtended(settings.extendedMarchingCubes);
    m_csg.SetThreadCount(settings.threads);
    m_csg.SetCellLimit(settings.maxCells);
    if (settings.gridResolutionControl) {
        m_csg.SetGridCells(settings.gridCells);
    } else {
        Wml::AxisAlignedBox3<float> bounds;
        m_root->FieldBounds(bounds);
        m_csg.SetCellSize(bounds, settings.cellSize);
    }
    m_csg.SetOutputMesh(&m_result);
    m_csg.SetScalarField(m_root);
    // An empty tree or unusable bounds leave an empty mesh, drawn as nothing.
    m_csg.Polygonize();
    m_lastRun = LastRun::Csg;
    m_incomplete.store(m_csg.GetLattice().ReachedCellLimit(), std::memory_order_release);
}

void IsoSurfaceMesh::PolygonizeBounded(PolygonizerSettings& settings,
                                       const Wml::AxisAlignedBox3<float>& dirty)
{
    Wml::AxisAlignedBox3<float> fieldBox;
    m_root->FieldBounds(fieldBox);
    const float fieldVolume = fieldBox.Volume();
    const float dirtyVolume = dirty.Volume();
    // An empty tree has no volume: anything that changed is the whole of it.
    const float ratio = fieldVolume > 0.0f ? dirtyVolume / fieldVolume : (dirty.IsEmpty() ? 0.0f : 1.0f);

    bool changed = m_forceFull;
    m_forceFull = false;
    m_dynamic.SetThreadCount(settings.threads);  // the mesh does not depend on it
    m_dynamic.SetCellLimit(settings.maxCells);
    const vynimplicit::PolygonizerLattice& lattice = m_dynamic.GetLattice();
    if (lattice.GetIsoValue() != settings.isoValue) {
        m_dynamic.SetIsoValue(settings.isoValue);
        changed = true;
    }
    if (lattice.GetEdgeBisections() != settings.edgeBisections) {
        m_dynamic.SetEdgeBisections(settings.edgeBisections);
        changed = true;
    }
    if (lattice.GetField() != m_root) {
        m_dynamic.SetScalarField(m_root);
        changed = true;
    }
    if (m_dynamicMesh != &m_result) {
        m_dynamic.SetOutputMesh(&m_result);
        m_dynamicMesh = &m_result;
        changed = true;
    }
    if (settings.gridResolutionControl) {
        if (!m_dynamicCountMode || m_dynamicGridCells != settings.gridCells) {
            m_dynamic.SetGridCells(settings.gridCells);
            m_dynamicGridCells = settings.gridCells;
            m_dynamicCountMode = true;
            changed = true;
        }
    } else if (m_dynamicCountMode || settings.cellSize != settings.previousCellSize || ratio > 0.5f) {
        m_dynamic.SetCellSize(settings.cellSize);
        m_dynamicCountMode = false;
        changed = true;
    }
    settings.previousCellSize = settings.cellSize;

    if (ratio > 0.5f || changed) {
        m_dynamic.Polygonize(true);
        m_lastRun = LastRun::Full;
        m_lastUpdateBox.MakeEmpty();
        m_incomplete.store(m_dynamic.GetLattice().ReachedCellLimit(), std::memory_order_release);
    } else {
        m_dynamic.UpdatePolygonize(dirty, fieldBox);
        m_lastRun = LastRun::Partial;
        m_lastUpdateBox = dirty;
        // What an earlier run left out stays out.
        if (m_dynamic.GetLattice().ReachedCellLimit()) m_incomplete.store(true, std::memory_order_release);
    }
}

void IsoSurfaceMesh::ProjectToSurface(const Wml::Vector3<float>& start, Wml::Vector3<float>& position,
                                      Wml::Vector3<float>& normal, unsigned int& triangle)
{
    triangle = vynmesh::IMesh::InvalidID;
    Wml::Vector3<float> p = start;
    float gx = 0, gy = 0, gz = 0, v = 0;
    m_root->Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &v);
    Wml::Vector3<float> g(gx, gy, gz);
    if (std::fabs(v - 0.5f) >= 0.001f) {
        float step = 1.0f;
        for (int i = 0; i < 40; ++i) {
            const float e = std::fabs(0.5f - v);
            const float length = g.Length();
            // A flat field gives no direction to walk in.
            if (!(length > 0.0f) || !std::isfinite(length)) break;
            Wml::Vector3<float> d = g / length;
            if (v > 0.5f) d = -d;
            const Wml::Vector3<float> candidate = p + d * (step * (e / length));
            float cx = 0, cy = 0, cz = 0, cv = 0;
            m_root->Gradient(candidate.X(), candidate.Y(), candidate.Z(), cx, cy, cz, &cv);
            if (std::fabs(0.5f - cv) < e) {
                p = candidate;
                g = Wml::Vector3<float>(cx, cy, cz);
                v = cv;
                step = 1.0f;
            } else {
                step *= 0.5f;
            }
        }
    }
    position = p;
    const float length = g.Length();
    normal = length > 0.0f ? -g / length : Wml::Vector3<float>::ZERO;
}

bool IsoSurfaceMesh::ToAnchorCoordinate(const Wml::Vector3<float>& p, AnchorCoordinate& coordinate)
{
    Wml::AxisAlignedBox3<float> bounds;
    m_root->FieldBounds(bounds);
    coordinate.position = p - bounds.MinCorner();
    coordinate.node = this;
    coordinate.derived = false;
    return true;
}

bool IsoSurfaceMesh::FromAnchorCoordinate(const AnchorCoordinate* coordinate, Wml::Vector3<float>& position,
                                          Wml::Vector3<float>& normal)
{
    if (!coordinate) return false;
    Wml::AxisAlignedBox3<float> bounds;
    m_root->FieldBounds(bounds);
    const Wml::Vector3<float> p = bounds.MinCorner() + coordinate->position;
    float gx = 0, gy = 0, gz = 0;
    m_root->Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, nullptr);
    Wml::Vector3<float> g(gx, gy, gz);
    const float length = g.Length();
    normal = length > 0.0f ? -g / length : Wml::Vector3<float>::ZERO;
    unsigned int triangle = 0;
    ProjectToSurface(p, position, normal, triangle);
    return true;
}

bool IsoSurfaceMesh::IntersectRay(const Wml::Vector3<float>& p0, const Wml::Vector3<float>& p1,
                                  Wml::Vector3<float>& hit, Wml::Vector3<float>& normal,
                                  unsigned int& triangle)
{
    triangle = vynmesh::IMesh::InvalidID;
    if (!m_root->FindIntersection(p0, p1, hit, nullptr, 0.0f, 0.5f, 10)) return false;
    float gx = 0, gy = 0, gz = 0;
    m_root->Gradient(hit.X(), hit.Y(), hit.Z(), gx, gy, gz, nullptr);
    Wml::Vector3<float> g(gx, gy, gz);
    const float length = g.Length();
    normal = length > 0.0f ? -g / length : Wml::Vector3<float>::ZERO;
    return true;
}

}  // namespace vynui
