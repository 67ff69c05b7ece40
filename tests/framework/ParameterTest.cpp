#include "framework/IPlugParameter.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace
{

std::string HostText(const IPlugParameter& p, double v, bool normalised, bool useTexts)
{
    char text[kParamTextCapacity];
    p.FormatForHost(v, normalised, text, useTexts);
    return text;
}

IPlugParameter& BandGain(IPlugParameter& p)
{
    p.DefineDouble("Gain 0", 0.0, -15.0, 15.0, 0.1, "dB", "", 1.0);
    return p;
}

IPlugParameter& FourValueEnum(IPlugParameter& p)
{
    p.DefineEnum("Analyzer dB per led", 3, 4, "", "");
    p.AddDisplayText(0, "1");
    p.AddDisplayText(1, "2");
    p.AddDisplayText(2, "3");
    p.AddDisplayText(3, "6");
    return p;
}

TEST(Parameter, FreshParameterHasNeutralMembers)
{
    IPlugParameter p;
    EXPECT_EQ(p.Kind(), ParameterKind::None);
    EXPECT_EQ(p.Value(), 0.0);
    EXPECT_EQ(p.Min(), 0.0);
    EXPECT_EQ(p.Max(), 1.0);
    EXPECT_EQ(p.Step(), 1.0);
    EXPECT_EQ(p.Shape(), 1.0);
    EXPECT_STREQ(p.Name(), "");
    EXPECT_STREQ(p.Label(), "");
    EXPECT_TRUE(p.CanAutomate());
    EXPECT_EQ(p.DisplayTextCount(), 0);
}

TEST(Parameter, BandGainMapsCentreToHalfAndShowsOneDecimal)
{
    IPlugParameter p;
    BandGain(p);
    EXPECT_EQ(p.Kind(), ParameterKind::Double);
    EXPECT_EQ(p.Precision(), 1);
    EXPECT_DOUBLE_EQ(p.Normalized(), 0.5);
    p.SetFromNormalized(0.5);
    EXPECT_DOUBLE_EQ(p.Value(), 0.0);
    EXPECT_EQ(HostText(p, 0.0, false, true), "0.0");
    EXPECT_EQ(HostText(p, 0.75, true, true), "7.5");
    EXPECT_STREQ(p.Label(), "dB");
}

// A value that rounds to zero shows no sign: "-0.0" would tell the reader something false.
TEST(Parameter, ValuesThatRoundToZeroShowNoSign)
{
    IPlugParameter p;
    BandGain(p);
    const std::pair<double, const char*> cases[] = {
        {-0.04, "0.0"},  {-0.0, "0.0"},    {0.04, "0.0"},    {-0.05, "-0.1"},
        {-0.06, "-0.1"}, {-15.0, "-15.0"}, {-1e-300, "0.0"},
    };
    for (const auto& [value, text] : cases)
    {
        EXPECT_EQ(HostText(p, value, false, false), text) << value;
    }
}

TEST(Parameter, DoubleWithWholeStepRoundsHalvesAwayFromZero)
{
    IPlugParameter amount;
    amount.DefineDouble("Eq Amount", 50.0, 0.0, 100.0, 1.0, "%", "", 1.0);
    amount.SetFromNormalized(0.505);
    EXPECT_EQ(amount.Value(), 51.0);
    EXPECT_EQ(HostText(amount, amount.Value(), false, true), "51");

    IPlugParameter symmetric;
    symmetric.DefineDouble("Offset", 0.0, -10.0, 10.0, 1.0);
    symmetric.SetFromNormalized(0.475); // -0.5
    EXPECT_EQ(symmetric.Value(), -1.0);
    // Whole-number texts truncate towards zero and never read "-0".
    EXPECT_EQ(HostText(symmetric, -0.4, false, false), "0");
    EXPECT_EQ(HostText(symmetric, -7.9, false, false), "-7");
}

TEST(Parameter, DoubleWithFractionalStepIsNotRounded)
{
    IPlugParameter p;
    BandGain(p);
    p.SetFromNormalized(0.123);
    EXPECT_NEAR(p.Value(), 0.123 * 30.0 - 15.0, 1e-12);
}

TEST(Parameter, EnumRoundsToNearestTenthNotToWholeValue)
{
    IPlugParameter p;
    FourValueEnum(p);
    EXPECT_EQ(p.Kind(), ParameterKind::Enum);
    EXPECT_EQ(p.Max(), 3.0);
    EXPECT_EQ(p.Precision(), 1);
    p.SetFromNormalized(0.5);
    EXPECT_DOUBLE_EQ(p.Value(), 1.5);
    EXPECT_EQ(HostText(p, p.Value(), false, true), "2");
    EXPECT_STREQ(p.Label(), "");
}

TEST(Parameter, PrecisionFollowsTheStep)
{
    struct Case
    {
        double step;
        int precision;
    };
    const Case cases[] = {{1.0, 0}, {0.1, 1}, {0.5, 1}, {0.25, 2}, {0.001, 3}, {1e-7, 6}, {2.0, 0}};
    for (const Case& c : cases)
    {
        IPlugParameter p;
        p.DefineDouble("p", 0.0, 0.0, 10.0, c.step);
        EXPECT_EQ(p.Precision(), c.precision) << "step " << c.step;
    }
}

TEST(Parameter, RangeNarrowerThanOneStepIsWidened)
{
    IPlugParameter p;
    p.DefineDouble("p", 5.0, 5.0, 5.0, 1.0);
    EXPECT_EQ(p.Max(), 6.0);
}

TEST(Parameter, ShapeZeroKeepsPreviousShape)
{
    IPlugParameter p;
    p.DefineDouble("p", 0.0, 0.0, 1.0, 0.01, "", "", 2.0);
    EXPECT_EQ(p.Shape(), 2.0);
    EXPECT_DOUBLE_EQ(p.ToNormalized(0.25), 0.5);
    p.SetFromNormalized(0.5);
    EXPECT_DOUBLE_EQ(p.Value(), 0.25);
    p.DefineDouble("p", 0.0, 0.0, 1.0, 0.01, "", "", 0.0);
    EXPECT_EQ(p.Shape(), 2.0);
}

TEST(Parameter, KindSetBeforeStays)
{
    IPlugParameter p;
    p.DefineBool("Flag", true);
    EXPECT_EQ(p.Kind(), ParameterKind::Bool);
    p.DefineDouble("Flag", 0.0, 0.0, 1.0, 0.1);
    EXPECT_EQ(p.Kind(), ParameterKind::Bool);
}

TEST(Parameter, BoolShowsTextsOrNumbers)
{
    IPlugParameter p;
    p.DefineBool("Enable peak display", true);
    EXPECT_EQ(p.Value(), 1.0);
    EXPECT_EQ(p.Step(), 0.1);
    EXPECT_EQ(p.Precision(), 1);
    EXPECT_EQ(p.DisplayTextCount(), 2);
    EXPECT_EQ(HostText(p, 1.0, false, true), "on");
    EXPECT_EQ(HostText(p, 0.0, false, true), "off");
    EXPECT_EQ(HostText(p, 1.0, false, false), "1.0");
    EXPECT_EQ(HostText(p, 0.0, false, false), "0.0");
}

TEST(Parameter, DisplayTextLookups)
{
    IPlugParameter p;
    p.DefineEnum("Display Mode", 0, 2, "", "");
    p.AddDisplayText(0, "L + R");
    p.AddDisplayText(1, "L - R");
    p.AddDisplayText(1, "duplicate");

    int value = -1;
    EXPECT_TRUE(p.FindDisplayText("L - R", &value));
    EXPECT_EQ(value, 1);
    value = -1;
    EXPECT_FALSE(p.FindDisplayText("L - r", &value));
    EXPECT_FALSE(p.FindDisplayText(nullptr, &value));
    EXPECT_EQ(value, -1);

    EXPECT_STREQ(p.DisplayTextFor(1), "L - R");
    EXPECT_STREQ(p.DisplayTextFor(7), "");
    EXPECT_STREQ(p.DisplayTextAt(2, &value), "duplicate");
    EXPECT_EQ(value, 1);
    value = -1;
    EXPECT_STREQ(p.DisplayTextAt(3, &value), "");
    EXPECT_STREQ(p.DisplayTextAt(-1, &value), "");
    EXPECT_EQ(value, -1);
}

TEST(Parameter, LabelIsHiddenOnlyWhileTheValueHasAText)
{
    IPlugParameter p;
    p.DefineEnum("Mode", 0, 3, "units", "");
    p.AddDisplayText(0, "zero");
    EXPECT_STREQ(p.Label(), "");
    p.SetClamped(1.0);
    EXPECT_STREQ(p.Label(), "units");
    EXPECT_STREQ(p.UnitLabel(), "units");
}

TEST(Parameter, ToNormalizedClampsBeyondTheRange)
{
    IPlugParameter p;
    BandGain(p);
    EXPECT_EQ(p.ToNormalized(-100.0), 0.0);
    EXPECT_EQ(p.ToNormalized(100.0), 1.0);
    EXPECT_DOUBLE_EQ(p.ToNormalized(7.5), 0.75);
}

TEST(Parameter, SetClampedClampsWithoutRounding)
{
    IPlugParameter p;
    FourValueEnum(p);
    p.SetClamped(1.37);
    EXPECT_EQ(p.Value(), 1.37);
    p.SetClamped(-2.0);
    EXPECT_EQ(p.Value(), 0.0);
    p.SetClamped(9.0);
    EXPECT_EQ(p.Value(), 3.0);
}

TEST(Parameter, NonFiniteValuesAreNotStored)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf})
    {
        IPlugParameter p;
        BandGain(p);
        p.SetClamped(4.5);
        p.SetFromNormalized(bad);
        EXPECT_EQ(p.Value(), 4.5) << bad;
        p.SetClamped(bad);
        EXPECT_EQ(p.Value(), 4.5) << bad;
    }
}

