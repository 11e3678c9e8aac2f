#include "ThreadTestSupport.h"

using namespace tarvola;
using namespace tarvola::test;

TEST(ThreadTest, RoutineIsChosenConstructorFirstThenCreateThenRun)
{
    std::atomic<void*> got{nullptr};
    std::atomic<int> which{0};
    int argument = 0;
    CThread own([&](void* p) {
        got = p;
        which = 1;
    });
    own.create(&argument, [&](void*) { which = 2; });
    own.join();
    EXPECT_EQ(which.load(), 1);
    EXPECT_EQ(got.load(), &argument);
    // Started again after the first run: with no argument the routine gets the thread itself.
    own.create();
    own.join();
    EXPECT_EQ(got.load(), static_cast<void*>(&own));

    GateThread plain;
    plain.create(&argument, [&](void* p) { got = p; });
    plain.join();
    EXPECT_EQ(got.load(), &argument);
    EXPECT_EQ(plain.runs.load(), 0) << "run() ran although a routine was given";
}

TEST(ThreadTest, RefusesWhatTheLibraryCannotDo)
{
    GateThread t;
    t.create();
    expectThreadError([&] { t.create(); }, kMinusTwo, "CThread::create()");
    // Nothing here may end or freeze another thread: that is refused, and the thread runs on.
    expectThreadError([&] { t.kill(); }, 1, "CThread::kill()");
    expectThreadError([&] { t.suspend(); }, 1, "CThread::suspend()");
    expectThreadError([&] { t.resume(); }, 1, "CThread::resume()");
    EXPECT_TRUE(t.isRunning());
    t.gate.up();
    t.join();

    CThread selfJoiner([](void* self) {
        expectThreadError([self] { static_cast<CThread*>(self)->join(); }, kMinusOne, "CThread::join()");
    });
    selfJoiner.create();
    selfJoiner.join();
}

TEST(ThreadTest, DestroyingTheObjectWaitsForItsRoutine)
{
    std::atomic<bool> started{false}, finished{false};
    {
        // A routine that is surely still running when its object goes.
        CThread t([&](void*) {
            started = true;
            std::this_thread::sleep_for(30ms);
            finished = true;
        });
        t.create();
        ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    }
    EXPECT_TRUE(finished.load());
}
