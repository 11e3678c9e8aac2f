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
    void information(const std::string& text) override;
    void warning(const std::string& text) override;
    void error(const std::string& text) override;
    void plain(const std::string& text) override;
    bool yesNo(const std::string& text) override;
    void pumpEvents() override;
    void setBusy(bool busy) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace tarvola::gui
