#include "sketch/StrokeFactory.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "sketch/Stroke.h"
#include "wml/AxisAlignedBox2.h"
#include "wml/DebugOutput.h"
#include "wml/IntelThinPlateSpline2d.h"

namespace vynsketch {

namespace {

// Value points of the sketch fit: the curve is the zero level, +1 inside,
// -1 outside, sampled 10 pixels off the stroke.
constexpr float SURFACE_VALUE = 0.0f;
constexpr float INSIDE_VALUE = 1.0f;
constexpr float OUTSIDE_VALUE = -1.0f;
constexpr float NORMAL_PROJECTION_LENGTH = 10.0f;

// Steps a seed walks towards the contour; contour cells on the longer side.
constexpr unsigned int CONTOUR_SEED_CELLS = 50;
constexpr unsigned int CONTOUR_RESOLUTION = 100;

// Smoothing brush: per gesture step and ceiling.
constexpr float SMOOTHING_STEP = 0.1f;
constexpr float SMOOTHING_MAX = 0.5f;

// Regularisation the fit is asked for; each point brings its own.
constexpr double FIT_SMOOTHING = 0.0001;

// The smoothing values are read in units of this fraction of the drawing
// area's larger side, so a sketch smooths alike in a small or a large view.
// Read in pixels they would change nothing visible. With this unit the
// default value keeps a cleanly drawn outline to a pixel or so, while the
// brush's ceiling takes out most of the pointer's wobble.
constexpr double SMOOTHING_UNIT_FRACTION = 0.15;

// Strokes closer than this (pixels) run along each other and share a side.
constexpr float JOIN_REACH = 2.0f * NORMAL_PROJECTION_LENGTH;

// Mean pause between strokes below which the set counts as over-sketched.
constexpr double SKETCHY_MEAN_PAUSE = 0.5;

}  // namespace

StrokeFactory::StrokeFactory()
    : m_valuePoints(SURFACE_VALUE, INSIDE_VALUE, OUTSIDE_VALUE, NORMAL_PROJECTION_LENGTH),
      m_contourer(CONTOUR_SEED_CELLS)
{
    m_clock.Start();
}

StrokeFactory::~StrokeFactory()
{
    DeleteStrokes();
    delete m_current.stroke;
    m_current.stroke = nullptr;
}

void StrokeFactory::SetDrawingAreaSize(const unsigned int area[4])
{
    if (!area) return;
    m_areaOrigin = Wml::Vector2<float>(static_cast<float>(area[0]), static_cast<float>(area[1]));
    m_areaSize = Wml::Vector2<float>(static_cast<float>(area[2]), static_cast<float>(area[3]));
    const float spacing = std::max(m_areaSize.X(), m_areaSize.Y()) * 0.0025f;
    m_minVertexSpacingSqr = spacing * spacing;
    m_contourer.SetBounds(Wml::AxisAlignedBox2<float>(m_areaOrigin.X(), m_areaOrigin.X() + m_areaSize.X(),
                                                      m_areaOrigin.Y(), m_areaOrigin.Y() + m_areaSize.Y()));
}

void StrokeFactory::BeginNewStroke()
{
    if (m_inStroke) EndStroke();

    if (!m_sketchy && IsSketchyStrokeSet()) {
        DebugOutput("SketcyStroke!\n");
        for (TimedStroke& timed : m_strokes) timed.stroke->SetSmoothingParam(SMOOTHING_SKETCHY);
        m_sketchy = true;
    }

    delete m_current.stroke;
    m_current.stroke = new Stroke();
    m_current.beginTime = m_clock.CurrentTimeInSeconds();
    m_current.endTime = m_current.beginTime;
    m_inStroke = true;
}

void StrokeFactory::AddStrokeVertex(const Wml::Vector2<float>& p)
{
    if (!m_inStroke || !m_current.stroke) return;
    if (!std::isfinite(p.X()) || !std::isfinite(p.Y())) return;
    const Wml::Vector2<float>* last = m_current.stroke->GetLastVertex();
    if (last && (p - *last).SquaredLength() <= m_minVertexSpacingSqr) return;
    m_current.stroke->AppendVertex(p, m_sketchy ? SMOOTHING_SKETCHY : SMOOTHING_NORMAL);
}

StrokeFactory::StrokeType StrokeFactory::EndStroke()
{
    StrokeType type = RejectedStroke;
    if (m_inStroke && m_current.stroke) {
        if (m_current.stroke->GetNumVertices() >= 2) {
            m_current.endTime = m_clock.CurrentTimeInSeconds();
            m_current.stroke->Simplify();
            m_strokes.push_back(m_current);
            type = ClassifyStroke(m_current.stroke);
        } else {
            delete m_current.stroke;
        }
    }
    m_current = TimedStroke();
    m_inStroke = false;
    InvalidateCache();
    return type;
}

StrokeFactory::StrokeType StrokeFactory::ClassifyStroke(Stroke* stroke)
{
    if (!stroke || stroke->GetNumVertices() < 2) return RejectedStroke;
    if (stroke->IsLineStroke()) return LineStroke;
    if (stroke->IsSharpScribbleStroke()) return SharpScribbleStroke;
    if (stroke->IsMultipleLoopsStroke()) return MultipleLoopsStroke;
    return NormalStroke;
}

Stroke* StrokeFactory::GetStroke(unsigned int i)
{
    return i < m_strokes.size() ? m_strokes[i].stroke : nullptr;
}

const StrokeFactory::TimedStroke* StrokeFactory::GetTimedStroke(unsigned int i) const
{
    return i < m_strokes.size() ? &m_strokes[i] : nullptr;
}

bool StrokeFactory::IsSketchyStrokeSet() const
{
    if (m_strokes.size() < 3) return false;
    double pauses = 0.0;
    for (size_t i = 1; i < m_strokes.size(); ++i) pauses += m_strokes[i].beginTime - m_strokes[i - 1].endTime;
    return pauses / static_cast<double>(m_strokes.size() - 1) < SKETCHY_MEAN_PAUSE;
}

void StrokeFactory::ClearStrokes()
{
    DeleteStrokes();
    m_sketchy = false;
    m_currentPolyLine.Clear();
    m_curveTreeValid = false;
    m_fieldCacheValid = true;
    m_polyLineValid = true;
}

void StrokeFactory::RemoveLastStroke()
{
    if (m_strokes.empty()) return;
    delete TakeLastStroke();
    InvalidateCache();
    if (m_strokes.empty()) ClearStrokes();
}

StrokeFactory::TimedStroke StrokeFactory::DetachLastStroke()
{
    TimedStroke timed;
    if (m_strokes.empty()) return timed;
    timed = m_strokes.back();
    m_strokes.pop_back();
    InvalidateCache();
    if (m_strokes.empty()) ClearStrokes();
    return timed;
}

void StrokeFactory::ReattachStroke(const TimedStroke& timed)
{
    if (!timed.stroke) return;
    m_strokes.push_back(timed);
    InvalidateCache();
}

void StrokeFactory::SmoothStrokes(const Wml::Box2<float>& box)
{
    for (TimedStroke& timed : m_strokes)
        timed.stroke->IncreaseSmoothingParam(box, SMOOTHING_STEP, SMOOTHING_MAX);
    InvalidateCache();
}

void StrokeFactory::SmoothStrokes(bool)
{
    Stroke* gesture = TakeLastStroke();
    if (!gesture) return;
    SmoothStrokes(gesture->GetBoundingBox());
    delete gesture;
}

void StrokeFactory::EraseStrokes(const Wml::Box2<float>& box)
{
    m_lastEraseBox = box;
    std::vector<TimedStroke> survivors;
    std::vector<Stroke*> pieces;
    for (TimedStroke& timed : m_strokes) {
        pieces.clear();
        timed.stroke->Erase(box, pieces);
        for (Stroke* piece : pieces) {
            TimedStroke kept = timed;
            kept.stroke = piece;
            survivors.push_back(kept);
        }
    }
    ClearStrokes();
    m_strokes.swap(survivors);
    InvalidateCache();
}

void StrokeFactory::EraseStrokes(bool)
{
    Stroke* gesture = TakeLastStroke();
    if (!gesture) return;
    EraseStrokes(gesture->GetBoundingBox());
    delete gesture;
}

namespace {

// Twice the area the stroke encloses with its chord, positive when it winds
// counter-clockwise.
double SignedArea(const std::vector<Wml::Vector2<float>>& v)
{
    double sum = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const Wml::Vector2<float>& a = v[i];
        const Wml::Vector2<float>& b = v[(i + 1) % v.size()];
        sum += double(a.X()) * b.Y() - double(a.Y()) * b.X();
    }
    return sum;
}

// Axis-aligned bounds of a stroke's vertices, grown by a margin.
struct Bounds {
    float minX, minY, maxX, maxY;
    bool Contains(const Wml::Vector2<float>& p) const
    {
        return p.X() >= minX && p.X() <= maxX && p.Y() >= minY && p.Y() <= maxY;
    }
};

Bounds GrownBounds(const std::vector<Wml::Vector2<float>>& vertices, float margin)
{
    Bounds b{FLT_MAX, FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (const Wml::Vector2<float>& v : vertices) {
        b.minX = std::min(b.minX, v.X());
        b.minY = std::min(b.minY, v.Y());
        b.maxX = std::max(b.maxX, v.X());
        b.maxY = std::max(b.maxY, v.Y());
    }
    b.minX -= margin;
    b.minY -= margin;
    b.maxX += margin;
    b.maxY += margin;
    return b;
}

// How well the stroke's normals agree with those of the earlier strokes it
// runs along: over its vertices within `reach` of an earlier stroke, the sum
// of the dot products of the vertex normal and the other stroke's normal at
// the nearest point. Positive when they agree, negative when the stroke was
// drawn the other way, 0 when it meets no earlier stroke. `bounds` holds the
// earlier strokes' bounds grown by the reach.
double NormalAgreement(const Stroke& stroke, const std::vector<StrokeFactory::TimedStroke>& strokes,
                       const std::vector<Bounds>& bounds, float reach)
{
    const float reachSqr = reach * reach;
    const std::vector<Wml::Vector2<float>>& vertices = stroke.GetVertices();
    const std::vector<Wml::Vector2<float>>& normals = stroke.GetNormals();
    double agreement = 0.0;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Wml::Vector2<float>& p = vertices[i];
        float best = reachSqr;
        Wml::Vector2<float> nearestNormal = Wml::Vector2<float>::ZERO;
        for (size_t k = 0; k < bounds.size(); ++k) {
            const Stroke& other = *strokes[k].stroke;
            if (!other.HasNormals() || !bounds[k].Contains(p)) continue;
            const std::vector<Wml::Vector2<float>>& ov = other.GetVertices();
            const std::vector<Wml::Vector2<float>>& on = other.GetNormals();
            for (size_t j = 1; j < ov.size(); ++j) {
                const Wml::Vector2<float> d = ov[j] - ov[j - 1];
                const float lengthSqr = d.SquaredLength();
                float t = lengthSqr > 0.0f ? (p - ov[j - 1]).Dot(d) / lengthSqr : 0.0f;
                t = std::min(1.0f, std::max(0.0f, t));
                const float distSqr = (p - (ov[j - 1] + d * t)).SquaredLength();
                if (distSqr < best) {
                    best = distSqr;
                    nearestNormal = on[j - 1] * (1.0f - t) + on[j] * t;
                }
            }
        }
        agreement += normals[i].Dot(nearestNormal);
    }
    return agreement;
}

}  // namespace

