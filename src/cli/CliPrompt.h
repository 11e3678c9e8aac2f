#pragma once
// The terminal's side of the core's questions and messages: messages go to standard error, questions
// are answered by --yes / --no (No when neither was given, so scripts never hang).

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

private:
    std::ostream& m_err;
    std::optional<bool> m_answer;
};

} // namespace tarvola::cli
