#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace
{

using namespace DspTest;
using Dsp::ParamInfo;

struct RecordCase
{
    int kind;
    const char* shortName;
    const char* label;
    double minValue;
    double maxValue;
    double defaultValue;
};

void ExpectRecord(const ParamInfo& info, const RecordCase& expected)
{
    EXPECT_EQ(info.kind, expected.kind);
    EXPECT_STREQ(info.shortName, expected.shortName);
    EXPECT_STREQ(info.label, expected.label);
    EXPECT_DOUBLE_EQ(info.minValue, expected.minValue) << expected.label;
    EXPECT_DOUBLE_EQ(info.maxValue, expected.maxValue) << expected.label;
    EXPECT_DOUBLE_EQ(info.defaultValue, expected.defaultValue) << expected.label;
}

TEST(ParamInfo, LibraryRecordsForEveryKind)
{
    const RecordCase records[] = {
        {0, "Fs", "Sample Rate", 11025, 192000, 44100},
        {1, "Fc", "Cutoff Frequency", 10, 22040, 2000},
        {2, "Q", "Resonance", -4, 4, 1},
        {3, "BW", "Bandwidth (Octaves)", -4, 4, 1},
        {4, "BW", "Bandwidth (Hz)", 10, 22040, 1720},
        {5, "Gain", "Gain", -24, 24, -6},
        {6, "Slope", "Slope", -2, 2, 1},
        {7, "Order", "Order", 1, 4, 2},
        {8, "Ripple", "Ripple dB", 0.001, 12, 0.01},
        {9, "Stop", "Stopband dB", 3, 60, 48},
        {10, "W", "Transition Width", -16, 4, 0},
        {11, "Pd", "Pole Distance", 0, 1, 0.5},
        {12, "Pa", "Pole Angle", 0, kPi, kPi / 2},
        {13, "Pd", "Zero Distance", 0, 1, 0.5},
        {14, "Pa", "Zero Angle", 0, kPi, kPi / 2},
        {15, "A1", "Pole Real", -1, 1, 0.25},
        {16, "B1", "Zero Real", -1, 1, -0.25},
    };
    for (const RecordCase& record : records)
    {
        ExpectRecord(Dsp::MakeParamInfo(static_cast<Dsp::ParamKind>(record.kind)), record);
    }
    ExpectRecord(Dsp::MakeCenterFrequencyInfo(), {1, "Fc", "Center Frequency", 10, 22040, 2000});
    ExpectRecord(Dsp::MakeOrderInfo(8), {7, "Order", "Order", 1, 8, 2});
}

struct DesignCase
{
    std::shared_ptr<Dsp::Filter> filter;
    int designKind;
    const char* designName;
    std::vector<RecordCase> positions;
};

std::vector<DesignCase> AllDesigns()
{
    return {
        {std::make_shared<LowPass>(),
         0,
         "Legendre Low Pass",
         {{0, "Fs", "Sample Rate", 11025, 192000, 44100},
          {7, "Order", "Order", 1, 8, 2},
          {1, "Fc", "Cutoff Frequency", 10, 22040, 2000}}},
        {std::make_shared<BandPass>(),
         1,
         "Butterworth Band Pass",
         {{0, "Fs", "Sample Rate", 11025, 192000, 44100},
          {7, "Order", "Order", 1, 4, 2},
          {1, "Fc", "Center Frequency", 10, 22040, 2000},
          {4, "BW", "Bandwidth (Hz)", 10, 22040, 1720}}},
        {std::make_shared<Shelf>(),
         6,
         "RBJ Band Shelf",
         {{0, "Fs", "Sample Rate", 11025, 192000, 44100},
          {1, "Fc", "Center Frequency", 10, 22040, 2000},
          {5, "Gain", "Gain", -24, 24, -6},
          {3, "BW", "Bandwidth (Octaves)", -4, 4, 1}}},
    };
}

TEST(FilterInterface, DesignsDescribeThemselves)
{
    for (const DesignCase& design : AllDesigns())
    {
        const Dsp::Filter& filter = *design.filter;
        EXPECT_EQ(filter.DesignKind(), design.designKind);
        EXPECT_STREQ(filter.DesignName(), design.designName);
        EXPECT_EQ(filter.ChannelCount(), 2);
        ASSERT_EQ(filter.ParamCount(), static_cast<int>(design.positions.size()));
        for (int position = 0; position < filter.ParamCount(); ++position)
        {
            ExpectRecord(filter.GetParamInfo(position), design.positions[position]);
        }
    }
}

TEST(FilterInterface, BadParamPositionIsALogicError)
{
    for (const DesignCase& design : AllDesigns())
    {
        for (int position : {-1, design.filter->ParamCount(), Dsp::kMaxParams})
        {
            try
            {
                design.filter->GetParamInfo(position);
                ADD_FAILURE() << design.designName << " accepted position " << position;
            }
            catch (const std::logic_error& error)
            {
                EXPECT_STREQ(error.what(), "invalid usage of ParamInfo");
            }
        }
    }
}

TEST(ParamInfo, Mappings)
{
    struct Case
    {
        ParamInfo info;
        double nativeValue;
        double controlValue;
    };
    const ParamInfo sampleRate = Dsp::MakeParamInfo(Dsp::kParamSampleRate);
    const ParamInfo frequency = Dsp::MakeParamInfo(Dsp::kParamFrequency);
    const ParamInfo octaves = Dsp::MakeParamInfo(Dsp::kParamBandwidthOctaves);
    const ParamInfo gain = Dsp::MakeParamInfo(Dsp::kParamGain);
    const Case cases[] = {
        {sampleRate, 11025, 0.0},
        {sampleRate, 192000, 1.0},
        {sampleRate, 44100, (44100.0 - 11025.0) / (192000.0 - 11025.0)},
        {gain, 0, 0.5},
        {gain, -6, 0.375},
        {frequency, 10, 0.0},
        {frequency, 22040, 1.0},
        {frequency, std::sqrt(10.0 * 22040.0), 0.5},
        {frequency, 2000, std::log(200.0) / std::log(2204.0)},
        {octaves, 1, 0.5},
        {octaves, 2, 0.625},
        {octaves, 1.0 / 16.0, 0.0},
    };
    for (const Case& c : cases)
    {
        EXPECT_NEAR(c.info.ToControlValue(c.nativeValue), c.controlValue, 1e-12)
            << c.info.label << " " << c.nativeValue;
        EXPECT_NEAR(c.info.ToNativeValue(c.controlValue), c.nativeValue,
                    1e-9 * std::fabs(c.nativeValue) + 1e-12)
            << c.info.label << " " << c.controlValue;
    }
}

TEST(ParamInfo, IntegerMappingRoundsToTheNearestOrder)
{
    const ParamInfo order = Dsp::MakeOrderInfo(4);
    EXPECT_DOUBLE_EQ(order.ToControlValue(2), 1.0 / 3.0);
    const double positions[] = {0.0, 0.16, 0.17, 0.4, 0.5, 0.84, 1.0};
    const double orders[] = {1, 1, 2, 2, 3, 4, 4};
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ(order.ToNativeValue(positions[i]), orders[i]) << positions[i];
    }
}