void StrokeFactory::OrientStrokes()
{
    // Which side of a stroke is inside follows from the direction it was
    // drawn in. A pass drawn the other way over an earlier one would put
    // inside values where the first put outside ones, and the fit would
    // give up the curve; so each stroke takes the side of the strokes it
    // runs along. A stroke on its own has its inside on the side it
    // encloses, whichever way round it was drawn.
    std::vector<Bounds> bounds;
    bounds.reserve(m_strokes.size());
    for (TimedStroke& timed : m_strokes) {
        Stroke& stroke = *timed.stroke;
        stroke.ClearNormals();
        stroke.GenerateNormals();
        if (stroke.HasNormals()) {
            const double agreement = NormalAgreement(stroke, m_strokes, bounds, JOIN_REACH);
            const bool reverse = agreement != 0.0 ? agreement < 0.0 : SignedArea(stroke.GetVertices()) < 0.0;
            if (reverse) stroke.FlipNormals();
        }
        bounds.push_back(GrownBounds(stroke.GetVertices(), JOIN_REACH));
    }
}

void StrokeFactory::GetValuePoints(PointSet& points)
{
    OrientStrokes();
    // The thin-plate fit is cubic in its point count and refuses more than
    // MaxPoints; a heavily over-sketched drawing uses every second, third ...
    // vertex (three points each) so a refit stays interactive.
    const size_t budget = std::min<size_t>(MAX_FIT_POINTS, Wml::IntelThinPlateSpline2d::MaxPoints) / 3;
    auto used = [this](size_t stride) {
        size_t total = 0;  // every stride-th vertex of each stroke, and its last
        for (const TimedStroke& timed : m_strokes)
            total += (timed.stroke->GetNumVertices() + stride - 1) / stride + 1;
        return total;
    };
    unsigned stride = 1;
    while (stride < 1024 && used(stride) > budget) ++stride;
    for (TimedStroke& timed : m_strokes) timed.stroke->GetValuePoints(points, stride);
}

