#pragma once
// Collects the strokes of the sketch under way, judges each finished stroke,
// applies the erase and smoothing gestures, and fuses all strokes into one
// implicit curve: a thin-plate fit through every stroke's value points whose
// zero contour is the current polyline.

#include <utility>
#include <vector>

#include "implicit/fields2d/MarchingQuads.h"
#include "sketch/CurveBVTree.h"
#include "sketch/PointSet.h"
#include "sketch/PolyLine.h"
#include "sketch/SketchField.h"
#include "wml/Box2.h"
#include "wml/Clock.h"
#include "wml/LinearComplex2.h"
#include "wml/Vector2.h"

namespace vynsketch {

class Stroke;

/**
 * \brief Owner of the sketch's strokes and of the field fitted through them.
 *
 * Coordinates are window pixels of the drawing area, y up. A stroke is
 * collected with BeginNewStroke, AddStrokeVertex and EndStroke; the ended
 * stroke is simplified, kept, and classified. Over-sketching needs no
 * merging: every stroke only adds value points to the one shared fit.
 *
 * The field and its contour are computed lazily (GetCurrentSketchField,
 * GetCurrentPolyLine) and cached until the strokes change. Not copyable;
 * not thread-safe.
 */
class StrokeFactory {
public:
    enum StrokeType {
        NormalStroke = 0,
        RejectedStroke = 1,       ///< fewer than two vertices; the stroke was deleted
        SharpScribbleStroke = 2,  ///< a zig-zag of mostly straight pieces (erase gesture)
        MultipleLoopsStroke = 3,  ///< circles its centre more than twice (smoothing gesture)
        LineStroke = 4
    };

    /// A stroke with the clock readings (seconds) of its first and last input.
    struct TimedStroke {
        double beginTime = 0.0;
        double endTime = 0.0;
        Stroke* stroke = nullptr;
    };

    /// Smoothing value of new vertices, before and after the set turns sketchy.
    static constexpr float SMOOTHING_NORMAL = 0.01f;
    static constexpr float SMOOTHING_SKETCHY = 0.1f;
    /// Value points of one fit at most; beyond, strokes are thinned evenly.
    static constexpr unsigned MAX_FIT_POINTS = 1536;

    StrokeFactory();
    virtual ~StrokeFactory();
    StrokeFactory(const StrokeFactory&) = delete;
    StrokeFactory& operator=(const StrokeFactory&) = delete;

    /// Replaces the clock's time source (an empty one restores the steady
    /// clock) and restarts the clock; for tests and replays.
    void SetTimeSource(Wml::Clock::TimeSource source) { m_clock.SetTimeSource(std::move(source)); }
    const Wml::Clock& GetClock() const { return m_clock; }

    /**
     * \brief area = {x, y, width, height} of the viewport. Sets the minimum
     * vertex spacing to 0.25 % of the larger side and the contour bounds to
     * the area. A null area is ignored; an empty one leaves the old contour
     * bounds.
     */
    void SetDrawingAreaSize(const unsigned int area[4]);
    const Wml::Vector2<float>& GetDrawingAreaOrigin() const { return m_areaOrigin; }
    const Wml::Vector2<float>& GetDrawingAreaSize() const { return m_areaSize; }
    /// Squared minimum distance between consecutive input points (pixels²).
    float GetMinVertexSpacingSqr() const { return m_minVertexSpacingSqr; }

    /// Starts a stroke, ending any stroke under way first. Turns the set
    /// sketchy when the recent strokes came in quick succession.
    void BeginNewStroke();
    /// Adds a point to the stroke under way; dropped when there is none, when
    /// the point is not finite, or when it lies within the minimum spacing of
    /// the last vertex.
    void AddStrokeVertex(const Wml::Vector2<float>& p);
    void AddStrokeVertex(float x, float y) { AddStrokeVertex(Wml::Vector2<float>(x, y)); }
    /// Ends the stroke under way: simplified, kept and classified, or deleted
    /// as RejectedStroke with fewer than two vertices. Without a stroke under
    /// way only the cache is invalidated and the answer is RejectedStroke.
    StrokeType EndStroke();
    bool InStroke() const { return m_inStroke; }
    /// The stroke under way, or null.
    Stroke* GetCurrentStroke() { return m_current.stroke; }

    /// First match of line, sharp scribble, multiple loops; NormalStroke
    /// otherwise. RejectedStroke for null or a stroke of fewer than two vertices.
    StrokeType ClassifyStroke(Stroke* stroke);

    unsigned int GetNumStrokes() const { return static_cast<unsigned int>(m_strokes.size()); }
    /// Stroke i, oldest first; null for an index out of range.
    Stroke* GetStroke(unsigned int i);
    /// Stroke i with its times; null for an index out of range.
    const TimedStroke* GetTimedStroke(unsigned int i) const;
    /// True once the stroke set was judged over-sketched, until ClearStrokes.
    bool IsSketchyStrokes() const { return m_sketchy; }

