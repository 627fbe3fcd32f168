#include "app/BlobTreeEditorDock.h"

#include <QDropEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace {

/// Drops go to the model, which asks the scene; the widget never moves its
/// own items (the tree is rebuilt when the scene's tree changed).
class CBlobTreeWidget : public QTreeWidget {
public:
    CBlobTreeWidget(vynui::CBlobTreeEditorModel& model, QWidget* parent) : QTreeWidget(parent), m_model(model)
    {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(true);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::MoveAction);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->source() == this)
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        // Highlights the item under the pointer as the drop target.
        QTreeWidget::dragMoveEvent(event);
        if (event->source() == this) event->acceptProposedAction();
    }

    void dropEvent(QDropEvent* event) override
    {
        vynui::SceneObject* dragged = CBlobTreeEditorDock::ObjectOf(currentItem());
        vynui::SceneObject* target = CBlobTreeEditorDock::ObjectOf(itemAt(event->position().toPoint()));
        // Nothing for the drag to remove: the scene decides where things go.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        // After the drag has ended: the move rebuilds the items.
        QPointer<CBlobTreeWidget> self(this);
        QTimer::singleShot(0, this, [self, dragged, target] {
            if (self) self->m_model.Drop(dragged, target);
        });
    }

private:
    vynui::CBlobTreeEditorModel& m_model;
};

}  // namespace

CBlobTreeEditorDock::CBlobTreeEditorDock(QWidget* parent)
    : QDockWidget("BlobTree Editor", parent), m_tree(new CBlobTreeWidget(m_model, this))
{
    setObjectName("BlobTree Editor");
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_tree->setObjectName("BlobTreeView");
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    setWidget(m_tree);

    connect(m_tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { m_model.Select(ObjectOf(item)); });
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, &CBlobTreeEditorDock::ShowContextMenu);
    m_model.SetRebuiltHook([this] { Populate(); });
    m_model.SetLabelsChangedHook([this] { Populate(); });
}

vynui::SceneObject* CBlobTreeEditorDock::ObjectOf(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<vynui::SceneObject*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

namespace {

void AddItems(QTreeWidgetItem* parent, const vynui::CBlobTreeEditorModel::Item& item)
{
    for (const auto& child : item.children) {
        auto* node = new QTreeWidgetItem(parent, {QString::fromStdString(child.label)});
        node->setData(0, Qt::UserRole,
                      QVariant::fromValue(quintptr(static_cast<vynui::SceneObject*>(child.object))));
        AddItems(node, child);
        node->setExpanded(child.expanded);
    }
}

}  // namespace

void CBlobTreeEditorDock::Populate()
{
    m_tree->clear();
    const vynui::CBlobTreeEditorModel::Item* root = m_model.GetRoot();
    if (!root) return;
    auto* top = new QTreeWidgetItem(m_tree, {QString::fromStdString(root->label)});
    top->setData(0, Qt::UserRole,
                 QVariant::fromValue(quintptr(static_cast<vynui::SceneObject*>(root->object))));
    AddItems(top, *root);
    top->setExpanded(root->expanded);
}

bool CBlobTreeEditorDock::ShowsItem(const QString& label) const
{
    return !m_tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive).isEmpty();
}

void CBlobTreeEditorDock::ShowContextMenu(const QPoint& position)
{
    vynui::SceneObject* object = ObjectOf(m_tree->itemAt(position));
    if (!m_model.OpenContextMenu(object)) return;
    QMenu menu(this);
    for (const auto& submenu : vynui::CBlobTreeEditorModel::ContextMenu()) {
        QMenu* sub = menu.addMenu(submenu.title);
        for (const std::string& command : submenu.commands) {
            QAction* action = sub->addAction(QString::fromStdString(command));
            action->setEnabled(m_model.ContextMenuEnabled(object, command));
        }
    }
    QAction* chosen = menu.exec(m_tree->viewport()->mapToGlobal(position));
    if (chosen) m_model.RunContextCommand(object, chosen->text().toStdString());
}