TEST(ParamInfo, Texts)
{
    struct Case
    {
        ParamInfo info;
        double value;
        const char* text;
    };
    const ParamInfo sampleRate = Dsp::MakeParamInfo(Dsp::kParamSampleRate);
    const ParamInfo octaves = Dsp::MakeParamInfo(Dsp::kParamBandwidthOctaves);
    const ParamInfo gain = Dsp::MakeParamInfo(Dsp::kParamGain);
    const ParamInfo order = Dsp::MakeOrderInfo(8);
    const Case cases[] = {
        {sampleRate, 44100, "44100 Hz"},
        {sampleRate, 123456.7, "123457 Hz"},
        {Dsp::MakeCenterFrequencyInfo(), 231.5633, "231.563 Hz"},
        {octaves, 1.0 / 3.0, "0.333"},
        {octaves, -2, "-2.000"},
        {order, 4, "4"},
        {gain, -6, "-6.00 dB"},
        {gain, 0.5, "0.500 dB"},
        {gain, -0.25, "-0.250 dB"},
        {gain, 15, "15.0 dB"},
        {gain, -24, "-24.0 dB"},
        {gain, 9.5, "9.50 dB"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.info.ToString(c.value), c.text) << c.info.label << " " << c.value;
    }
}

TEST(FilterInterface, SetParamByIdChangesOnlyTheMatchingPosition)
{
    Shelf shelf;
    const Dsp::FilterParams start{44100, 1000, 3, 1.0 / 3.0, 7, 8, 9, 10};
    shelf.SetParams(start);
    shelf.SetParamById(Dsp::kParamGain, -4.5);
    Dsp::FilterParams expected = start;
    expected[2] = -4.5;
    EXPECT_EQ(shelf.GetParams(), expected);
    EXPECT_EQ(shelf.RemainingTransitionSamples(), Shelf::kTransitionSamples);
}

TEST(FilterInterface, SetParamByIdWithAMissingKindDoesNothing)
{
    Shelf shelf;
    BandPass band;
    LowPass lowPass;
    shelf.SetParams({44100, 1000, 3, 1.0 / 3.0});
    band.SetParams({44100, 4, 1000, 231});
    lowPass.SetParams({88200, 8, 22050});
    for (Dsp::Filter* filter : std::initializer_list<Dsp::Filter*>{&shelf, &band, &lowPass})
    {
        const Dsp::FilterParams before = filter->GetParams();
        const auto responseBefore = filter->Response(0.02);
        filter->SetParamById(Dsp::kParamQ, 0.7);
        EXPECT_EQ(filter->GetParams(), before) << filter->DesignName();
        EXPECT_EQ(filter->Response(0.02), responseBefore) << filter->DesignName();
    }
    EXPECT_EQ(shelf.RemainingTransitionSamples(), 0);
}

} // namespace
