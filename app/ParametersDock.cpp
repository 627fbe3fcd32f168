#include "app/ParametersDock.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>

namespace {

const int kNameColumn = 0;
const int kValueColumn = 1;

}  // namespace

CParametersDock::CParametersDock(QWidget* parent)
    : QDockWidget("Parameters", parent), m_table(new QTableWidget(0, 2, this))
{
    setObjectName("Parameters");
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_table->setObjectName("ParametersList");
    m_table->setHorizontalHeaderLabels({"Name", "Value"});
    m_table->setShowGrid(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // One line a row: vector values are cut, not wrapped.
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    setMinimumWidth(240);
    // Value takes half the width, Name the rest.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setWidget(m_table);

    // One click on a value cell starts editing it.
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == kValueColumn) m_table->editItem(m_table->item(row, column));
    });
    connect(m_table, &QTableWidget::itemChanged, this, &CParametersDock::OnItemChanged);
    m_model.SetRowsChangedHook([this] { Refill(); });
    m_model.SetValuesChangedHook([this] { ShowValues(); });
}

void CParametersDock::Refill()
{
    m_filling = true;
    const auto& rows = m_model.GetRows();
    m_table->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        auto* name = new QTableWidgetItem(QString::fromStdString(rows[i].name));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        auto* value = new QTableWidgetItem(QString::fromStdString(rows[i].value));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        // Only compared with the model's rows, never followed.
        value->setData(Qt::UserRole, QVariant::fromValue(quintptr(rows[i].parameter)));
        m_table->setItem(i, kNameColumn, name);
        m_table->setItem(i, kValueColumn, value);
    }
    m_filling = false;
}

void CParametersDock::ShowValues()
{
    const auto& rows = m_model.GetRows();
    if (int(rows.size()) != m_table->rowCount()) {
        Refill();
        return;
    }
    m_filling = true;
    for (int i = 0; i < int(rows.size()); ++i)
        if (QTableWidgetItem* item = m_table->item(i, kValueColumn))
            item->setText(QString::fromStdString(rows[i].value));
    m_filling = false;
}

void CParametersDock::OnItemChanged(QTableWidgetItem* item)
{
    if (m_filling || !item || item->column() != kValueColumn) return;
    const int row = item->row();
    const quintptr parameter = item->data(Qt::UserRole).value<quintptr>();
    const QString text = item->text();
    // Applied after the editor has let go of the cell: the edit may refill the table.
    QTimer::singleShot(0, this, [this, row, parameter, text] { ApplyEdit(row, parameter, text); });
}

void CParametersDock::ApplyEdit(int row, quintptr parameter, const QString& text)
{
    const auto& rows = m_model.GetRows();
    if (row >= 0 && row < int(rows.size()) && quintptr(rows[row].parameter) == parameter) {
        m_model.SetMainViewActive(!m_mainViewQuery || m_mainViewQuery());
        m_model.EditValue(std::size_t(row), text.toStdString());
    }
    // The typed text is never kept: the cells show what the parameters read.
    ShowValues();
}

bool CParametersDock::ShownValue(const QString& name, QString& value) const
{
    for (int i = 0; i < m_table->rowCount(); ++i) {
        const QTableWidgetItem* nameItem = m_table->item(i, kNameColumn);
        const QTableWidgetItem* valueItem = m_table->item(i, kValueColumn);
        if (nameItem && valueItem && nameItem->text() == name) {
            value = valueItem->text();
            return true;
        }
    }
    return false;
}

bool CParametersDock::TypeValue(const QString& name, const QString& text)
{
    for (int i = 0; i < m_table->rowCount(); ++i) {
        const QTableWidgetItem* nameItem = m_table->item(i, kNameColumn);
        QTableWidgetItem* valueItem = m_table->item(i, kValueColumn);
        if (nameItem && valueItem && nameItem->text() == name) {
            valueItem->setText(text);
            return true;
        }
    }
    return false;
}
