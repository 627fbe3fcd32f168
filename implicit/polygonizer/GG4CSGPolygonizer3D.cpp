#include "implicit/polygonizer/GG4CSGPolygonizer3D.h"

#include <algorithm>

namespace vynimplicit {

void GG4CSGPolygonizer3D::SetCellSize(const Wml::AxisAlignedBox3<float>& box, float size)
{
    m_box = box;
    m_haveBox = !box.IsEmpty();
    m_size = size;
    m_countMode = false;
}

void GG4CSGPolygonizer3D::SetGridCells(unsigned n)
{
    m_cells = n;
    m_countMode = true;
}

bool GG4CSGPolygonizer3D::SetUpLattice()
{
    ScalarField* field = m_lattice.GetField();
    Wml::AxisAlignedBox3<float> box = m_box;
    if (m_countMode || !m_haveBox) field->FieldBounds(box);
    return m_countMode ? m_lattice.SetCellCount(box, m_cells) : m_lattice.SetCellSize(box, m_size);
}

bool GG4CSGPolygonizer3D::Polygonize()
{
    if (!m_mesh) return false;
    m_mesh->Clear();
    ScalarField* field = m_lattice.GetField();
    if (!field || !SetUpLattice()) return false;
    auto report = [this](float done) {
        if (m_progress) m_progress(done);
    };
    report(0.0f);
    m_lattice.ResetEvaluationCount();
    std::vector<Wml::Vector3<float>> seeds;
    field->GetSeedPoints(seeds);
    std::vector<uint64_t>& cells = m_foundCells;
    m_lattice.FindSurfaceCells(seeds, cells);
    m_lattice.OrderByBrick(cells);
    const std::vector<uint8_t>& configs = m_lattice.GetFoundConfigs();
    std::vector<LatticeTriangle>& triangles = m_triangles;
    triangles.clear();
    triangles.reserve(cells.size() * 2);
    // Finding the cells is the smaller part of a run; placing the vertices
    // on the cells' edges is most of it. Runs of whole blocks of cells give
    // the same triangles as one call.
    report(0.1f);
    constexpr size_t block = PolygonizerLattice::CELL_BLOCK;
    const size_t step =
        m_progress ? std::max(block, (cells.size() / 40 + block - 1) / block * block) : cells.size();
    for (size_t begin = 0; begin < cells.size(); begin += step) {
        const size_t count = std::min(step, cells.size() - begin);
        m_lattice.PolygonizeCells(cells.data() + begin, configs.data() + begin, count, triangles, nullptr);
        report(0.1f + 0.85f * float(begin + count) / float(cells.size()));
    }
    if (m_lattice.GetExtended()) m_lattice.FlipTowardsFeatures(triangles);
    m_ids.clear();
    // A closed surface has about half as many vertices as triangles.
    m_mesh->Reserve(unsigned(triangles.size() / 2 + 16), unsigned(triangles.size()));
    AppendLatticeTriangles(m_lattice, triangles.data(), triangles.size(), m_ids, *m_mesh);
    // The caches are only needed within one run.
    m_lattice.ClearCaches();
    report(1.0f);
    return true;
}

}  // namespace vynimplicit
