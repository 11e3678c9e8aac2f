#include "CliPrompt.h"

#include <ostream>

namespace tarvola::cli {

void CliPrompt::information(const std::string& text)
{
    m_err << "TARVOLA: " << text << '\n';
}

void CliPrompt::warning(const std::string& text)
{
    m_err << "TARVOLA: warning: " << text << '\n';
}

void CliPrompt::error(const std::string& text)
{
    m_err << "TARVOLA: error: " << text << '\n';
}

bool CliPrompt::yesNo(const std::string& text)
{
    const bool yes = m_answer.value_or(false);
    m_err << "TARVOLA: " << text << (yes ? " [yes]" : " [no]") << '\n';
    return yes;
}

} // namespace tarvola::cli