    /// Deletes every stroke and the current polyline; the field keeps its fit.
    void ClearStrokes();
    /// Deletes the newest stroke (clears everything when it was the last).
    void RemoveLastStroke();
    /// As RemoveLastStroke, but the stroke is handed to the caller, who owns
    /// it (null stroke when there is none).
    TimedStroke DetachLastStroke();
    /// Appends an ended stroke that DetachLastStroke gave out, points and
    /// smoothing as they were; the factory owns it again.
    void ReattachStroke(const TimedStroke& timed);

    /// Raises the smoothing of every vertex in the box by 0.1, up to 0.5.
    void SmoothStrokes(const Wml::Box2<float>& box);
    /// Takes the newest stroke (the smoothing gesture) out and smooths under
    /// its oriented box. The argument is not used.
    void SmoothStrokes(bool useLastStroke);
    /// Cuts every stroke by the box; the parts outside become the new strokes,
    /// each with its source's times. Resets the sketchy flag.
    void EraseStrokes(const Wml::Box2<float>& box);
    /// Takes the newest stroke (the erase gesture) out and erases under its
    /// oriented box. The argument is not used.
    void EraseStrokes(bool useLastStroke);
    /// Box of the latest EraseStrokes.
    const Wml::Box2<float>& GetLastEraseBox() const { return m_lastEraseBox; }

    /**
     * \brief The field fitted through all strokes' value points (refitted
     * when the strokes changed). Without strokes the last fit stays. The
     * argument is not used.
     */
    SketchField& GetCurrentSketchField(double tolerance);
    /**
     * \brief The zero contour of the current field inside the drawing area,
     * seeded from the value points (recomputed when the strokes changed);
     * empty without strokes. The argument is not used.
     */
    Wml::LinearComplex2<float>& GetCurrentPolyLine(double tolerance);
    /**
     * \brief Length (pixels) in which the fit reads the strokes' smoothing
     * values: a fixed fraction of the drawing area's larger side (1 without
     * a drawing area), so the same values smooth alike at any view size.
     */
    double GetSmoothingUnit() const;
    /// False when the strokes changed since the last fit.
    bool IsFieldCacheValid() const { return m_fieldCacheValid; }

    /**
     * \brief The point of the current polyline nearest to p, through a curve
     * tree built from the polyline when first asked. False while the
     * polyline is out of date or empty.
     */
    bool FindMinDistPoint(const Wml::Vector2<float>& p, Wml::Vector2<float>& nearest);

    /// Drawing in window pixels of the drawing area (fixed-function GL,
    /// matrices saved and restored; colours and widths are the caller's).
    void DrawStrokes();
    void DrawCurrentStroke();
    void DrawCurrentPolyLine();
    void DrawStrokeNormals(float scale);
    /// A segment from p to the nearest point of the current polyline.
    void DrawMinDistPoint(const Wml::Vector2<float>& p);

protected:
    /// At least three strokes whose mean pause between consecutive strokes
    /// is below half a second.
    bool IsSketchyStrokeSet() const;
    /// Every stroke's value points, in list order, after OrientStrokes.
    void GetValuePoints(PointSet& points);
    /**
     * \brief Gives every stroke fresh normals, turned so that all strokes
     * agree on which side is inside: a stroke takes the side of the earlier
     * strokes it runs along (within twice the normal projection length),
     * and a stroke that meets none has its inside on the side it encloses.
     */
    void OrientStrokes();

private:
    void InvalidateCache();
    void DeleteStrokes();
    // Takes the newest stroke out of the list; null when there is none.
    Stroke* TakeLastStroke();
    bool BeginDraw();
    void EndDraw();

    Wml::Box2<float> m_lastEraseBox;
    std::vector<TimedStroke> m_strokes;
    bool m_inStroke = false;
    bool m_sketchy = false;
    TimedStroke m_current;
    Wml::Clock m_clock;
    Wml::Vector2<float> m_areaOrigin;
    Wml::Vector2<float> m_areaSize;
    float m_minVertexSpacingSqr = 1.0f;
    PointSet m_valuePoints;
    SketchField m_sketchField;
    vynimplicit::MarchingQuads m_contourer;
    Wml::LinearComplex2<float> m_currentPolyLine;
    CurveBVTree m_curveTree;
    bool m_fieldCacheValid = true;

    // The contour lags the field when only the field was asked for.
    bool m_polyLineValid = true;
    // The curve tree's copy of the current polyline, and whether the tree
    // matches the current polyline.
    PolyLine m_treeCurve;
    bool m_curveTreeValid = false;
};

}  // namespace vynsketch
