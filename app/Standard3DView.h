#pragma once
// The 3D view of the scene.

#include "app/GLView.h"
#include "wml/ExtendedWmlCamera.h"

class CStandard3DView : public CGLView {
    Q_OBJECT
public:
    explicit CStandard3DView(QWidget* parent = nullptr);

protected:
    void InitGL() override;
    void Resize(int width, int height) override;
    void RenderScene() override;

private:
    void DrawAxes() const;

    Wml::ExtendedWmlCamera m_camera;
};
