#include "implicit/polygonizer/DynamicGG4Polygonizer3D.h"

#include <algorithm>
#include <cmath>

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
    m_triangles.clear();
    m_garbage = 0;
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
    m_cells.reserve(cells.size());
    m_triangles.reserve(cells.size() * 2);
    KeepCells(cells);
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
    std::vector<uint64_t> starts, doomed;
    auto clampInto = [&](int v, int a) { return std::max(lo[a], std::min(hi[a], v)); };
    m_cells.for_each([&](uint64_t key, const CellTriangles&) {
        int c[3];
        m_lattice.CellFromKey(key, c[0], c[1], c[2]);
        bool inside = true, near = true;
        for (int a = 0; a < 3; ++a) {
            inside = inside && c[a] >= lo[a] && c[a] <= hi[a];
            near = near && c[a] >= lo[a] - 1 && c[a] <= hi[a] + 1;
        }
        if (inside)
            doomed.push_back(key);
        else if (near)
            starts.push_back(m_lattice.CellKey(clampInto(c[0], 0), clampInto(c[1], 1), clampInto(c[2], 2)));
    });
    for (uint64_t key : doomed) DropCell(key);
    m_lattice.ForgetCells(lo, hi);
    std::vector<Wml::Vector3<float>> seeds;
    m_lattice.GetField()->GetSeedPoints(seeds);
    std::vector<uint64_t> cells;
    m_lattice.FindSurfaceCellsIn(lo, hi, seeds, starts, cells);
    KeepCells(cells);
    WriteMesh();
    return true;
}

void DynamicGG4Polygonizer3D::KeepCells(std::vector<uint64_t>& cells)
{
    m_lattice.OrderByBrick(cells);
    const std::vector<uint8_t>& configs = m_lattice.GetFoundConfigs();
    std::vector<uint32_t> ends;
    ends.reserve(cells.size());
    const size_t first = m_triangles.size();
    m_lattice.PolygonizeCells(cells.data(), configs.data(), cells.size(), m_triangles, &ends);
    uint32_t from = uint32_t(first);
    for (size_t c = 0; c < cells.size(); ++c) {
        if (ends[c] > from) m_cells[cells[c]] = CellTriangles{from, ends[c] - from};
        from = ends[c];
    }
}

void DynamicGG4Polygonizer3D::DropCell(uint64_t key)
{
    if (const CellTriangles* kept = m_cells.find(key)) {
        // Dropped triangles stay in place, marked, until the next compaction.
        for (uint32_t t = kept->first; t < kept->first + kept->count; ++t) m_triangles[t].v[0] = DROPPED;
        m_garbage += kept->count;
        m_cells.erase(key);
    }
}

void DynamicGG4Polygonizer3D::WriteMesh()
{
    // Compact when dropped triangles outweigh the kept ones.
    if (m_garbage > m_triangles.size() / 2) {
        std::vector<uint32_t> newFirst(m_triangles.size() + 1);
        size_t kept = 0;
        for (size_t t = 0; t < m_triangles.size(); ++t) {
            newFirst[t] = uint32_t(kept);
            if (m_triangles[t].v[0] != DROPPED) m_triangles[kept++] = m_triangles[t];
        }
        newFirst[m_triangles.size()] = uint32_t(kept);
        m_triangles.resize(kept);
        m_cells.for_each_mutable([&](uint64_t, CellTriangles& r) { r.first = newFirst[r.first]; });
        m_garbage = 0;
    }
    m_mesh->Clear();
    m_ids.assign(m_lattice.GetVertexCapacity(), ~0u);
    const size_t live = m_triangles.size() - m_garbage;
    m_mesh->Reserve(unsigned(live / 2 + 16), unsigned(live));
    // In storage order: a full run's mesh follows its cells.
    for (size_t t = 0; t < m_triangles.size();) {
        while (t < m_triangles.size() && m_triangles[t].v[0] == DROPPED) ++t;
        size_t end = t;
        while (end < m_triangles.size() && m_triangles[end].v[0] != DROPPED) ++end;
        AppendLatticeTriangles(m_lattice, m_triangles.data() + t, end - t, m_ids, *m_mesh);
        t = end;
    }
}

}  // namespace vynimplicit
