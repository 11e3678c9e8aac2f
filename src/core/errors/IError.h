#pragma once
// The error family: every failure below the user interface is raised as one of these.
//
// An error carries a numeric code, the operation that failed, the source line and unit, and a
// message table; description() picks the text for the code (entry 0 when the code lies outside the
// table, negative codes included, since the code is kept unsigned). Errors are raised by value and
// caught by reference, so no handler can leak one; a cause is shared, never owned twice.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace tarvola {

class IError : public std::exception {
public:
    IError(std::uint32_t code, std::string function, std::uint32_t line, std::string file);
    IError(std::uint32_t code, std::string function, std::shared_ptr<const IError> cause,
           std::uint32_t line, std::string file);
    ~IError() override = default;

    // The concrete class's name: "IError", "CThreadError", "CRunTime", "CLangError", "CRSError".
    virtual const char* className() const noexcept { return "IError"; }
    // The message text for the code; entry 0 when the code is not an index of the table.
    std::string description() const;

    std::uint32_t code() const noexcept { return m_code; }
    std::uint32_t line() const noexcept { return m_line; }
    const std::string& function() const noexcept { return m_function; }
    const std::string& file() const noexcept { return m_file; }
    const IError* cause() const noexcept { return m_cause.get(); }
    const std::vector<std::string>& messages() const noexcept { return m_messages; }

    // A copy of this error with its concrete class kept, for use as another error's cause.
    virtual std::shared_ptr<const IError> clone() const { return std::make_shared<IError>(*this); }
    void setCause(const IError& cause) { m_cause = cause.clone(); }

    // For std::exception handlers: the operation's name and the description, on two lines.
    const char* what() const noexcept override { return m_what.c_str(); }

protected:
    // Each class appends its own texts after its base's, in its constructor.
    void appendMessages(std::initializer_list<const char*> texts);

private:
    void refreshWhat();

    std::shared_ptr<const IError> m_cause;
    std::uint32_t m_code;
    std::uint32_t m_line;
    std::string m_function;
    std::string m_file;
    std::vector<std::string> m_messages;
    std::string m_what;
};

// The text of the box that shows a caught error object: the handler that caught it
// ("CVeldranixView::OnBtnLpg()"), a line break and the error's description. Every window and the
// command line show caught errors this way.
std::string errorBoxText(const std::string& handler, const IError& error);

// Failures of the thread and lock library (codes -1 and -2 lie outside its table on purpose:
// the operation's name tells them apart).
class CThreadError : public IError {
public:
    CThreadError(std::uint32_t code, std::string function, std::uint32_t line, std::string file);
    const char* className() const noexcept override { return "CThreadError"; }
    std::shared_ptr<const IError> clone() const override { return std::make_shared<CThreadError>(*this); }
};

// Run-time support failures, chiefly a failed allocation (code 6).
class CRunTime : public IError {
public:
    enum : std::uint32_t { OutOfRange = 5, OutOfMemory = 6, NotImplemented = 7, Partial = 8, NotAnError = 9 };
    CRunTime(std::uint32_t code, std::string function, std::uint32_t line, std::string file);
    const char* className() const noexcept override { return "CRunTime"; }
    std::shared_ptr<const IError> clone() const override { return std::make_shared<CRunTime>(*this); }
};

// Serial port failures: 5 the port cannot be opened, 6 any later operation failed.
class CRSError : public IError {
public:
    enum : std::uint32_t { CantOpen = 5, CantReadWrite = 6 };
    CRSError(std::uint32_t code, std::string function, std::uint32_t line, std::string file);
    const char* className() const noexcept override { return "CRSError"; }
    std::shared_ptr<const IError> clone() const override { return std::make_shared<CRSError>(*this); }
};

// Language text failures: 5 the current language is not one of the thirteen, 6 a window has no
// text under the identifier asked for.
class CLangError : public IError {
public:
    enum : std::uint32_t { NotSupported = 5, TextNotFound = 6 };
    CLangError(std::uint32_t code, std::string function, std::uint32_t line, std::string file);
    const char* className() const noexcept override { return "CLangError"; }
    std::shared_ptr<const IError> clone() const override { return std::make_shared<CLangError>(*this); }
};

// Mixin that gives a class the two raise operations of one error class E.
template <class E>
class IErrorHelper {
public:
    virtual ~IErrorHelper() = default;

protected:
    [[noreturn]] void raise(std::uint32_t code, std::string function, std::uint32_t line, std::string file) const
    {
        throw E(code, std::move(function), line, std::move(file));
    }
    [[noreturn]] void raise(std::uint32_t code, std::string function, const IError& cause, std::uint32_t line,
                            std::string file) const
    {
        E e(code, std::move(function), line, std::move(file));
        e.setCause(cause);
        throw e;
    }
};

// Installs the allocation-failure handler: a failed allocation raises CRunTime code 6 with the
// function text "rtl_new_heandler(size_t size)". (The standard new-handler is not told the size
// that failed, so the text carries no byte count.)
void installOutOfMemoryHandler();

} // namespace tarvola