TEST(Parameter, NormalisedValuesOutsideTheUnitRangeAreClamped)
{
    IPlugParameter p;
    BandGain(p);
    p.SetFromNormalized(-0.5);
    EXPECT_EQ(p.Value(), -15.0);
    p.SetFromNormalized(1.5);
    EXPECT_EQ(p.Value(), 15.0);
}

TEST(Parameter, LongTextsAreTruncatedToTheirBuffers)
{
    const std::string longText(100, 'x');
    IPlugParameter p;
    p.DefineDouble(longText.c_str(), 0.0, 0.0, 1.0, 0.1, longText.c_str(), longText.c_str());
    p.AddDisplayText(0, longText.c_str());
    EXPECT_EQ(std::string(p.Name()), longText.substr(0, kParamTextCapacity - 1));
    EXPECT_EQ(std::string(p.UnitLabel()), longText.substr(0, kParamTextCapacity - 1));
    EXPECT_EQ(std::string(p.Group()), longText.substr(0, kParamTextCapacity - 1));
    EXPECT_EQ(std::string(p.DisplayTextFor(0)), longText.substr(0, kParamTextCapacity - 1));
}

TEST(Parameter, ValueTextsNeverOverflowTheirBuffer)
{
    IPlugParameter wide;
    wide.DefineDouble("wide", 0.0, -1e300, 1e300, 1.0);
    IPlugParameter fine;
    fine.DefineDouble("fine", 0.0, -1e300, 1e300, 1e-6);
    for (const IPlugParameter* p : {&wide, &fine})
    {
        char text[kParamTextCapacity + 8];
        std::memset(text, '#', sizeof(text));
        p->FormatForHost(-1e300, false, text, false);
        EXPECT_EQ(std::strlen(text), kParamTextCapacity - 1);
        EXPECT_EQ(text[kParamTextCapacity], '#');

        char small[4];
        p->FormatForHost(123456.0, false, small, false, sizeof(small));
        EXPECT_STREQ(small, "123");
    }
}

TEST(FixedText, CopiesTruncatesAndTerminates)
{
    char buffer[4] = {'a', 'b', 'c', 'd'};
    CopyFixedText(buffer, sizeof(buffer), "hello");
    EXPECT_STREQ(buffer, "hel");
    CopyFixedText(buffer, sizeof(buffer), nullptr);
    EXPECT_STREQ(buffer, "");
}

} // namespace
