// The audio path of the headless adapter and the product allocates nothing and takes no lock
// but the plug-in lock, with the Auto EQ running and the editor drawing frames and handling
// drags on another thread, whatever block sizes the host sends.

#include "tests/reliability/RealTimePlans.h"
#include "tests/reliability/ReliabilityHarness.h"
#include "tests/support/PreparedProduct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace
{

using namespace reliability;

// The probe itself: each row does one thing on an armed thread and must be counted as such, so
// that the zero counts of the real tests mean something.
TEST(RealTimeProbe, CountsWhatTheArmedThreadDoes)
{
    std::mutex other;
    std::recursive_mutex ignored;
    struct Row
    {
        const char* what;
        void (*action)(std::mutex&, std::recursive_mutex&);
        rtprobe::Counts expected;
    };
    const Row rows[] = {
        {"nothing", [](std::mutex&, std::recursive_mutex&) {}, {0, 0, 0}},
        {"malloc and free",
         [](std::mutex&, std::recursive_mutex&)
         {
             void* volatile p = std::malloc(24);
             std::free(p);
         },
         {1, 1, 0}},
        {"vector growth",
         [](std::mutex&, std::recursive_mutex&)
         {
             std::vector<double> v;
             v.resize(100);
         },
         {1, 1, 0}},
        {"another mutex",
         [](std::mutex& m, std::recursive_mutex&) { m.lock(), m.unlock(); },
         {0, 0, 1}},
        {"try-lock of another mutex",
         [](std::mutex& m, std::recursive_mutex&)
         {
             if (m.try_lock())
                 m.unlock();
         },
         {0, 0, 1}},
        {"the ignored mutex, twice",
         [](std::mutex&, std::recursive_mutex& r)
         {
             const std::lock_guard<std::recursive_mutex> outer(r);
             const std::lock_guard<std::recursive_mutex> inner(r);
         },
         {0, 0, 0}},
    };
    // The mutex functions resolve in every build, the sanitizer ones included (their
    // interceptors are what the forwarders find next).
    ASSERT_TRUE(rtprobe::CountsLocks());
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        rtprobe::Arm(ignored.native_handle());
        row.action(other, ignored);
        const rtprobe::Counts counts = rtprobe::Disarm();
        EXPECT_EQ(counts.allocations, row.expected.allocations);
        EXPECT_EQ(counts.frees, row.expected.frees);
        EXPECT_EQ(counts.locks, row.expected.locks);
    }
    // What another thread does meanwhile is never counted.
    std::atomic<int> step{0};
    std::thread worker(
        [&]
        {
            while (step.load() == 0)
                std::this_thread::yield();
            std::free(std::malloc(64));
            other.lock();
            other.unlock();
            step = 2;
        });
    rtprobe::Arm(nullptr);
    step = 1;
    while (step.load() != 2)
    {
    }
    const rtprobe::Counts meanwhile = rtprobe::Disarm();
    worker.join();
    EXPECT_EQ(meanwhile.allocations, 0);
    EXPECT_EQ(meanwhile.frees, 0);
    EXPECT_EQ(meanwhile.locks, 0);
}

class HeadlessRealTime : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plug = PreparedProduct(kRateHz, 512);
        editor = dynamic_cast<IGraphicsOffscreen*>(plug->Editor());
        ASSERT_NE(editor, nullptr);
        UseBusyAutoEq(*plug);
    }
    void TearDown() override { CustomCompensationEditing = false; }

    const void* PluginMutex() const { return plug->LockPlugin().mutex()->native_handle(); }

    std::unique_ptr<VantorKestrune> plug;
    IGraphicsOffscreen* editor = nullptr;
    TestSignal signal{kLongestBlock};
};

TEST_F(HeadlessRealTime, RenderBlockAllocatesNothingAndTakesOnlyThePluginLock)
{
    EditorThread frames(*editor);
    frames.WaitForFirstFrame();
    ASSERT_GT(frames.ControlCount(), 31); // the faders and at least one knob
    bool bypassed = false;
    ExpectRealTimeSafe([&](bool on) { bypassed = on; },
                       [&](int n)
                       {
                           plug->RenderBlock(signal.In(), 2, signal.Out(), 2, n, bypassed);
                           return signal.OutputFinite(n);
                       },
                       PluginMutex());
    EXPECT_GT(frames.Frames(), 0);
}

// ProcessBlock on its own, as an adapter calls it inside RunBlock, at the size it prepared.
TEST_F(HeadlessRealTime, ProcessBlockAllocatesNothing)
{
    EditorThread frames(*editor);
    frames.WaitForFirstFrame();
    std::vector<double> left(512, 0.25), right(512, -0.25);
    const void* mutex = PluginMutex();
    for (int block = 0; block < 50; ++block)
    {
        std::fill(left.begin(), left.end(), 0.25);
        std::fill(right.begin(), right.end(), -0.25);
        double* in[2] = {left.data(), right.data()};
        const auto lock = plug->LockPlugin();
        rtprobe::Arm(mutex);
        plug->ProcessBlock(in, in, 512);
        const rtprobe::Counts counts = rtprobe::Disarm();
        ASSERT_EQ(counts.allocations, 0) << block;
        ASSERT_EQ(counts.frees, 0) << block;
        ASSERT_EQ(counts.locks, 0) << block;
    }
}

} // namespace
