#include "ThreadTestSupport.h"

using namespace tarvola;
using namespace tarvola::test;

TEST(SemaphoreTest, CountsUnitsAndBlocksWhenEmpty)
{
    CSemaphore sem(2);
    EXPECT_TRUE(sem.tryDown());
    EXPECT_TRUE(sem.tryDown());
    EXPECT_FALSE(sem.tryDown());
    sem.up(3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(sem.tryDown());
    EXPECT_FALSE(sem.tryDown());

    std::atomic<bool> passed{false};
    std::thread waiter([&] {
        sem.down();
        passed = true;
    });
    EXPECT_FALSE(waitUntil([&] { return passed.load(); }, 30ms)) << "down() went through an empty semaphore";
    sem.up();
    EXPECT_TRUE(waitUntil([&] { return passed.load(); }));
    waiter.join();
    EXPECT_FALSE(sem.tryDown()) << "one release was taken twice";
}

TEST(SemaphoreTest, RefusesCountsOutsideItsRangeAndKeepsItsCount)
{
    expectThreadError([] { CSemaphore bad(-1); }, kMinusOne, "CSemaphore::CSemaphore()");
    CSemaphore full(CSemaphore::MaxCount - 1);
    full.up();
    expectThreadError([&] { full.up(); }, kMinusOne, "CSemaphore::up()");

    CSemaphore sem(1);
    expectThreadError([&] { sem.up(0); }, kMinusOne, "CSemaphore::up()");
    expectThreadError([&] { sem.up(CSemaphore::MaxCount); }, kMinusOne, "CSemaphore::up()");
    EXPECT_TRUE(sem.tryDown());
    EXPECT_FALSE(sem.tryDown());
}

TEST(EventTest, PulseWakesAWaiterAlreadyWaitingButIsNotRemembered)
{
    CEvent event;
    std::atomic<bool> done{false};
    CEvent::WaitResult result = CEvent::WaitResult::TimedOut;
    std::thread waiter([&] {
        result = event.wait(CEvent::Infinite);
        done = true;
    });
    // The waiter may not be inside wait() yet when a pulse comes, and a pulse is not remembered:
    // pulse until it has been woken.
    EXPECT_TRUE(waitUntil([&] {
        event.signal();
        return done.load();
    }));
    waiter.join();
    EXPECT_EQ(result, CEvent::WaitResult::Signalled);

    // Pulsed above, yet a waiter coming afterwards waits for its whole time-out.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event.wait(40), CEvent::WaitResult::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
}