SketchField& StrokeFactory::GetCurrentSketchField(double)
{
    if (!m_fieldCacheValid) {
        m_valuePoints.Clear();
        GetValuePoints(m_valuePoints);
        if (m_valuePoints.GetNumPoints() > 0)
            m_sketchField.GenerateSketchField(m_valuePoints, false, FIT_SMOOTHING, GetSmoothingUnit());
        m_fieldCacheValid = true;
    }
    return m_sketchField;
}

Wml::LinearComplex2<float>& StrokeFactory::GetCurrentPolyLine(double tolerance)
{
    if (m_polyLineValid) return m_currentPolyLine;
    GetCurrentSketchField(tolerance);
    m_curveTreeValid = false;
    m_polyLineValid = true;
    // Without strokes there is no curve; a stale contour would show strokes
    // that are gone.
    if (m_valuePoints.GetNumPoints() == 0) {
        m_currentPolyLine.Clear();
        return m_currentPolyLine;
    }
    std::vector<Wml::Vector2<float>> seeds;
    seeds.reserve(m_valuePoints.GetNumPoints());
    for (const PointSet::Point& point : m_valuePoints.GetPoints()) seeds.push_back(point.position);
    m_contourer.SetCellResolution(CONTOUR_RESOLUTION);
    m_contourer.SetField(&m_sketchField);
    m_contourer.SetOutput(&m_currentPolyLine);
    m_contourer.SetSeedPoints(seeds);
    m_contourer.Run();
    return m_currentPolyLine;
}

