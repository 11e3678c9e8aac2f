// Error objects: message tables, codes outside them, causes, and raising by value.

#include <gtest/gtest.h>

#include "errors/IError.h"

using namespace tarvola;

TEST(IError, DescriptionPicksTheTextForTheCode)
{
    EXPECT_EQ(IError(1, "f", 1, "u").description(), "Operacja nie zaimplementowana");
    EXPECT_EQ(IError(4, "f", 1, "u").description(), "Błąd czasu wykonania");
    EXPECT_EQ(CRunTime(CRunTime::OutOfMemory, "f", 1, "u").description(),
              "Nie udało się dynamicznie przydzielić pamięci.");
    EXPECT_EQ(CThreadError(6, "f", 1, "u").description(), "Nie można utworzyć wątku.");
    EXPECT_EQ(CRSError(CRSError::CantOpen, "f", 1, "u").description(), "COM port error - can't open.");
    EXPECT_EQ(CRSError(CRSError::CantReadWrite, "f", 1, "u").description(), "COM port error - can't read/write.");
}

TEST(IError, CodesOutsideTheTableFallBackToEntryZero)
{
    const std::string outside = "Błąd z poza zdefiniowanego zakresu";
    EXPECT_EQ(IError(5, "f", 1, "u").description(), outside);
    EXPECT_EQ(CRSError(7, "f", 1, "u").description(), outside);
    EXPECT_EQ(CThreadError(static_cast<std::uint32_t>(-1), "CThread::kill()", 1, "u").description(), outside);
    EXPECT_EQ(CThreadError(static_cast<std::uint32_t>(-2), "CThread::create()", 1, "u").description(), outside);
}

TEST(IError, ClassNamesAndTableSizes)
{
    EXPECT_STREQ(IError(0, "", 0, "").className(), "IError");
    EXPECT_STREQ(CThreadError(0, "", 0, "").className(), "CThreadError");
    EXPECT_STREQ(CRunTime(0, "", 0, "").className(), "CRunTime");
    EXPECT_STREQ(CRSError(0, "", 0, "").className(), "CRSError");
    EXPECT_EQ(IError(0, "", 0, "").messages().size(), 5u);
    EXPECT_EQ(CRunTime(0, "", 0, "").messages().size(), 10u);
    EXPECT_EQ(CRSError(0, "", 0, "").messages().size(), 7u);
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
        EXPECT_EQ(e.function(), "CSerialPort::read() - errno=5");
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
