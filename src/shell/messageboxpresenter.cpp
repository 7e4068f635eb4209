#include "shell/messageboxpresenter.h"

#include "platform/strings.h"

#include <QApplication>
#include <QMessageBox>

namespace kelvara {

int MessageBoxPresenter::Present(const std::string& text, unsigned type)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_YESNOCANCEL: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
    }
    QWidget* parent = QApplication::activeWindow();
    if (!parent || !parent->isVisible())
        parent = m_parent && m_parent->isVisible() ? m_parent : nullptr;
    QMessageBox box(icon, QString::fromStdString(LoadString(IDS_APP_TITLE)), QString::fromStdString(text), buttons,
                    parent);
    switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

} // namespace kelvara
