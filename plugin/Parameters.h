#pragma once

#include <cstddef>

#include "framework/IPlugParameter.h"
#include "product/Bands.h"
#include "product/Modes.h"

// The product's parameter table: the single source of truth for every parameter the host,
// the editor, the state document, the command-line tool and the host descriptions see.

enum ParamIndex : int
{
    kParamGain0 = 0,
    kParamGain1,
    kParamGain2,
    kParamGain3,
    kParamGain4,
    kParamGain5,
    kParamGain6,
    kParamGain7,
    kParamGain8,
    kParamGain9,
    kParamGain10,
    kParamGain11,
    kParamGain12,
    kParamGain13,
    kParamGain14,
    kParamGain15,
    kParamGain16,
    kParamGain17,
    kParamGain18,
    kParamGain19,
    kParamGain20,
    kParamGain21,
    kParamGain22,
    kParamGain23,
    kParamGain24,
    kParamGain25,
    kParamGain26,
    kParamGain27,
    kParamGain28,
    kParamGain29,
    kParamGain30,
    kParamAnalyzerDbPerLed = 31,
    kParamIntegrationTime = 32,
    kParamDisplayMode = 33,
    kParamEnablePeakDisplay = 34,
    kParamResetAnalyzer = 35,
    kParamResetAutoEq = 36,
    kParamAutoEq = 37,
    kParamBypassEq = 38,
    kParamResetEq = 39,
    kParamDisableAnalyzer = 40,
    kParamInput = 41,
    kParamOutput = 42,
    kParamEqAmount = 43,
    kParamLuckyAutoEq = 44,
    kParamAutoEqCompensation = 45,
    kNumParams = 46,
};

static_assert(kParamGain30 == kBandCount - 1);

// Parameter index of band `band`'s gain (0 lowest .. 30).
constexpr int BandGainParam(int band)
{
    return kParamGain0 + band;
}
constexpr bool IsBandGainParam(int index)
{
    return index >= kParamGain0 && index <= kParamGain30;
}

struct ParameterDisplayText
{
    int value;
    const char* text;
};

// One row of the table. Bool and enum rows carry step 0.1 as the framework gives them.
struct ParameterDefinition
{
    int index;
    char name[kParamTextCapacity];
    ParameterKind kind;
    double defaultValue;
    double min;
    double max;
    double step;
    const char* label;
    const ParameterDisplayText* displayTexts;
    int displayTextCount;
};

// The row of parameter `index` (0 .. kNumParams - 1); band rows are named "Gain <band>".
// An index outside the table gives a row with index -1 and an empty name.
ParameterDefinition ParameterDefinitionAt(int index);

// Defines `param` as row `index` of the table, display texts included.
void DefineParameter(IPlugParameter& param, int index);

// The order in which the plug-in defines its parameters: the band gains, then these, then the
// editor is built, then the rest.
inline constexpr int kParamsDefinedBeforeEditor[] = {
    kParamAnalyzerDbPerLed,  kParamIntegrationTime, kParamDisplayMode, kParamAutoEq,
    kParamEnablePeakDisplay, kParamResetAnalyzer,   kParamResetAutoEq, kParamBypassEq,
    kParamResetEq,           kParamDisableAnalyzer, kParamInput,       kParamOutput,
    kParamEqAmount,
};
inline constexpr int kParamsDefinedAfterEditor[] = {kParamLuckyAutoEq, kParamAutoEqCompensation};

// "bool", "enum", "double" (or "none").
const char* ParameterKindName(ParameterKind kind);