bool StrokeFactory::FindMinDistPoint(const Wml::Vector2<float>& p, Wml::Vector2<float>& nearest)
{
    if (!m_polyLineValid) return false;
    if (!std::isfinite(p.X()) || !std::isfinite(p.Y())) return false;
    if (!m_curveTreeValid) {
        m_curveTree.Destroy();
        m_treeCurve.Clear();
        for (const Wml::Vector2<float>& v : m_currentPolyLine.GetVertices()) m_treeCurve.AddVertex(v);
        for (const auto& e : m_currentPolyLine.GetEdges())
            m_treeCurve.AddEdge(PolyLine::Edge(e.v[0], e.v[1]));
        if (m_treeCurve.GetNumEdges() > 0) m_curveTree.Create(&m_treeCurve);
        m_curveTreeValid = true;
    }
    if (m_curveTree.IsEmpty()) return false;
    Wml::Vector2<float> point;
    const float distSqr = m_curveTree.DistanceSqr(p, &point, FLT_MAX);
    if (!(distSqr < FLT_MAX)) return false;
    nearest = point;
    return true;
}

double StrokeFactory::GetSmoothingUnit() const
{
    // Without a drawing area the values are read in pixels.
    const double side = std::max(m_areaSize.X(), m_areaSize.Y());
    return side > 0.0 ? SMOOTHING_UNIT_FRACTION * side : 1.0;
}

