#pragma once
// What the "Gestures and Keys" window shows, as data: each gesture with an
// example stroke (points in a unit box, y down as on screen) and what it does
// in the program, and the keys of the 3D view (from the view's key table).
// The window only draws these; tests feed the example strokes to the gesture
// engine so that no picture shows a stroke the program reads otherwise.

#include <string>
#include <vector>

#include "interact/GestureClassifier.h"
#include "view/ViewKeys.h"
#include "wml/Vector2.h"

namespace vynui {

struct HelpGesture {
    /// What the picture shows faintly under the stroke.
    enum class Backdrop {
        None,
        Button,   ///< a HUD button
        Shape,    ///< a shape seen from the front
        Handle,   ///< an arrow handle pointing right
        Strokes,  ///< sketch strokes already drawn
    };

    /// "Tap", "Line", ...
    std::string name;
    /// What the gesture engine reads the stroke as (a flick is a quick line).
    GestureKind kind = GestureKind::Stroke;
    /// The example stroke, in drawing order, inside [0, 1] x [0, 1], y down.
    std::vector<Wml::Vector2<float>> stroke;
    /// How long drawing it takes, in seconds.
    float seconds = 0.5f;
    Backdrop backdrop = Backdrop::None;
    /// Centre and size of the backdrop in the unit box.
    Wml::Vector2<float> backdropCentre = Wml::Vector2<float>(0.5f, 0.5f);
    float backdropSize = 0.3f;
    /// One or two sentences: what it does, and where.
    std::string text;
};

/// Tap, line, hairpin, corner, scribble, circle, crossing, flick.
const std::vector<HelpGesture>& HelpGestures();

/// The example stroke drawn in a square of side `size` pixels whose top-left
/// corner is at (left, top): window pixels, y down, rounded to whole pixels
/// as a mouse reports them.
std::vector<Wml::Vector2<float>> HelpStrokePixels(const HelpGesture& gesture, float left, float top,
                                                  float size);

/// The side, in pixels, the example strokes are meant to be drawn at; they
/// read as their gesture from half to twice this size.
constexpr float kHelpStrokeSize = 200.0f;

/// The keys shown, in order: the view's key table.
const std::vector<ViewKey>& HelpKeys();

/// Window title and the menu command that opens it.
extern const char* const kGesturesAndKeysTitle;

}  // namespace vynui
