#include <gtest/gtest.h>

#include <windows.h>

#include "thread/CriticalSection.h"
#include "thread/Thread.h"

namespace {

struct TShared {
    TCriticalSection Section;
    long Counter = 0;
};

class TCountingThread : public TThread {
public:
    TCountingThread(TShared& shared, int rounds) : Shared(shared), Rounds(rounds) {}
    int Execute() override
    {
        for (int i = 0; i < Rounds; ++i) {
            TLock hold(Shared.Section);
            // A read, a yield and a write: without the lock, updates are lost.
            const long seen = Shared.Counter;
            if (i % 1000 == 0) Sleep(0);
            Shared.Counter = seen + 1;
        }
        return 0;
    }
    TShared& Shared;
    int Rounds;
};

}  // namespace

TEST(CriticalSectionTest, OperationsReportSuccess)
{
    TCriticalSection section;
    EXPECT_TRUE(section.Initialize());
    EXPECT_TRUE(section.Enter());
    EXPECT_TRUE(section.Enter()) << "the owning thread may enter again";
    EXPECT_TRUE(section.Leave());
    EXPECT_TRUE(section.Leave());
}

TEST(CriticalSectionTest, ThreadsExcludeEachOther)
{
    TShared shared;
    shared.Section.Initialize();
    const int rounds = 200000;
    TCountingThread first(shared, rounds);
    TCountingThread second(shared, rounds);
    ASSERT_TRUE(first.Create(true));
    ASSERT_TRUE(second.Create(true));
    first.Resume();
    second.Resume();
    first.WaitFor();
    second.WaitFor();
    EXPECT_EQ(2L * rounds, shared.Counter);
}
