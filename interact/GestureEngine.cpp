#include "interact/GestureEngine.h"

#include <GL/gl.h>

#include <algorithm>

namespace vynui {

GestureEngine::GestureEngine() = default;

GestureEngine::~GestureEngine() = default;

void GestureEngine::AddGestureListener(IGestureEventListener* listener)
{
    if (listener && m_listenerSet.insert(listener).second) m_listeners.push_back(listener);
}

void GestureEngine::RemoveGestureListener(IGestureEventListener* listener)
{
    if (m_listenerSet.erase(listener) == 0) return;
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void GestureEngine::AddStrokeObserver(IGestureStrokeObserver* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void GestureEngine::RemoveStrokeObserver(IGestureStrokeObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void GestureEngine::SetTimeSource(Wml::Clock::TimeSource source)
{
    m_clock.SetTimeSource(std::move(source));
}

int GestureEngine::OnInputEvent(const InputEvent& event)
{
    if (event.IsLeftPress()) {
        m_stroke.reset(new GestureStroke);
        m_stroke->startCounter = event.time;
        AddPoint(event.x, event.y);
        NotifyPoint();
        return INPUT_CAPTURE;
    }
    if (event.IsLeftDrag()) {
        if (!m_stroke) return INPUT_NOT_HANDLED;
        AddPoint(event.x, event.y);
        return INPUT_CONSUMED;
    }
    if (event.IsLeftRelease()) {
        if (!m_stroke) return INPUT_NOT_HANDLED;
        AddPoint(event.x, event.y);
        // The stroke leaves the engine before anyone hears of it, so a
        // listener that starts a new drag cannot pull it from under us.
        std::unique_ptr<GestureStroke> stroke = std::move(m_stroke);
        // Every observer hears of the end; any of them may take the stroke.
        bool taken = false;
        const std::vector<IGestureStrokeObserver*> observers = m_observers;
        for (IGestureStrokeObserver* observer : observers) {
            if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) continue;
            if (observer->OnStrokeEnd(*stroke)) taken = true;
        }
        if (!taken) OfferStroke(*stroke);
        return INPUT_RELEASE_CAPTURE;
    }
    return INPUT_NOT_HANDLED;
}

void GestureEngine::AddPoint(int x, int y)
{
    GestureStroke& stroke = *m_stroke;
    const Wml::Vector2<float> point(static_cast<float>(x), static_cast<float>(y));
    if (stroke.points.empty()) {
        m_clock.Start();
        stroke.points.push_back(point);
        stroke.times.push_back(0.0f);
        return;
    }
    const float now = float(m_clock.CurrentTimeInSeconds());
    // Mouse reports within a few pixels say more about the hand's tremor
    // than about the path; they only stretch the time of the last point.
    if ((point - stroke.points.back()).SquaredLength() <= MIN_POINT_DISTANCE_SQR) {
        stroke.times.back() = now;
        return;
    }
    stroke.points.push_back(point);
    stroke.times.push_back(now);
    NotifyPoint();
}

void GestureEngine::NotifyPoint()
{
    const std::vector<IGestureStrokeObserver*> observers = m_observers;
    for (IGestureStrokeObserver* observer : observers) {
        if (!m_stroke) return;
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end())
            observer->OnStrokePoint(*m_stroke);
    }
}

bool GestureEngine::OfferStroke(GestureStroke& stroke)
{
    const GestureClassification gesture = GestureClassifier::Classify(stroke);
    if (gesture.hasFeaturePoint) stroke.featurePoint = gesture.featurePoint;
    if (gesture.kind != GestureKind::Stroke && OfferGesture(gesture)) return true;
    return OfferPlainStroke(stroke);
}

bool GestureEngine::OfferGesture(const GestureClassification& gesture)
{
    // A copy, since a listener may remove listeners while it is asked.
    const std::vector<IGestureEventListener*> listeners = m_listeners;
    for (IGestureEventListener* listener : listeners) {
        if (m_listenerSet.count(listener) == 0) continue;
        bool taken = false;
        switch (gesture.kind) {
            case GestureKind::Tap:
                taken = listener->OnTap(gesture.point);
                break;
            case GestureKind::Hairpin:
                taken = listener->OnHairpin(gesture.segment);
                break;
            case GestureKind::Line:
                taken = listener->OnLine(gesture.segment);
                break;
            case GestureKind::Corner:
                taken = listener->OnCorner(gesture.triple);
                break;
            case GestureKind::Scribble:
                taken = listener->OnScribble(gesture.box);
                break;
            case GestureKind::Circle:
                taken = listener->OnCircle(gesture.box);
                break;
            case GestureKind::Crossing:
                taken = listener->OnCrossing(gesture.triple);
                break;
            case GestureKind::Stroke:
                break;
        }
        if (taken) return true;
    }
    return false;
}

bool GestureEngine::OfferPlainStroke(const GestureStroke& stroke)
{
    const std::vector<IGestureEventListener*> listeners = m_listeners;
    for (IGestureEventListener* listener : listeners)
        if (m_listenerSet.count(listener) != 0 && listener->OnStroke(stroke)) return true;
    return false;
}

void GestureEngine::DrawCurrentStroke(int width, int height) const
{
    if (!m_stroke || m_stroke->points.empty() || width <= 0 || height <= 0) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, double(width), 0.0, double(height), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glColor3f(0.0f, 0.0f, 1.0f);
    glLineWidth(4.0f);
    glBegin(GL_LINE_STRIP);
    for (const Wml::Vector2<float>& p : m_stroke->points) glVertex2f(p.X(), p.Y());
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace vynui
