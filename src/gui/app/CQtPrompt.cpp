#include "app/CQtPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "lang/QtTextTargets.h"

namespace tarvola::gui {

namespace {
constexpr const char* kCaption = "TARVOLA";

int box(QWidget* owner, QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons)
{
    // A box must not inherit the wait cursor of the handler that shows it.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox m(icon, kCaption, qs(text), buttons, owner);
    const int result = m.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return result;
}
} // namespace

int CQtPrompt::show(int icon, const std::string& text, int buttons)
{
    if (m_unattended) {
        std::fprintf(stderr, "tarvola: [%s] %s\n", kCaption, text.c_str());
        return (buttons & QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    return box(m_owner, static_cast<QMessageBox::Icon>(icon), text, static_cast<QMessageBox::StandardButtons>(buttons));
}

void CQtPrompt::information(const std::string& text)
{
    show(QMessageBox::Information, text, QMessageBox::Ok);
}

void CQtPrompt::warning(const std::string& text)
{
    show(QMessageBox::Warning, text, QMessageBox::Ok);
}

void CQtPrompt::error(const std::string& text)
{
    show(QMessageBox::Critical, text, QMessageBox::Ok);
}

void CQtPrompt::plain(const std::string& text)
{
    show(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

bool CQtPrompt::yesNo(const std::string& text)
{
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

IUserPrompt::Answer CQtPrompt::yesNoCancel(const std::string& text)
{
    switch (show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

void CQtPrompt::pumpEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void CQtPrompt::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace tarvola::gui