void StrokeFactory::InvalidateCache()
{
    m_fieldCacheValid = false;
    m_polyLineValid = false;
}

void StrokeFactory::DeleteStrokes()
{
    for (TimedStroke& timed : m_strokes) delete timed.stroke;
    m_strokes.clear();
}

Stroke* StrokeFactory::TakeLastStroke()
{
    if (m_strokes.empty()) return nullptr;
    Stroke* stroke = m_strokes.back().stroke;
    m_strokes.pop_back();
    return stroke;
}

// ---------------------------------------------------------------------------
// Drawing

bool StrokeFactory::BeginDraw()
{
    // An unset or empty drawing area has no projection to draw with.
    if (!(m_areaSize.X() > 0.0f) || !(m_areaSize.Y() > 0.0f)) return false;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, m_areaSize.X(), 0.0, m_areaSize.Y());
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    return true;
}

void StrokeFactory::EndDraw()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

namespace {

void DrawLineStrip(const Stroke& stroke)
{
    glBegin(GL_LINE_STRIP);
    for (const Wml::Vector2<float>& v : stroke.GetVertices()) glVertex2f(v.X(), v.Y());
    glEnd();
}

}  // namespace

void StrokeFactory::DrawStrokes()
{
    if (!BeginDraw()) return;
    for (const TimedStroke& timed : m_strokes) DrawLineStrip(*timed.stroke);
    EndDraw();
}

void StrokeFactory::DrawCurrentStroke()
{
    if (!m_current.stroke || !BeginDraw()) return;
    DrawLineStrip(*m_current.stroke);
    EndDraw();
}

void StrokeFactory::DrawCurrentPolyLine()
{
    Wml::LinearComplex2<float>& polyline = GetCurrentPolyLine(0.0001);
    if (!BeginDraw()) return;
    polyline.DrawGL();
    EndDraw();
}

void StrokeFactory::DrawStrokeNormals(float scale)
{
    if (!std::isfinite(scale) || !BeginDraw()) return;
    glBegin(GL_LINES);
    for (const TimedStroke& timed : m_strokes) {
        timed.stroke->GenerateNormals();
        if (!timed.stroke->HasNormals()) continue;
        const std::vector<Wml::Vector2<float>>& vertices = timed.stroke->GetVertices();
        const std::vector<Wml::Vector2<float>>& normals = timed.stroke->GetNormals();
        for (size_t i = 0; i < vertices.size(); ++i) {
            const Wml::Vector2<float> tip = vertices[i] + normals[i] * scale;
            glVertex2f(vertices[i].X(), vertices[i].Y());
            glVertex2f(tip.X(), tip.Y());
        }
    }
    glEnd();
    EndDraw();
}

void StrokeFactory::DrawMinDistPoint(const Wml::Vector2<float>& p)
{
    Wml::Vector2<float> nearest;
    if (!FindMinDistPoint(p, nearest) || !BeginDraw()) return;
    glBegin(GL_LINES);
    glVertex2f(p.X(), p.Y());
    glVertex2f(nearest.X(), nearest.Y());
    glEnd();
    EndDraw();
}

}  // namespace vynsketch
