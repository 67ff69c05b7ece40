#pragma once

// What a plug-in tells every host about itself, handed to its adapter when it is made. Named
// fields, so a description reads as what it says:
//   IPlugHeadless({}, {.parameterCount = 2, .effectName = "Test", .makerName = "Tester"})
struct PluginDescription
{
    int parameterCount = 0;
    const char* channelIOs = "1-1 2-2"; // input-output pairs the plug-in accepts
    int presetCount = 1;
    const char* effectName = "";
    const char* productName = "";
    const char* makerName = "";
    int version = 0; // major << 16 | minor << 8 | revision
    int uniqueId = 0;
    int makerId = 0;
    int latency = 0; // samples
    bool receivesMidi = false;
    bool savesChunks = true;
    bool isInstrument = false;
    bool sideChain = false;
};
