#include "errors/IError.h"

#include <new>

namespace tarvola {

IError::IError(std::uint32_t code, std::string function, std::uint32_t line, std::string file)
    : m_code(code), m_line(line), m_function(std::move(function)), m_file(std::move(file))
{
    appendMessages({"Błąd z poza zdefiniowanego zakresu", "Operacja nie zaimplementowana", "", "",
                    "Błąd czasu wykonania"});
}

IError::IError(std::uint32_t code, std::string function, std::shared_ptr<const IError> cause, std::uint32_t line,
               std::string file)
    : IError(code, std::move(function), line, std::move(file))
{
    m_cause = std::move(cause);
}

std::string errorBoxText(const std::string& handler, const IError& error)
{
    return handler + "\n" + error.description();
}

std::string IError::description() const
{
    if (m_code < m_messages.size())
        return m_messages[m_code];
    return m_messages.front();
}

void IError::appendMessages(std::initializer_list<const char*> texts)
{
    for (const char* t : texts)
        m_messages.emplace_back(t);
    refreshWhat();
}

void IError::refreshWhat()
{
    m_what = m_function + "\n" + description();
}

CThreadError::CThreadError(std::uint32_t code, std::string function, std::uint32_t line, std::string file)
    : IError(code, std::move(function), line, std::move(file))
{
    appendMessages({"Błąd biblioteki ThreadLib.", "Nie można utworzyć wątku."});
}

CRunTime::CRunTime(std::uint32_t code, std::string function, std::uint32_t line, std::string file)
    : IError(code, std::move(function), line, std::move(file))
{
    appendMessages({"Przekroczyłeś dozwolony zakres.", "Nie udało się dynamicznie przydzielić pamięci.",
                    "Operacja nie zaimplementowana.", "Operacja zaimplementowana częściowo.",
                    "Błąd, errLast nie jest błędem."});
}

CRSError::CRSError(std::uint32_t code, std::string function, std::uint32_t line, std::string file)
    : IError(code, std::move(function), line, std::move(file))
{
    appendMessages({"COM port error - can't open.", "COM port error - can't read/write."});
}

CLangError::CLangError(std::uint32_t code, std::string function, std::uint32_t line, std::string file)
    : IError(code, std::move(function), line, std::move(file))
{
    appendMessages({"Language not supported", "Can't find language text"});
}

namespace {
void outOfMemory()
{
    throw CRunTime(CRunTime::OutOfMemory, "rtl_new_heandler(size_t size)", __LINE__, "ierror");
}
} // namespace

void installOutOfMemoryHandler()
{
    std::set_new_handler(&outOfMemory);
}

} // namespace tarvola
