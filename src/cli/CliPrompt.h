#pragma once
// The terminal's side of the core's questions and messages: messages go to standard error, questions
// are answered by --yes / --no (No when neither was given, so scripts never hang).

#include <functional>
#include <iosfwd>
#include <optional>

#include "platform/IUserPrompt.h"

namespace tarvola::cli {

class CliPrompt : public IUserPrompt {
public:
    CliPrompt(std::ostream& err, std::optional<bool> answer) : m_err(err), m_answer(answer) {}
    void information(const std::string& text) override;
    void warning(const std::string& text) override;
    void error(const std::string& text) override;
    bool yesNo(const std::string& text) override;
    // Long procedures call pumpEvents() in their waits; a command hands in what to do then (look
    // at Ctrl+C and stop the procedure).
    void setPump(std::function<void()> pump) { m_pump = std::move(pump); }
    void pumpEvents() override
    {
        if (m_pump)
            m_pump();
    }

private:
    std::ostream& m_err;
    std::optional<bool> m_answer;
    std::function<void()> m_pump;
};

} // namespace tarvola::cli
