#pragma once
// The core's user prompt on the desktop: message boxes captioned "TARVOLA" owned by the main window,
// the wait cursor, and the event loop pumped during long waits.

#include <QPointer>
#include <QWidget>

#include "platform/IUserPrompt.h"

namespace tarvola::gui {

class CQtPrompt : public IUserPrompt {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    // Unattended (the screenshot command): no box is shown; each is printed to standard error and
    // answered as its default button would be (OK, No).
    void setUnattended(bool on) { m_unattended = on; }
    void information(const std::string& text) override;
    void warning(const std::string& text) override;
    void error(const std::string& text) override;
    void plain(const std::string& text) override;
    bool yesNo(const std::string& text) override;
    Answer yesNoCancel(const std::string& text) override;
    void pumpEvents() override;
    void setBusy(bool busy) override;

private:
    int show(int icon, const std::string& text, int buttons);

    QPointer<QWidget> m_owner;
    bool m_unattended = false;
};

} // namespace tarvola::gui
