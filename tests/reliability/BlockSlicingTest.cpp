// A host block longer than the scratch buffers' reserved room runs as slices of that room: the
// result is the same, sample for sample and gain for gain, as the host sending those slices as
// blocks of their own.

#include "tests/reliability/ReliabilityHarness.h"
#include "tests/support/PreparedProduct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

using namespace reliability;

constexpr int kRoom = IPlugBase::kMaxBlockFrames;

std::unique_ptr<VantorKestrune> PreparedPlugin()
{
    std::unique_ptr<VantorKestrune> plug = PreparedProduct(kRateHz, kRoom);
    UseBusyAutoEq(*plug);
    return plug;
}

struct SlicingCase
{
    int frames;
    int channels;
    int comparedFrames; // frames that must match: all of them when frames is a multiple of kRoom
};

TEST(BlockSlicing, LongBlockEqualsItsSlicesSentOneByOne)
{
    const SlicingCase cases[] = {
        {3 * kRoom, 2, 3 * kRoom},
        {65536, 2, 65536},
        {2 * kRoom, 1, 2 * kRoom},
        // The tail of 3616 frames would be a block size change for a host sending it alone
        // (processing is reset, the analysis restarts); only the full slices compare.
        {20000, 2, 2 * kRoom},
    };
    for (const SlicingCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.frames << " frames, " << c.channels << " channels");
        TestSignal whole(c.frames);
        TestSignal sliced(c.frames);
        auto one = PreparedPlugin();
        auto many = PreparedPlugin();

        one->RenderBlock(whole.In(), c.channels, whole.Out(), c.channels, c.frames, false);
        EXPECT_EQ(one->BlockSize(), kRoom);
        EXPECT_EQ(one->ScratchCapacity(), kRoom);
        for (int done = 0; done < c.frames; done += kRoom)
        {
            const int n = std::min(kRoom, c.frames - done);
            float* in[2] = {sliced.left.data() + done, sliced.right.data() + done};
            float* out[2] = {sliced.outLeft.data() + done, sliced.outRight.data() + done};
            many->RenderBlock(in, c.channels, out, c.channels, n, false);
        }

        const auto prefix = [&](const std::vector<float>& v)
        { return std::vector<float>(v.begin(), v.begin() + c.comparedFrames); };
        EXPECT_EQ(prefix(whole.outLeft), prefix(sliced.outLeft));
        if (c.channels == 2)
        {
            EXPECT_EQ(prefix(whole.outRight), prefix(sliced.outRight));
        }
        EXPECT_TRUE(whole.OutputFinite(c.frames));
        if (c.comparedFrames == c.frames)
        {
            EXPECT_EQ(one->Engine().bandGains, many->Engine().bandGains);
            EXPECT_EQ(one->Engine().heldLevels, many->Engine().heldLevels);
            for (int band = 0; band < kBandCount; ++band)
            {
                EXPECT_EQ(one->Param(band)->Value(), many->Param(band)->Value()) << band;
            }
        }
        // The Auto EQ did act: without it the comparison of the gains would be empty.
        EXPECT_NE(one->Engine().bandGains, decltype(one->Engine().bandGains){});
    }
    CustomCompensationEditing = false;
}

// A block size set off the audio thread beyond the reserved room (a tool's block, a host's
// announced maximum) grows the room: such blocks then run whole.
TEST(BlockSlicing, LargerBlockSizeSetBeforehandRunsWhole)
{
    auto plug = PreparedPlugin();
    plug->SetHostBlockSize(20000);
    plug->ResetProcessing();
    EXPECT_EQ(plug->ScratchCapacity(), 20000);
    TestSignal signal(30000);
    plug->RenderBlock(signal.In(), 2, signal.Out(), 2, 20000, false);
    EXPECT_EQ(plug->BlockSize(), 20000);
    EXPECT_TRUE(signal.OutputFinite(20000));
    plug->RenderBlock(signal.In(), 2, signal.Out(), 2, 30000, false);
    EXPECT_EQ(plug->BlockSize(), 20000);
    CustomCompensationEditing = false;
}

} // namespace
