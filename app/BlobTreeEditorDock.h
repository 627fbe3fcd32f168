#pragma once
// The "BlobTree Editor" docked panel: the model's tree of shapes and
// operators. A click selects an item's object alone, dragging an item onto
// an operator moves it there, and the right button opens the item's context
// menu, whose commands go to the scene.

#include <QDockWidget>

#include "view/BlobTreeEditorModel.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace vynui {
class SceneObject;
}

class CBlobTreeEditorDock : public QDockWidget {
    Q_OBJECT
public:
    explicit CBlobTreeEditorDock(QWidget* parent = nullptr);

    vynui::CBlobTreeEditorModel& GetModel() { return m_model; }
    QTreeWidget* GetTree() const { return m_tree; }
    /// Whether an item of the tree, at any depth, is labelled label.
    bool ShowsItem(const QString& label) const;
    /// The object an item of the tree stands for (not followed unless the
    /// model still holds it).
    static vynui::SceneObject* ObjectOf(const QTreeWidgetItem* item);

private:
    void Populate();
    void ShowContextMenu(const QPoint& position);

    vynui::CBlobTreeEditorModel m_model;
    QTreeWidget* m_tree;  // owned by Qt's parent chain
};
