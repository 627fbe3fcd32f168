#pragma once
// Process-wide sizes that overlay drawing shares: the HUD scale factor (the
// view's "b" key toggles it between 1 and 2) and the global line width that
// handle outlines and arrows are drawn with.

namespace vynui {

/// 1 at start-up.
float GetHUDScaleFactor();
/// Refuses (false, unchanged) values that are not finite and positive.
bool SetHUDScaleFactor(float factor);

/// 1 at start-up.
float GetGlobalLineWidth();
/// Refuses (false, unchanged) values that are not finite and positive.
bool SetGlobalLineWidth(float width);

}  // namespace vynui
