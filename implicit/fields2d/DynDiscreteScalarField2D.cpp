#include "implicit/fields2d/DynDiscreteScalarField2D.h"

#include <algorithm>
#include <cmath>

#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/IntelThinPlateSpline2d.h"
#include "wml/Serializer.h"

namespace vynimplicit {

namespace {

using Box2 = Wml::AxisAlignedBox2<float>;

bool ValidBox(const Box2& b)
{
    return !b.IsEmpty() && std::isfinite(b.Min(0)) && std::isfinite(b.Min(1)) && std::isfinite(b.Max(0)) &&
           std::isfinite(b.Max(1)) && b.Extent(0) > 0.0f && b.Extent(1) > 0.0f;
}

Box2 Shrink(const Box2& b, float fx, float fy)
{
    const float cx = 0.5f * (b.Min(0) + b.Max(0)), cy = 0.5f * (b.Min(1) + b.Max(1));
    const float hx = 0.5f * b.Extent(0) * fx, hy = 0.5f * b.Extent(1) * fy;
    return Box2(cx - hx, cx + hx, cy - hy, cy + hy);
}

bool ValidLoops(const std::vector<Wml::Polygon2<float>>& loops)
{
    if (loops.size() > DynDiscreteScalarField2D::MAX_LOOPS) return false;
    size_t total = 0;
    for (const auto& loop : loops) {
        if (loop.VertexCount() < 3) return false;
        total += loop.VertexCount();
        if (total > DynDiscreteScalarField2D::MAX_LOOP_VERTICES) return false;
    }
    return true;
}

}  // namespace

DynDiscreteScalarField2D::~DynDiscreteScalarField2D() = default;

Box2 DynDiscreteScalarField2D::GetWindow() const
{
    return Shrink(m_window, m_cropX, m_cropY);
}

Box2 DynDiscreteScalarField2D::CroppedBounds() const
{
    return Shrink(m_place, m_cropX, m_cropY);
}

bool DynDiscreteScalarField2D::Generate(Recipe recipe, const std::vector<Wml::Polygon2<float>>& loops,
                                        unsigned width, unsigned height, const Box2& window, float param,
                                        bool circleConstraint, float inscribedRadius)
{
    if (recipe == Recipe::None || loops.empty() || !ValidLoops(loops) || !ValidBox(window)) return false;
    if (width < 2 || height < 2 || width > MAX_RESOLUTION || height > MAX_RESOLUTION) return false;
    if (!std::isfinite(param) || !std::isfinite(inscribedRadius)) return false;

    // Build into a copy so that a failure leaves this field as it was.
    DynDiscreteScalarField2D next(*this);
    next.m_recipe = recipe;
    next.m_loops = loops;
    next.m_param = param;
    next.m_circle = circleConstraint;
    next.m_inscribedRadius = inscribedRadius > 0.0f ? inscribedRadius : 0.0f;
    next.m_window = window;
    next.m_cropX = next.m_cropY = 1.0f;
    next.m_spline.reset();
    if (recipe == Recipe::Variational) {
        next.m_spline = DiscreteFieldGenerator2D::FitVariational(loops, param, circleConstraint);
        if (!next.m_spline) return false;
    }
    if ((next.GetWidth() != width || next.GetHeight() != height) && !next.Resize(width, height)) return false;
    if (!next.Resample()) return false;
    *this = std::move(next);
    return true;
}

bool DynDiscreteScalarField2D::Resample()
{
    float* data = GetData();
    if (!data || m_recipe == Recipe::None) return false;
    const Box2 window = GetWindow();
    switch (m_recipe) {
        case Recipe::HeightField:
            return DiscreteFieldGenerator2D::SampleHeightField(m_loops, m_param, m_inscribedRadius, window,
                                                               GetWidth(), GetHeight(), data);
        case Recipe::Variational:
            if (!m_spline) m_spline = DiscreteFieldGenerator2D::FitVariational(m_loops, m_param, m_circle);
            if (!m_spline) return false;
            DiscreteFieldGenerator2D::SampleVariational(*m_spline, window, GetWidth(), GetHeight(), data);
            return true;
        default:
            return false;
    }
}

bool DynDiscreteScalarField2D::SetBoundsCropScalingFactors(float sx, float sy)
{
    if (!(std::isfinite(sx) && std::isfinite(sy) && sx > 0.0f && sy > 0.0f)) return false;
    const float m = std::max(sx, sy);
    const float cx = sx / m, cy = sy / m;
    if (!(cx > 0.0f && cy > 0.0f)) return false;
    if (cx == m_cropX && cy == m_cropY) return true;
    const float oldX = m_cropX, oldY = m_cropY;
    m_cropX = cx;
    m_cropY = cy;
    if (m_recipe == Recipe::None) return true;
    // The samples always cover the cropped window, placed or not.
    DynDiscreteScalarField2D next(*this);
    if (!next.Resample()) {
        m_cropX = oldX;
        m_cropY = oldY;
        return false;
    }
    if (ValidBox(m_place)) next.DiscreteScalarField2D::SetBounds(next.CroppedBounds());
    *this = std::move(next);
    return true;
}

bool DynDiscreteScalarField2D::SetFieldBounds(const Box2& box)
{
    if (!ValidBox(box)) return false;
    if (m_recipe == Recipe::None) {
        m_place = box;
        DiscreteScalarField2D::SetBounds(box);
        return true;
    }
    // The window does not move, so the samples only need redoing when the
    // crop changes what they cover; the bounds just follow the box.
    const Box2 cropped = Shrink(box, m_cropX, m_cropY);
    if (!ValidBox(cropped)) return false;
    m_place = box;
    DiscreteScalarField2D::SetBounds(cropped);
    return true;
}

void DynDiscreteScalarField2D::SetBounds(const Box2& box)
{
    SetFieldBounds(box);
}

bool DynDiscreteScalarField2D::ClampBoundsToZeroContour(float marginCells)
{
    if (!IsReady()) return false;
    if (!std::isfinite(marginCells) || marginCells < 0.0f) marginCells = 0.0f;
    const unsigned w = GetWidth(), h = GetHeight();
    const float* data = GetData();
    unsigned i0 = w, i1 = 0, j0 = h, j1 = 0;
    for (unsigned j = 0; j < h; ++j) {
        const float* row = data + size_t(j) * w;
        for (unsigned i = 0; i < w; ++i)
            if (row[i] > 0.0f) {
                i0 = std::min(i0, i);
                i1 = std::max(i1, i);
                j0 = std::min(j0, j);
                j1 = std::max(j1, j);
            }
    }
    if (i0 > i1) return false;
    // Fractions of the current grid, applied alike to window and bounds.
    const float fx0 = std::max(0.0f, (float(i0) - marginCells) / float(w - 1));
    const float fx1 = std::min(1.0f, (float(i1) + marginCells) / float(w - 1));
    const float fy0 = std::max(0.0f, (float(j0) - marginCells) / float(h - 1));
    const float fy1 = std::min(1.0f, (float(j1) + marginCells) / float(h - 1));
    if (!(fx1 > fx0 && fy1 > fy0)) return false;
    auto sub = [&](const Box2& b) {
        return Box2(b.Min(0) + fx0 * b.Extent(0), b.Min(0) + fx1 * b.Extent(0), b.Min(1) + fy0 * b.Extent(1),
                    b.Min(1) + fy1 * b.Extent(1));
    };
    const Box2 bounds = sub(GetBounds());
    if (!ValidBox(bounds)) return false;
    if (m_recipe == Recipe::None) {
        // Nothing to regenerate from: re-interpolate the samples.
        DiscreteScalarField2D plain(*this);
        if (!DiscreteFieldGenerator2D::ClampBoundsToZeroContour(&plain)) return false;
        static_cast<DiscreteScalarField2D&>(*this) = plain;
        m_place = GetBounds();
        return true;
    }
    DynDiscreteScalarField2D next(*this);
    next.m_window = sub(GetWindow());
    next.m_place = bounds;
    next.m_cropX = next.m_cropY = 1.0f;
    if (!ValidBox(next.m_window) || !next.Resample()) return false;
    next.DiscreteScalarField2D::SetBounds(bounds);
    *this = std::move(next);
    return true;
}

// ---- records -------------------------------------------------------------------
// Beyond the bounds: "Width", "Height", "Samples" (row by row),
// "Interpolation", and the generating data "Recipe", "Param", "Circle",
// "InscribedRadius", "WindowMin"/"WindowMax", "PlaceMin"/"PlaceMax", "Crop",
// with the loops as the record's polygons.

bool DynDiscreteScalarField2D::Store(Wml::SerializerRecord* record)
{
    if (!record || !ScalarField2D::Store(record)) return false;
    record->SetValue("Width", GetWidth());
    record->SetValue("Height", GetHeight());
    const float* data = GetData();
    record->SetValue("Samples", data ? std::vector<float>(data, data + size_t(GetWidth()) * GetHeight())
                                     : std::vector<float>());
    record->SetValue("Interpolation", static_cast<int>(GetInterpolation()));
    record->SetValue("Recipe", static_cast<int>(m_recipe));
    record->SetValue("Param", m_param);
    record->SetValue("Circle", m_circle ? 1 : 0);
    record->SetValue("InscribedRadius", m_inscribedRadius);
    record->SetValue("WindowMin", Wml::Vector2<float>(m_window.Min(0), m_window.Min(1)));
    record->SetValue("WindowMax", Wml::Vector2<float>(m_window.Max(0), m_window.Max(1)));
    record->SetValue("PlaceMin", Wml::Vector2<float>(m_place.Min(0), m_place.Min(1)));
    record->SetValue("PlaceMax", Wml::Vector2<float>(m_place.Max(0), m_place.Max(1)));
    record->SetValue("Crop", Wml::Vector2<float>(m_cropX, m_cropY));
    for (const auto& loop : m_loops) record->AppendPolygon(loop);
    return true;
}

bool DynDiscreteScalarField2D::Restore(Wml::SerializerRecord* record)
{
    if (!record) return false;
    DynDiscreteScalarField2D next;
    if (!next.ScalarField2D::Restore(record)) return false;
    const Box2 bounds = next.m_bounds;

    unsigned w = 0, h = 0;
    if (!record->GetValue("Width", w, 0u) || !record->GetValue("Height", h, 0u)) return false;
    if (w < 2 || h < 2 || w > MAX_SIZE || h > MAX_SIZE) return false;
    unsigned count = 0;
    std::vector<float> samples;
    // Ask for the length first so a hostile count never allocates.
    if (!record->GetValue("Samples", samples, count) || size_t(count) != size_t(w) * h) return false;
    samples.resize(count);
    if (!record->GetValue("Samples", samples, count) || size_t(count) != samples.size()) return false;
    for (float v : samples)
        if (!(v >= 0.0f && v <= 1.0f)) return false;
    int interpolation = 1;
    record->GetValue("Interpolation", interpolation, 1);
    if (interpolation != 0 && interpolation != 1) return false;

    int recipe = 0, circle = 0;
    float param = 0.0f, radius = 0.0f;
    Wml::Vector2<float> wmin, wmax, pmin, pmax, crop(1.0f, 1.0f);
    record->GetValue("Recipe", recipe, 0);
    if (recipe < 0 || recipe > 2) return false;
    if (recipe != 0) {
        if (!record->GetValue("Param", param, 0.0f) || !record->GetValue("Circle", circle, 0) ||
            !record->GetValue("InscribedRadius", radius, 0.0f) ||
            !record->GetValue("WindowMin", wmin, wmin) || !record->GetValue("WindowMax", wmax, wmax) ||
            !record->GetValue("PlaceMin", pmin, pmin) || !record->GetValue("PlaceMax", pmax, pmax) ||
            !record->GetValue("Crop", crop, crop))
            return false;
        if (!std::isfinite(param) || !std::isfinite(radius) || radius < 0.0f) return false;
        if (!(crop.X() > 0.0f && crop.X() <= 1.0f && crop.Y() > 0.0f && crop.Y() <= 1.0f)) return false;
        const Box2 window(wmin.X(), wmax.X(), wmin.Y(), wmax.Y());
        const Box2 place(pmin.X(), pmax.X(), pmin.Y(), pmax.Y());
        if (!ValidBox(window) || !ValidBox(place)) return false;
        const unsigned nLoops = record->GetNumPolygons();
        if (nLoops == 0 || nLoops > MAX_LOOPS) return false;
        std::vector<Wml::Polygon2<float>> loops(nLoops);
        for (unsigned k = 0; k < nLoops; ++k)
            if (!record->GetPolygon(k, loops[k])) return false;
        if (!ValidLoops(loops)) return false;
        next.m_recipe = static_cast<Recipe>(recipe);
        next.m_loops = std::move(loops);
        next.m_param = param;
        next.m_circle = circle != 0;
        next.m_inscribedRadius = radius;
        next.m_window = window;
        next.m_place = place;
        next.m_cropX = crop.X();
        next.m_cropY = crop.Y();
    } else {
        next.m_place = bounds;
    }
    if (!next.Resize(w, h)) return false;
    std::copy(samples.begin(), samples.end(), next.GetData());
    next.SetInterpolation(static_cast<Interpolation>(interpolation));
    if (ValidBox(bounds)) next.DiscreteScalarField2D::SetBounds(bounds);
    // The fit is rebuilt on the first re-sampling.
    *this = std::move(next);
    return true;
}

bool DynDiscreteScalarField2D::Serialize_Old(WmlDeprecated::Serializer* serializer, unsigned int& recordID)
{
    return ScalarField2D::Serialize_Old(serializer, recordID);
}

bool DynDiscreteScalarField2D::Serialize_Old(WmlDeprecated::SerializerRecord* record)
{
    return ScalarField2D::Serialize_Old(record);
}

}  // namespace vynimplicit
