// Error objects: each class's codes continue the base table, codes past the end fall back to entry
// zero, and a raised error keeps its class and its cause.

#include <gtest/gtest.h>

#include "errors/IError.h"

using namespace tarvola;

TEST(IError, DerivedTablesContinueTheBaseTableAndCodesPastTheEndFallBackToEntryZero)
{
    const std::string outside = "Błąd z poza zdefiniowanego zakresu";
    const std::pair<std::string, std::string> cases[] = {
        {IError(4, "f", 1, "u").description(), "Błąd czasu wykonania"},
        {IError(5, "f", 1, "u").description(), outside},
        {CThreadError(6, "f", 1, "u").description(), "Nie można utworzyć wątku."},
        {CThreadError(static_cast<std::uint32_t>(-1), "f", 1, "u").description(), outside},
        {CRunTime(CRunTime::OutOfRange, "f", 1, "u").description(), "Przekroczyłeś dozwolony zakres."},
        {CRunTime(CRunTime::NotAnError + 1, "f", 1, "u").description(), outside},
        {CRSError(CRSError::CantReadWrite, "f", 1, "u").description(), "COM port error - can't read/write."},
        {CRSError(7, "f", 1, "u").description(), outside},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
}

namespace {
struct Raiser : IErrorHelper<CRSError> {
    [[noreturn]] void fail() const { raise(6, "CSerialPort::read() - errno=5", 42, "serialport"); }
    [[noreturn]] void failWithCause(const IError& cause) const
    {
        raise(5, "CSerialPort::open(/dev/x) - errno=2", cause, 43, "serialport");
    }
};
} // namespace

TEST(IError, RaisedByValueCaughtByReferenceWithItsCauseKept)
{
    Raiser r;
    try {
        r.fail();
        FAIL();
    } catch (const IError& e) {
        EXPECT_STREQ(e.className(), "CRSError");
        EXPECT_EQ(e.code(), 6u);
        EXPECT_EQ(e.line(), 42u);
        EXPECT_EQ(e.file(), "serialport");
        EXPECT_STREQ(e.what(), "CSerialPort::read() - errno=5\nCOM port error - can't read/write.");
    }
    try {
        r.failWithCause(CThreadError(6, "CThread::create()", 7, "threadlib"));
        FAIL();
    } catch (const CRSError& e) {
        ASSERT_NE(e.cause(), nullptr);
        // The cause keeps its own class and table.
        EXPECT_STREQ(e.cause()->className(), "CThreadError");
        EXPECT_EQ(e.cause()->description(), "Nie można utworzyć wątku.");
    }
}
