#include "view/HelpContent.h"

#include <algorithm>
#include <cmath>

namespace vynui {

const char* const kGesturesAndKeysTitle = "Gestures and Keys";

namespace {

using V = Wml::Vector2<float>;
using Points = std::vector<V>;

// Example strokes are sampled this densely (unit box) so that the pictures
// show smooth paths and the gesture engine sees a mouse's report spacing.
constexpr float kStep = 0.015f;

/// Appends the straight run from the last point to `to`.
void LineTo(Points& p, const V& to)
{
    const V from = p.back();
    const float length = (to - from).Length();
    const int n = std::max(1, int(std::ceil(length / kStep)));
    for (int i = 1; i <= n; ++i) p.push_back(from + (to - from) * (float(i) / float(n)));
}

Points Polyline(const std::vector<V>& way)
{
    Points p = {way.front()};
    for (std::size_t i = 1; i < way.size(); ++i) LineTo(p, way[i]);
    return p;
}

/// Appends the arc c + r (sin a, cos a) for a from a0 to a1 (radians).
void ArcTo(Points& p, const V& c, float r, float a0, float a1)
{
    const int n = std::max(1, int(std::ceil(std::fabs(a1 - a0) * r / kStep)));
    for (int i = 1; i <= n; ++i) {
        const float a = a0 + (a1 - a0) * float(i) / float(n);
        p.push_back(c + V(std::sin(a), std::cos(a)) * r);
    }
}

constexpr float kPi = 3.14159265f;

HelpGesture Make(const char* name, GestureKind kind, Points stroke, float seconds,
                 HelpGesture::Backdrop backdrop, V backdropCentre, float backdropSize, const char* text)
{
    HelpGesture g;
    g.name = name;
    g.kind = kind;
    g.stroke = std::move(stroke);
    g.seconds = seconds;
    g.backdrop = backdrop;
    g.backdropCentre = backdropCentre;
    g.backdropSize = backdropSize;
    g.text = text;
    return g;
}

Points Scribble()
{
    std::vector<V> way;
    for (int k = 0; k <= 7; ++k) way.push_back(V(k % 2 ? 0.85f : 0.15f, 0.2f + 0.085f * float(k)));
    return Polyline(way);
}

Points Circle()
{
    // Two and a half turns, each a little smaller, as a hand circles.
    Points p;
    const int n = 240;
    for (int i = 0; i <= n; ++i) {
        const float t = float(i) / float(n);
        const float a = 2.5f * 2.0f * kPi * t;
        const float r = 0.36f - 0.08f * t;
        p.push_back(V(0.5f, 0.5f) + V(std::cos(a), std::sin(a)) * r);
    }
    return p;
}

Points Crossing()
{
    // Along, three quarters of a turn up and round, then down through the
    // first stretch at a right angle.
    Points p = Polyline({V(0.08f, 0.62f), V(0.72f, 0.62f)});
    ArcTo(p, V(0.72f, 0.40f), 0.22f, 0.0f, 1.5f * kPi);
    LineTo(p, V(0.50f, 0.90f));
    return p;
}

std::vector<HelpGesture> Build()
{
    using B = HelpGesture::Backdrop;
    return {
        Make("Tap", GestureKind::Tap, {V(0.5f, 0.5f)}, 0.08f, B::Button, V(0.5f, 0.5f), 0.34f,
             "A click without moving the mouse. On a HUD button it presses the button; on a shape it "
             "selects the shape and shows its handles; on empty space it clears the selection."),
        Make("Line", GestureKind::Line, Polyline({V(0.22f, 0.82f), V(0.78f, 0.18f)}), 0.35f, B::Button,
             V(0.5f, 0.5f), 0.26f,
             "A straight stroke. Across a HUD button it presses the button (this is how a suggestion is "
             "chosen); with a shape selected and no sketch open, a line along one of the shape's axes "
             "puts an arrow, a ring and a scale disc on that axis."),
        Make("Hairpin", GestureKind::Hairpin, Polyline({V(0.12f, 0.46f), V(0.85f, 0.5f), V(0.25f, 0.54f)}),
             0.5f, B::Handle, V(0.6f, 0.5f), 0.5f,
             "Out and back along the same track. Across a handle it pins the handle (drawn red; pinned "
             "handles stay when the others are replaced); across a pinned handle it unpins it."),
        Make("Corner", GestureKind::Corner, Polyline({V(0.1f, 0.35f), V(0.75f, 0.35f), V(0.75f, 0.9f)}), 0.5f,
             B::Handle, V(0.4f, 0.38f), 0.5f,
             "Two straight arms at about a right angle. With its first arm across an arrow handle the "
             "arrow becomes a plane handle (drag it to move in that plane); across a ring it turns the "
             "ring onto a new axis; elsewhere, with a shape selected, it brings back the default handles."),
        Make("Scribble", GestureKind::Scribble, Scribble(), 0.7f, B::Strokes, V(0.5f, 0.5f), 0.7f,
             "Quickly back and forth, five times or more. Over the selected shape it deletes the shape, "
             "over a pivot it removes the pivot, and over sketch strokes it erases the sketch under it."),
        Make("Circle", GestureKind::Circle, Circle(), 1.0f, B::Strokes, V(0.5f, 0.5f), 0.6f,
             "Round and round, more than twice. Over sketch strokes it smooths the sketch where it "
             "circles."),
        Make("Crossing", GestureKind::Crossing, Crossing(), 0.8f, B::Shape, V(0.32f, 0.62f), 0.56f,
             "A stroke that loops and crosses itself. Started on a shape with the crossing over the "
             "surface too, it puts a pivot where it starts: the selected shape then turns and moves "
             "about that pivot."),
        Make("Flick", GestureKind::Line, Polyline({V(0.8f, 0.5f), V(0.2f, 0.5f)}), 0.12f, B::Strokes,
             V(0.5f, 0.3f), 0.6f,
             "A short, quick stroke to the left, in under a quarter of a second. It takes back the last "
             "sketch stroke."),
    };
}

}  // namespace

const std::vector<HelpGesture>& HelpGestures()
{
    static const std::vector<HelpGesture> gestures = Build();
    return gestures;
}

std::vector<Wml::Vector2<float>> HelpStrokePixels(const HelpGesture& gesture, float left, float top,
                                                  float size)
{
    std::vector<Wml::Vector2<float>> pixels;
    pixels.reserve(gesture.stroke.size());
    for (const V& p : gesture.stroke)
        pixels.push_back(V(std::round(left + p.X() * size), std::round(top + p.Y() * size)));
    return pixels;
}

const std::vector<ViewKey>& HelpKeys()
{
    return ViewKeyTable();
}

}  // namespace vynui
