#pragma once
// How the core talks to the person at the screen without knowing a window exists.
//
// The GUI implements it with message boxes, the wait cursor and its event loop; the CLI with the
// terminal and its --yes/--no options. Texts arrive already translated into the current language.

#include <string>

#include "errors/IError.h"

namespace tarvola {

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;

    virtual void information(const std::string& text) = 0;
    virtual void warning(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    // A plain box: OK, no icon. The boxes that name a failed operation and the error's description
    // use it.
    virtual void plain(const std::string& text) { information(text); }
    // The plain box for an error object that `handler` caught (errorBoxText).
    void errorBox(const std::string& handler, const IError& error) { plain(errorBoxText(handler, error)); }
    // A question with Yes and No; true for Yes.
    virtual bool yesNo(const std::string& text) = 0;
    enum class Answer { Yes, No, Cancel };
    // A question with Yes, No and Cancel ("save before closing?"). A face without a third button
    // answers as its yesNo does.
    virtual Answer yesNoCancel(const std::string& text) { return yesNo(text) ? Answer::Yes : Answer::No; }
    // Long waits on the user-interface thread call this between steps so windows stay alive.
    virtual void pumpEvents() {}
    // Busy indicator (the wait cursor) around long exchanges.
    virtual void setBusy(bool) {}
};

// Says nothing, answers No: for code paths that run without a person (tests, scripts).
class CSilentPrompt : public IUserPrompt {
public:
    void information(const std::string&) override {}
    void warning(const std::string&) override {}
    void error(const std::string&) override {}
    bool yesNo(const std::string&) override { return false; }
};

// Scoped busy indicator.
class CBusyScope {
public:
    explicit CBusyScope(IUserPrompt& prompt) : m_prompt(prompt) { m_prompt.setBusy(true); }
    ~CBusyScope() { m_prompt.setBusy(false); }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    IUserPrompt& m_prompt;
};

} // namespace tarvola
