#include "interact/DrawingScale.h"

#include <cmath>

namespace vynui {

namespace {
float g_hudScaleFactor = 1.0f;
float g_globalLineWidth = 1.0f;

bool Usable(float v)
{
    return std::isfinite(v) && v > 0.0f;
}
}  // namespace

float GetHUDScaleFactor()
{
    return g_hudScaleFactor;
}

bool SetHUDScaleFactor(float factor)
{
    if (!Usable(factor)) return false;
    g_hudScaleFactor = factor;
    return true;
}

float GetGlobalLineWidth()
{
    return g_globalLineWidth;
}

bool SetGlobalLineWidth(float width)
{
    if (!Usable(width)) return false;
    g_globalLineWidth = width;
    return true;
}

}  // namespace vynui
