// The AAX adapter's render call with the product allocates nothing and takes no lock but the
// plug-in lock, with the Auto EQ running and the editor drawing frames and handling drags on
// another thread, whatever block sizes the host sends.

#include "aax/AAX_EffectDescription.h"
#include "aax/host/AaxHost.h"
#include "tests/reliability/RealTimePlans.h"
#include "tests/reliability/ReliabilityHarness.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

using namespace reliability;

TEST(AaxRealTime, RenderAllocatesNothingAndTakesOnlyThePluginLock)
{
    aaxhost::Controller controller{AAX_eStemFormat_Stereo, AAX_eStemFormat_Stereo,
                                   static_cast<float>(kRateHz)};
    aaxhost::Automation automation;
    std::unique_ptr<VantorKestrune> plug{CreatePlugin()};
    ASSERT_EQ(plug->Initialize(&controller, &automation), AAX_SUCCESS);
    automation.Connect(plug.get());
    auto* editor = dynamic_cast<IGraphicsOffscreen*>(plug->Editor());
    ASSERT_NE(editor, nullptr);
    UseBusyAutoEq(*plug);
    TestSignal signal{kLongestBlock};
    const void* pluginMutex = plug->LockPlugin().mutex()->native_handle();

    int32_t frameCount = 0;
    AAX_SRenderContext context;
    context.fields[0] = signal.In();
    context.fields[1] = signal.Out();
    context.fields[3] = &frameCount;
    {
        // The editor's gestures reach the host's automation on the editor thread only.
        EditorThread frames(*editor);
        frames.WaitForFirstFrame();
        ExpectRealTimeSafe([&](bool on)
                           { plug->HostUpdatesParameter(IPlugAAX::kBypassIdentifier, on ? 1 : 0); },
                           [&](int n)
                           {
                               frameCount = n;
                               plug->Render(&context);
                               return signal.OutputFinite(n);
                           },
                           pluginMutex);
        EXPECT_GT(frames.Frames(), 0);
    }
    CustomCompensationEditing = false;
}

} // namespace

// The effect description's factory, which the module's glue provides in the real module.
IPlugAAX* CreateProductPlugin()
{
    return CreatePlugin();
}
