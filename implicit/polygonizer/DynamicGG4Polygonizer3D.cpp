#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"

namespace vynimplicit {

void DynamicGG4Polygonizer3D::SetIsoValue(float iso)
{
    if (iso != m_lattice.GetIsoValue()) m_built = false;
    m_lattice.SetIsoValue(iso);
}

void DynamicGG4Polygonizer3D::SetCellSize(float size)
{
    m_size = size;
    m_countMode = false;
    m_built = false;
}

void DynamicGG4Polygonizer3D::SetGridCells(unsigned n)
{
    m_gridCells = n;
    m_countMode = true;
    m_built = false;
}

void DynamicGG4Polygonizer3D::SetEdgeBisections(unsigned n)
{
    if (n != m_lattice.GetEdgeBisections()) m_built = false;
    m_lattice.SetEdgeBisections(n);
}

bool DynamicGG4Polygonizer3D::SetUpLattice(const Wml::AxisAlignedBox3<float>& box)
{
    return m_countMode ? m_lattice.SetCellCount(box, m_gridCells) : m_lattice.SetCellSize(box, m_size);
}

bool DynamicGG4Polygonizer3D::Polygonize(bool full)
{
    if (!m_mesh || !m_lattice.GetField()) return false;
    m_lattice.ResetEvaluationCount();
    if (!full && m_built) {
        WriteMesh();
        return true;
    }
    m_cells.clear();
    m_built = false;
    m_mesh->Clear();
    ScalarField* field = m_lattice.GetField();
    Wml::AxisAlignedBox3<float> box;
    field->FieldBounds(box);
    if (!SetUpLattice(box)) return false;
    std::vector<Wml::Vector3<float>> seeds;
    field->GetSeedPoints(seeds);
    std::vector<uint64_t> cells;
    m_lattice.FindSurfaceCells(seeds, cells);
    const std::vector<uint8_t>& configs = m_lattice.GetFoundConfigs();
    for (size_t c = 0; c < cells.size(); ++c) {
        int i, j, k;
        m_lattice.CellFromKey(cells[c], i, j, k);
        std::vector<LatticeTriangle> tris;
        m_lattice.PolygonizeCell(i, j, k, configs[c], tris);
        if (!tris.empty()) m_cells[cells[c]] = std::move(tris);
    }
    m_built = true;
    WriteMesh();
    return true;
}

bool DynamicGG4Polygonizer3D::UpdatePolygonize(const Wml::AxisAlignedBox3<float>& dirtyBox,
                                               const Wml::AxisAlignedBox3<float>& fieldBox)
{
    if (!m_mesh || !m_lattice.GetField()) return false;
    if (!m_built) return Polygonize(true);
    // A field that outgrew the lattice needs a new one.
    const Wml::Vector3<float>& o = m_lattice.GetOrigin();
    float h = m_lattice.GetCellSize();
    if (!fieldBox.IsEmpty())
        for (int a = 0; a < 3; ++a)
            if (!(fieldBox.Min(a) >= o[a] - h &&
                  fieldBox.Max(a) <= o[a] + h * float(m_lattice.GetCellCount(a) + 1)))
                return Polygonize(true);
    m_lattice.ResetEvaluationCount();
    if (dirtyBox.IsEmpty()) {
        WriteMesh();
        return true;
    }
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        float mn = (dirtyBox.Min(a) - o[a]) / h, mx = (dirtyBox.Max(a) - o[a]) / h;
        if (!std::isfinite(mn) || !std::isfinite(mx)) return Polygonize(true);
        lo[a] = int(std::floor(std::max(mn, -3.0f))) - 1;
        hi[a] = int(std::floor(std::min(mx, float(m_lattice.GetCellCount(a) + 2)))) + 1;
        lo[a] = std::max(lo[a], -1);
        hi[a] = std::min(hi[a], m_lattice.GetCellCount(a));
        if (lo[a] > hi[a]) {
            WriteMesh();
            return true;
        }
    }
    // Continue from the kept cells bordering the block, the field's seeds and
    // the coarse scan, as a full run would, but only inside the block.
    std::vector<uint64_t> starts;
    auto clampInto = [&](int v, int a) { return std::max(lo[a], std::min(hi[a], v)); };
    for (auto it = m_cells.begin(); it != m_cells.end();) {
        int c[3];
        m_lattice.CellFromKey(it->first, c[0], c[1], c[2]);
        bool inside = true, near = true;
        for (int a = 0; a < 3; ++a) {
            inside = inside && c[a] >= lo[a] && c[a] <= hi[a];
            near = near && c[a] >= lo[a] - 1 && c[a] <= hi[a] + 1;
        }
        if (inside) {
            it = m_cells.erase(it);
            continue;
        }
        if (near)
            starts.push_back(m_lattice.CellKey(clampInto(c[0], 0), clampInto(c[1], 1), clampInto(c[2], 2)));
        ++it;
    }
    m_lattice.ForgetCells(lo, hi);
    std::vector<Wml::Vector3<float>> seeds;
    m_lattice.GetField()->GetSeedPoints(seeds);
    std::vector<uint64_t> cells;
    m_lattice.FindSurfaceCellsIn(lo, hi, seeds, starts, cells);
    const std::vector<uint8_t>& configs = m_lattice.GetFoundConfigs();
    for (size_t c = 0; c < cells.size(); ++c) {
        int i, j, k;
        m_lattice.CellFromKey(cells[c], i, j, k);
        std::vector<LatticeTriangle> tris;
        m_lattice.PolygonizeCell(i, j, k, configs[c], tris);
        if (!tris.empty()) m_cells[cells[c]] = std::move(tris);
    }
    WriteMesh();
    return true;
}

void DynamicGG4Polygonizer3D::WriteMesh()
{
    m_mesh->Clear();
    // Cells in key order so equal cell sets give equal meshes.
    std::vector<uint64_t> keys;
    keys.reserve(m_cells.size());
    for (auto& c : m_cells) keys.push_back(c.first);
    std::sort(keys.begin(), keys.end());
    FlatKeyMap<unsigned> ids;
    for (uint64_t key : keys) AppendLatticeTriangles(m_lattice, m_cells[key], ids, *m_mesh);
}

}  // namespace vynimplicit
