#include "interact/GestureClassifier.h"

#include <algorithm>
#include <cmath>

#include "wml/Containment.h"
#include "wml/DebugOutput.h"
#include "wml/Distance.h"
#include "wml/Intersection.h"
#include "wml/Segment2.h"

namespace vynui {

namespace {

using Vec = Wml::Vector2<float>;

// Vectors shorter than this carry no usable direction.
constexpr float MIN_LENGTH = 0.01f;
constexpr float TAP_RADIUS_SQR = 100.0f;
constexpr float PI = 3.14159265358979f;
// Cosine of 50 degrees: sharper turns are scribble reversals.
const float REVERSAL_COS = std::cos(50.0f * PI / 180.0f);
// Crossing segments must meet at a steep angle: |cos| at most cos(20 rad).
constexpr float CROSSING_COS = 0.40808206f;

bool Unit(const Vec& v, Vec& unit)
{
    const float length = v.Length();
    if (!(length >= MIN_LENGTH)) return false;
    unit = v / length;
    return true;
}

// Cosine of the angle between a and b; false when either is too short.
bool CosBetween(const Vec& a, const Vec& b, float& cosine)
{
    Vec ua, ub;
    if (!Unit(a, ua) || !Unit(b, ub)) return false;
    cosine = ua.Dot(ub);
    return true;
}

// Cosine of the turn at p[i], measured to the nearest points at least
// sqrt(reachSqr) away on either side. Where a side has no such point the end
// point stands in when `endsStandIn`, else there is no turn (false).
bool TurnAtReach(const std::vector<Vec>& p, int i, float reachSqr, bool endsStandIn, float& cosine)
{
    const int n = int(p.size());
    int before = i - 1, after = i + 1;
    while (before > 0 && (p[before] - p[i]).SquaredLength() < reachSqr) --before;
    while (after + 1 < n && (p[after] - p[i]).SquaredLength() < reachSqr) ++after;
    if (!endsStandIn &&
        ((p[before] - p[i]).SquaredLength() < reachSqr || (p[after] - p[i]).SquaredLength() < reachSqr))
        return false;
    return CosBetween(p[before] - p[i], p[after] - p[i], cosine);
}

}  // namespace

const char* GestureKindName(GestureKind kind)
{
    switch (kind) {
        case GestureKind::Tap:
            return "tap";
        case GestureKind::Hairpin:
            return "hairpin";
        case GestureKind::Line:
            return "line";
        case GestureKind::Corner:
            return "corner";
        case GestureKind::Scribble:
            return "scribble";
        case GestureKind::Circle:
            return "circle";
        case GestureKind::Crossing:
            return "crossing";
        case GestureKind::Stroke:
            return "stroke";
    }
    return "stroke";
}

GestureClassification GestureClassifier::Classify(const GestureStroke& stroke)
{
    GestureClassification result;
    const Points& p = stroke.points;
    const float duration = stroke.Duration();
    if (IsTap(p, result)) return result;
    // The crossing test compares every segment with every later one; a
    // drag that long (a minute of drawing, or a runaway replay) is sketching,
    // not a gesture.
    if (int(p.size()) > MAX_GESTURE_POINTS) return result;
    if (IsHairpin(p, duration, result) || IsLine(p, duration, result) || IsCorner(p, result) ||
        IsScribble(p, result) || IsCircle(p, result) || IsCrossing(p, result))
        return result;
    result.kind = GestureKind::Stroke;
    return result;
}

int GestureClassifier::SharpestTurn(const Points& p)
{
    const int n = int(p.size());
    // Measured to points a tap radius away, so that neither the tremor
    // along an arm nor a hook where the hand comes to rest at an end (a
    // point turned back within a few pixels) passes for the sharpest turn.
    // Only points with such a neighbour on both sides take part.
    int best = -1;
    float bestCos = -2.0f;
    for (int i = 1; i + 1 < n; ++i) {
        float cosine;
        if (TurnAtReach(p, i, TAP_RADIUS_SQR, false, cosine) && cosine > bestCos) {
            bestCos = cosine;
            best = i;
        }
    }
    if (best >= 0) return best;
    // A stroke too small for that: the turn at each point to its neighbours.
    for (int i = 1; i + 1 < n; ++i) {
        float cosine;
        if (CosBetween(p[i - 1] - p[i], p[i + 1] - p[i], cosine) && cosine > bestCos) {
            bestCos = cosine;
            best = i;
        }
    }
    return best;
}

bool GestureClassifier::IsLineRange(const Points& p, int s, int e)
{
    s = std::max(s, 0);
    e = std::min(e, int(p.size()));
    const int m = e - s;
    if (m <= 0) return false;
    const Wml::Box2<float> box = Wml::ContOrientedBox(m, &p[s]);
    const int majorAxis = box.Extent(0) >= box.Extent(1) ? 0 : 1;
    const float major = box.Extent(majorAxis);
    const float minor = box.Extent(1 - majorAxis);
    // A range without width (minor 0) has an unbounded ratio.
    const float r = minor > 0.0f ? major / minor : HUGE_VALF;
    if (r < 4.0f) return false;
    if (std::fabs(minor) < MIN_LENGTH || r > 15.0f) return true;

    // Thin enough to be a line but not thin enough to be sure: count the
    // points that stray towards the long sides of the box.
    const Vec axis = box.Axis(majorAxis);
    const Wml::Segment2<float> spine(box.Center() - axis * major, axis * (2.0f * major));
    const float h = (1.0f - (1.0f - r / 15.0f) * 0.25f) * minor;
    int count = 0;
    for (int i = s + 1; i <= e - 2; ++i)
        if (Wml::SqrDistance(p[i], spine) > h * h) ++count;
    return float(count - 1) / float(m) < 0.1f;
}

bool GestureClassifier::IsTap(const Points& p, GestureClassification& result)
{
    if (p.empty()) return false;
    for (const Vec& q : p)
        if (!((q - p[0]).SquaredLength() <= TAP_RADIUS_SQR)) return false;
    result.kind = GestureKind::Tap;
    result.point = p[0];
    return true;
}

bool GestureClassifier::IsHairpin(const Points& p, float duration, GestureClassification& result)
{
    const int n = int(p.size());
    if (n < 4) return false;
    if ((p[0] - p[3]).Dot(p[n - 1] - p[n - 4]) < 0.0f) return false;
    const int tip = SharpestTurn(p);
    if (tip < 0) return false;
    const Vec outward = p[0] - p[tip], back = p[n - 1] - p[tip];
    float cosine;
    if (!CosBetween(outward, back, cosine) || cosine < 0.99f) return false;
    const float ratio = outward.Length() / back.Length();
    if (!(ratio >= 0.67f && ratio <= 1.5f)) return false;
    if (!IsLineRange(p, 0, tip) || !IsLineRange(p, tip, n - 1)) return false;
    result.kind = GestureKind::Hairpin;
    result.segment.start = (p[0] + p[n - 1]) * 0.5f;
    result.segment.end = p[tip];
    result.segment.duration = duration;
    return true;
}

bool GestureClassifier::IsLine(const Points& p, float duration, GestureClassification& result)
{
    const int n = int(p.size());
    if (n < 2 || !IsLineRange(p, 0, n - 1)) return false;
    result.kind = GestureKind::Line;
    result.segment.start = p[0];
    result.segment.end = p[n - 1];
    result.segment.duration = duration;
    return true;
}

bool GestureClassifier::IsCorner(const Points& p, GestureClassification& result)
{
    const int n = int(p.size());
    if (n < 6) return false;
    DebugOutput("PerpStroke: Checking\n");
    const int k = n / 3;
    float initial;
    if (!CosBetween(p[0] - p[k], p[n - 1] - p[n - k - 1], initial)) return false;
    if (std::fabs(initial) > 0.6f) {
        DebugOutput("PerpStroke: Failed Initial %f\n", initial);
        return false;
    }
    const int corner = SharpestTurn(p);
    if (corner < 0) return false;
    DebugOutput("Largest is %f\n", float(corner) / float(n));
    const Vec first = p[0] - p[corner], second = p[n - 1] - p[corner];
    const float ratio = first.Length() / second.Length();
    if (!(ratio >= 0.25f && ratio <= 4.0f)) {
        DebugOutput("PerpStroke: failed Ratio %f\n", ratio);
        return false;
    }
    float armsCos;
    if (!CosBetween(first, second, armsCos)) return false;
    if (std::fabs(armsCos) > 0.2f) {
        DebugOutput("PerpStroke: Failed Second %f\n", armsCos);
        return false;
    }
    if (!IsLineRange(p, 0, corner) || !IsLineRange(p, corner, n - 1)) {
        DebugOutput("PerpStroke: Failed Line\n");
        return false;
    }
    result.kind = GestureKind::Corner;
    result.triple.points[0] = p[0];
    result.triple.points[1] = p[corner];
    result.triple.points[2] = p[n - 1];
    result.hasFeaturePoint = true;
    result.featurePoint = p[corner];
    return true;
}

bool GestureClassifier::IsScribble(const Points& p, GestureClassification& result)
{
    const int n = int(p.size());
    if (n < 6) return false;

    // Mouse reports crowd where the hand turns back, land on whole pixels
    // and are kept only 3 pixels apart, so a sharp tip often comes out as
    // two or three points a few pixels apart, each turning by less than the
    // reversal angle. The turn at a point is therefore measured to the
    // nearest points at least a tap radius away on either side (where the
    // points are that far apart this is the turn to the neighbours), and a
    // run of neighbouring turn-backs within that reach is one reversal, at
    // its sharpest point.
    const float reachSqr = TAP_RADIUS_SQR;
    std::vector<float> turn(n, -2.0f);
    for (int i = 1; i + 1 < n; ++i) TurnAtReach(p, i, reachSqr, true, turn[i]);

    int stretches = 0, straight = 0, curved = 0;
    int previous = 0;
    for (int i = 1; i + 1 < n; ++i) {
        int end = i;
        if (turn[i] > REVERSAL_COS) {
            int last = i;
            while (last + 2 < n && turn[last + 1] > REVERSAL_COS &&
                   (p[last + 1] - p[i]).SquaredLength() < reachSqr)
                ++last;
            for (int k = i; k <= last; ++k)
                if (turn[k] > turn[end]) end = k;
            i = last;
        } else if (i != n - 2) {
            continue;
        }
        // A stretch between two reversals is straight when it keeps close to
        // the chord of its ends.
        const Wml::Segment2<float> chord = Wml::Segment2<float>::FromEndPoints(p[previous], p[end]);
        const float limit = chord.Direction().SquaredLength() / 16.0f;
        bool isStraight = true;
        for (int k = previous + 1; k < end && isStraight; ++k)
            isStraight = Wml::SqrDistance(p[k], chord) <= limit;
        ++stretches;
        if (isStraight)
            ++straight;
        else
            ++curved;
        previous = end;
    }
    if (!(stretches > 4 && curved < straight)) return false;
    result.kind = GestureKind::Scribble;
    result.box = Wml::ContOrientedBox(n, p.data());
    return true;
}

bool GestureClassifier::IsCircle(const Points& p, GestureClassification& result)
{
    const int n = int(p.size());
    if (n < 6) return false;
    const Wml::Box2<float> box = Wml::ContOrientedBox(n, p.data());
    float sum = 0.0f;
    for (int i = 0; i + 1 < n; ++i) {
        float cosine;
        if (!CosBetween(p[i] - box.Center(), p[i + 1] - box.Center(), cosine)) continue;
        sum += std::acos(std::min(1.0f, std::max(-1.0f, cosine)));
    }
    if (!(sum > 4.0f * PI)) return false;
    result.kind = GestureKind::Circle;
    result.box = box;
    return true;
}

bool GestureClassifier::IsCrossing(const Points& p, GestureClassification& result)
{
    const int n = int(p.size());
    if (n < 4) return false;
    // The steepness of a crossing is judged on the stroke's heading through
    // each segment, taken between the nearest points at least a tap radius
    // from the segment's middle (the segment itself where it is that long).
    // Between points 3 pixels apart on whole pixels, a single segment may
    // point 45 degrees off the way the hand went.
    std::vector<Vec> heading(n - 1);
    std::vector<char> hasHeading(n - 1, 0);
    for (int a = 0; a + 1 < n; ++a) {
        const Vec middle = (p[a] + p[a + 1]) * 0.5f;
        int before = a, after = a + 1;
        while (before > 0 && (p[before] - middle).SquaredLength() < TAP_RADIUS_SQR) --before;
        while (after + 1 < n && (p[after] - middle).SquaredLength() < TAP_RADIUS_SQR) ++after;
        hasHeading[a] = Unit(p[after] - p[before], heading[a]);
    }
    for (int i = 2; i + 2 <= n; ++i) {
        if (!hasHeading[i - 2]) continue;
        const Wml::Segment2<float> a = Wml::Segment2<float>::FromEndPoints(p[i - 2], p[i - 1]);
        for (int j = i; j + 1 < n; ++j) {
            if (!hasHeading[j] || std::fabs(heading[i - 2].Dot(heading[j])) > CROSSING_COS) continue;
            const Wml::Segment2<float> b = Wml::Segment2<float>::FromEndPoints(p[j], p[j + 1]);
            Vec point;
            if (!Wml::FindIntersection(a, b, point)) continue;
            result.kind = GestureKind::Crossing;
            result.triple.points[0] = p[0];
            result.triple.points[1] = p[n - 1];
            result.triple.points[2] = point;
            result.hasFeaturePoint = true;
            result.featurePoint = point;
            return true;
        }
    }
    return false;
}

}  // namespace vynui
