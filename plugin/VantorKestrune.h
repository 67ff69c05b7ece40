#pragma once

// PluginAdapterBase is the host adapter this build of the product runs on (IPlugHeadless,
// IPlugAAX, ...); the header is generated per build target by kestrune_add_plugin
// (plugin/CMakeLists.txt).
#include "plugin/Parameters.h"
#include "plugin/PluginAdapter.h"
#include "plugin/ProductIdentity.h"

// The product's plug-in object: a 31-band graphic equaliser with analyser and Auto EQ.
class VantorKestrune : public PluginAdapterBase
{
public:
    using InstanceInfo = PluginAdapterBase::InstanceInfo;

    // Builds the base, the parameter table, the editor and the default preset "-".
    explicit VantorKestrune(InstanceInfo info);
    ~VantorKestrune() override;

    // True while "Disable Analyzer" is on.
    bool AnalyserDisabled() const noexcept { return analyserDisabled; }
    // True once a state document has been read successfully.
    bool StateLoaded() const noexcept { return stateLoaded; }

private:
    void DefineParameters(const int* indices, int count);
    // Creates the editor and its controls, and attaches it; runs between the parameter
    // definitions, so the editor sees the parameters defined before it.
    void BuildEditor();

    bool analyserDisabled = false;
    bool stateLoaded = false;
};

// Creates one instance. Instances are created one at a time: the factory holds a process-wide
// lock while constructing. The caller owns the result.
VantorKestrune* CreatePlugin(VantorKestrune::InstanceInfo info = {});
