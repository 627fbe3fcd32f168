#include "interact/HUDManager.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "interact/HUDViewToolbar.h"
#include "wml/ExtendedWmlCamera.h"

namespace vynui {

CHUDManager::CHUDManager()
    : m_viewToolbar("ViewToolbar", HUDToolbar::HORIZONTAL, false),
      m_zoomButton(new ZoomSliderButton()),
      m_panButton(new PanButton()),
      m_snapButton(new SnapRotateButton())
{
    m_viewToolbar.AddButton(m_zoomButton);
    m_viewToolbar.AddButton(m_panButton);
    m_viewToolbar.AddButton(m_snapButton);
    m_viewToolbar.SetAnchor(HUDItem::ANCHOR_FREE);
    // At the top of the view, left of centre.
    m_viewToolbar.SetPosition(-0.2f, 1.0f - HUDButton::ICON_SIZE, false);
    AddToolbar(&m_viewToolbar);
}

CHUDManager::~CHUDManager()
{
    if (m_controller) m_controller->RemoveViewListener(this);
    if (m_viewToolbarListener) {
        for (HUDToolbar* toolbar : m_toolbars) toolbar->RemoveEventHandler(m_viewToolbarListener);
        delete m_viewToolbarListener;
    }
    m_viewToolbar.RemoveAll();
    delete m_zoomButton;
    delete m_panButton;
    delete m_snapButton;
}

void CHUDManager::AddToolbar(HUDToolbar* toolbar)
{
    if (!toolbar || HasToolbar(toolbar)) return;
    m_toolbars.push_back(toolbar);
    if (m_viewToolbarListener) toolbar->AddEventHandler(m_viewToolbarListener);
}

bool CHUDManager::RemoveToolbar(HUDToolbar* toolbar)
{
    auto it = std::find(m_toolbars.begin(), m_toolbars.end(), toolbar);
    if (it == m_toolbars.end()) return false;
    m_toolbars.erase(it);
    if (m_viewToolbarListener) toolbar->RemoveEventHandler(m_viewToolbarListener);
    // Its owner may delete it next: let go of a press on one of its buttons.
    if (m_captured) {
        const std::vector<HUDButton*>& items = toolbar->GetItems();
        if (m_captured == &toolbar->GetCloseButton() ||
            std::find(items.begin(), items.end(), m_captured) != items.end()) {
            HUDItem* item = m_captured;
            m_captured = nullptr;
            item->OnMouseUp();
        }
    }
    return true;
}

bool CHUDManager::HasToolbar(const HUDToolbar* toolbar) const
{
    return std::find(m_toolbars.begin(), m_toolbars.end(), toolbar) != m_toolbars.end();
}

void CHUDManager::SetViewController(ViewController* controller)
{
    if (m_controller) m_controller->RemoveViewListener(this);
    m_controller = controller;
    m_zoomButton->SetViewController(controller);
    m_panButton->SetViewController(controller);
    m_snapButton->SetViewController(controller);

    // Every toolbar that had the old listener gets the new one, so none is
    // left pointing at a deleted listener.
    HUDViewToolbarListener* old = m_viewToolbarListener;
    m_viewToolbarListener = controller ? new HUDViewToolbarListener(controller) : nullptr;
    for (HUDToolbar* toolbar : m_toolbars) {
        if (old) toolbar->RemoveEventHandler(old);
        if (m_viewToolbarListener) toolbar->AddEventHandler(m_viewToolbarListener);
    }
    delete old;

    if (controller) {
        controller->AddViewListener(this);
        OnViewChanged(*controller);
    }
}

void CHUDManager::Disable()
{
    m_enabled = false;
    // A press in progress ends here; the stream is let go at the next event.
    if (m_captured) {
        HUDItem* item = m_captured;
        m_captured = nullptr;
        item->OnMouseUp();
    }
}

void CHUDManager::RequestRedraw()
{
    if (m_redrawRequest)
        m_redrawRequest();
    else
        m_changed = true;
}

void CHUDManager::ReleaseCapture()
{
    m_captured = nullptr;
    m_holdsStream = false;
}

std::vector<HUDToolbar*> CHUDManager::HitOrder() const
{
    std::vector<HUDToolbar*> order;
    for (auto it = m_toolbars.rbegin(); it != m_toolbars.rend(); ++it)
        if ((*it)->IsVisible()) order.push_back(*it);
    return order;
}

int CHUDManager::OnInputEvent(const InputEvent& event)
{
    // The stream still belongs to us from a press whose item went away
    // (disabled, toolbar removed, controller gone): free it.
    if (m_holdsStream && !m_captured) {
        m_holdsStream = false;
        return INPUT_RELEASE_CAPTURE;
    }
    if (!m_enabled || !m_controller || !event.IsMouse()) return INPUT_NOT_HANDLED;
    Wml::Vector2<float> point = PixelToHUD(float(event.x), float(event.y));
    if (!std::isfinite(point.X()) || !std::isfinite(point.Y())) return INPUT_NOT_HANDLED;

    if (m_captured) {
        // While an item repeats, the stream replays the last event, which
        // is the press itself until the pointer moves: both drive the item.
        if (event.IsLeftDrag() || event.IsLeftPress()) {
            long long dx = (long long)event.x - m_pressX, dy = (long long)event.y - m_pressY;
            if (dx * dx + dy * dy > (long long)CLICK_DISTANCE * CLICK_DISTANCE) m_click = false;
            if (m_captured->OnMouseDrag(point)) {
                RequestRedraw();
                return INPUT_CONSUMED;
            }
            ReleaseCapture();
            return INPUT_RELEASE_CAPTURE;
        }
        if (event.IsLeftRelease()) {
            HUDItem* item = m_captured;
            bool click = m_click;
            Wml::Vector2<float> pressPoint = PixelToHUD(float(m_pressX), float(m_pressY));
            ReleaseCapture();
            item->OnMouseUp();
            // The press never reached the gesture engine, so a click is the
            // HUD's own tap: it activates a crossable button.
            if (click) item->OnCross(Wml::Segment2<float>(pressPoint, Wml::Vector2<float>(0.0f, 0.0f)));
            RequestRedraw();
            return INPUT_RELEASE_CAPTURE;
        }
        return INPUT_NOT_HANDLED;
    }

    if (event.IsLeftPress()) {
        for (HUDToolbar* toolbar : HitOrder()) {
            if (HUDItem* item = toolbar->OnMouseDown(point)) {
                m_captured = item;
                m_holdsStream = true;
                m_pressX = event.x;
                m_pressY = event.y;
                m_click = true;
                RequestRedraw();
                return INPUT_CAPTURE;
            }
        }
    }
    return INPUT_NOT_HANDLED;
}

bool CHUDManager::WantsRepeat()
{
    return m_captured && m_captured->IsContinuous();
}

bool CHUDManager::Cross(const Wml::Vector2<float>& start, const Wml::Vector2<float>& end)
{
    if (!m_enabled || !m_controller) return false;
    Wml::Vector2<float> a = PixelToHUD(start.X(), start.Y());
    Wml::Vector2<float> b = PixelToHUD(end.X(), end.Y());
    if (!std::isfinite(a.X()) || !std::isfinite(a.Y()) || !std::isfinite(b.X()) || !std::isfinite(b.Y()))
        return false;
    Wml::Segment2<float> segment = Wml::Segment2<float>::FromEndPoints(a, b);
    for (HUDToolbar* toolbar : HitOrder()) {
        if (toolbar->OnCross(segment)) {
            RequestRedraw();
            return true;
        }
    }
    return false;
}

bool CHUDManager::OnTap(const Wml::Vector2<float>& point)
{
    return Cross(point, point);
}

bool CHUDManager::OnLine(const GestureSegment& segment)
{
    return Cross(segment.start, segment.end);
}

void CHUDManager::OnViewChanged(ViewController& controller)
{
    if (Wml::ExtendedWmlCamera* camera = controller.GetCamera())
        SetViewSize(camera->GetViewportWidth(), camera->GetViewportHeight());
}

bool CHUDManager::OnTimeEvent(std::int64_t /*counter*/)
{
    if (m_captured && m_captured->IsContinuous()) return false;
    bool changed = m_changed;
    m_changed = false;
    return changed;
}

Wml::Vector2<float> CHUDManager::PixelToHUD(float px, float py) const
{
    return Wml::Vector2<float>(px * 2.0f * m_xScale - m_aspect, py * 2.0f * m_yScale - 1.0f);
}

Wml::Vector2<float> CHUDManager::HUDToPixel(const Wml::Vector2<float>& point) const
{
    return Wml::Vector2<float>((point.X() + m_aspect) / (2.0f * m_xScale),
                               (point.Y() + 1.0f) / (2.0f * m_yScale));
}

void CHUDManager::SetViewSize(int width, int height)
{
    if (width <= 0 || height <= 0) return;
    m_width = width;
    m_height = height;
    m_aspect = float(width) / float(height);
    m_xScale = m_aspect / float(width);
    m_yScale = 1.0f / float(height);
    Reanchor();
}

void CHUDManager::Reanchor()
{
    for (HUDToolbar* toolbar : m_toolbars) {
        const Wml::AxisAlignedBox2<float>& box = toolbar->GetBox();
        switch (toolbar->GetAnchor()) {
            case HUDItem::ANCHOR_LEFT:
                toolbar->SetPosition(PixelToHUD(1.0f, 0.0f).X(), box.Min(1), false);
                break;
            case HUDItem::ANCHOR_RIGHT:
                toolbar->SetPosition(PixelToHUD(float(m_width), 0.0f).X() - box.Extent(0), box.Min(1), false);
                break;
            case HUDItem::ANCHOR_BOTTOM:
                toolbar->SetPosition(box.Min(0), PixelToHUD(0.0f, 1.0f).Y(), false);
                break;
            default:
                break;
        }
    }
}

void CHUDManager::Draw()
{
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-m_aspect, m_aspect, -1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_TEXTURE_BIT |
                 GL_LIGHTING_BIT | GL_VIEWPORT_BIT | GL_SCISSOR_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    for (HUDToolbar* toolbar : m_toolbars)
        if (toolbar->IsVisible()) toolbar->Draw();

    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GLenum(matrixMode));
    m_changed = false;
}

}  // namespace vynui
