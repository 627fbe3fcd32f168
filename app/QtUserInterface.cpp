#include "app/QtUserInterface.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>

#include "app/SetFloatValueDialog.h"

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// A bare name gets the default extension, as the dialogs of the platform do.
std::string WithExtension(const QString& chosen, const vynui::FileDialogRequest& request)
{
    std::string path = chosen.toStdString();
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!request.defaultExtension.empty() && name.find('.') == std::string::npos)
        path += "." + request.defaultExtension;
    return path;
}

}  // namespace

CQtUserInterface::CQtUserInterface(QMainWindow* window) : m_window(window) {}

void CQtUserInterface::ShowMessage(const std::string& text, const std::string& title)
{
    QMessageBox::information(m_window, Q(title), Q(text));
}

vynui::Answer CQtUserInterface::AskQuestion(const std::string& text, const std::string& title,
                                            bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    switch (QMessageBox::question(m_window, Q(title), Q(text), buttons)) {
        case QMessageBox::Yes:
            return vynui::Answer::Yes;
        case QMessageBox::Cancel:
            return vynui::Answer::Cancel;
        default:
            return withCancel ? vynui::Answer::Cancel : vynui::Answer::No;
    }
}

vynui::SaveChoice CQtUserInterface::AskToSaveChanges(const std::string& text, const std::string& title)
{
    const QMessageBox::StandardButton button = QMessageBox::warning(
        m_window, Q(title), Q(text), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save);
    switch (button) {
        case QMessageBox::Save:
            return vynui::SaveChoice::Save;
        case QMessageBox::Discard:
            return vynui::SaveChoice::Discard;
        default:
            return vynui::SaveChoice::Cancel;
    }
}

bool CQtUserInterface::ChooseFileToOpen(const vynui::FileDialogRequest& request, std::string& path)
{
    const QString chosen =
        QFileDialog::getOpenFileName(m_window, Q(request.title), Q(request.fileName), Q(request.filter));
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    return true;
}

bool CQtUserInterface::ChooseFileToSave(const vynui::FileDialogRequest& request, std::string& path)
{
    QFileDialog::Options options;
    if (!request.askBeforeOverwrite) options |= QFileDialog::DontConfirmOverwrite;
    const QString chosen = QFileDialog::getSaveFileName(m_window, Q(request.title), Q(request.fileName),
                                                        Q(request.filter), nullptr, options);
    if (chosen.isEmpty()) return false;
    path = WithExtension(chosen, request);
    return true;
}

bool CQtUserInterface::AskValue(const vynui::ValueRequest& request, float& value)
{
    CSetFloatValueDialog dialog(request, m_window);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.GetValue();
    return true;
}

bool CQtUserInterface::ChooseColour(Wml::ColorRGBA& colour)
{
    const QColor initial = QColor::fromRgbF(colour.R(), colour.G(), colour.B());
    const QColor chosen = QColorDialog::getColor(initial, m_window);
    if (!chosen.isValid()) return false;
    colour = Wml::ColorRGBA(float(chosen.redF()), float(chosen.greenF()), float(chosen.blueF()), colour.A());
    return true;
}

void CQtUserInterface::SetStatusText(const std::string& text)
{
    if (m_window) m_window->statusBar()->showMessage(Q(text));
}

void CQtUserInterface::SetWindowTitle(const std::string& title)
{
    if (m_window) m_window->setWindowTitle(Q(title));
}

void CQtUserInterface::SetWindowModified(bool modified)
{
    if (m_window) m_window->setWindowModified(modified);
}
