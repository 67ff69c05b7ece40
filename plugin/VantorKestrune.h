#pragma once

// PluginAdapterBase is the host adapter this build of the product runs on (IPlugHeadless,
// IPlugAAX, ...); the header is generated per build target by kestrune_add_plugin
// (plugin/CMakeLists.txt).
#include "engine/AudioPlugin.h"
#include "plugin/Parameters.h"
#include "plugin/PluginAdapter.h"
#include "plugin/ProcessFlags.h"
#include "plugin/ProductIdentity.h"

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <string>

class ICairoDotMatrix;
class ICairoFader;
class IGraphics;

// The product's plug-in object: a 31-band graphic equaliser with analyser and Auto EQ.
class VantorKestrune : public PluginAdapterBase
{
public:
    using InstanceInfo = PluginAdapterBase::InstanceInfo;

    // Builds the base, the parameter table, the editor and the default preset "-".
    explicit VantorKestrune(InstanceInfo info);
    ~VantorKestrune() override;

    // Prepares the engine for the host's sample rate and block size (plugin/AudioFlow.cpp).
    void ResetProcessing() override;
    // Forgets the audio heard so far (filter states, envelopes, band levels) as a fresh
    // instance would, keeping every setting and the Auto EQ's learned levels. For adapters whose
    // host activates the plug-in anew. Takes the plug-in lock.
    void ClearAudioHistory();
    // Rates the plug-in processes at; at any other rate the signal passes the engine unchanged,
    // so adapters whose format allows it refuse such a rate.
    static bool SupportsSampleRate(double sampleRateHz) noexcept
    {
        return AudioPlugin::SupportedSampleRate(sampleRateHz);
    }
    // Carries a stored parameter value into the engine (plugin/ParameterReactions.cpp).
    void OnParameterChanged(int index, ParameterChangeSource source) override;
    // Input gain, engine, Auto EQ write-back, editor feedback, output gain (plugin/AudioFlow.cpp).
    void ProcessBlock(double** inputs, double** outputs, int frames) noexcept override;
    // The JSON state document (plugin/StateDocument.cpp).
    bool SerializeState(StateChunk& chunk) override;
    int DeserializeState(const StateChunk& chunk, int position) override;
    bool HoldsCurrentState(const char* bytes, int size) override;

    // The signal engine, read-only for tools and tests (levels, gains, curves).
    const AudioPlugin& Engine() const noexcept { return engine; }

    // True while "Disable Analyzer" is on.
    bool AnalyserDisabled() const noexcept { return analyserDisabled; }
    // Where the editor feedback finds the analyser display and the band faders.
    int AnalyserControlIndex() const noexcept { return analyserControlIndex; }
    const std::array<int, kBandCount>& FaderControlIndices() const noexcept
    {
        return faderControlIndices;
    }
    // True once a state document has been read successfully.
    bool StateLoaded() const noexcept { return stateLoaded; }

private:
    void ReactToBandGain(int band, double gainDb, ParameterChangeSource source);
    void ReactToIntegrationTime(double value);
    void ReactToAutoEqMode(double value, ParameterChangeSource source);
    void ReactToResetEq(double value, ParameterChangeSource source);
    void ReactToEqAmount(double value);
    void ReactToCompensation(double value);
    double AutoEqModeValue() const noexcept;
    bool CustomCompensationSelected() const noexcept;
    void WriteBackAutoEqGains() noexcept;
    // Parses a document and applies its parameters and curve; throws the JSON library's errors.
    void ApplyStateDocument(const std::string& text, bool& parametersChanged,
                            bool& parametersAnnounced);
    void ApplyStoredCurve(const nlohmann::json& document);
    void AnnounceRestoredParameters();
    bool HoldsParameterChunk(const StateChunk& chunk, int position) const;

    // Editor feedback hooks (plugin/EditorFeedback.cpp), called at the points where the editor
    // follows the plug-in: after the engine ran a block (analyser display, faders after a
    // write-back), after the output gain (redraw everything), when a parameter reaction has
    // run, when a band parameter was rewritten by the plug-in itself, and when a band's custom
    // compensation value was stored.
    void FeedbackAfterEngine(bool gainsWrittenBack) noexcept;
    void FeedbackMarkAllDirty() noexcept;
    void FeedbackOnParameter(int index, double value, ParameterChangeSource source);
    void FeedbackParameterRewritten(int index, double value);
    void FeedbackCompensationMarker(int band, double gainDb);
    void FeedbackBandAvailability();

    void DefineParameters(const int* indices, int count);
    // Creates the editor object and its drawing surface; runs between the parameter
    // definitions, where the editor is created.
    void BuildEditor();
    // Lays out the background and the controls and attaches the editor; runs once every
    // parameter is defined.
    void LayOutAndAttachEditor();

    AudioPlugin engine;
    int analyserControlIndex = -1; // the analyser display in the editor's control list
    bool analyserDisabled = false;
    std::array<int, kBandCount> faderControlIndices{}; // band b's fader in the control list
    bool stateLoaded = false;
    bool resetEqOn = false; // "Reset EQ" as last heard: it acts when switched on, not while on
    IGraphics* graphics = nullptr; // the editor, owned by the base once attached
    // The controls the block feedback writes into, found once at layout; owned by the editor.
    ICairoDotMatrix* analyserDisplay = nullptr;
    std::array<ICairoFader*, kBandCount> bandFaders{};
};

// Creates one instance. Instances are created one at a time: the factory holds a process-wide
// lock while constructing. The caller owns the result.
VantorKestrune* CreatePlugin(VantorKestrune::InstanceInfo info = {});
