#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr int continuous = 2147483647;

struct Expected
{
    const char* name;
    float defaultValue;
    int steps;
    // Only the continuous parameters carry a unit.
    const char* unitLabel = nullptr;
};

const Expected table[30] = {
    { "gain", 0.5f, continuous, "%" },
    { "trail", 0.1f, continuous, "sec" },
    { "carrier", 0.5f, continuous, "hz" },
    { "ratio_x", 0.5f, continuous, "" },
    { "ratio_y", 0.52f, continuous, "" },
    { "ratio_z", 0.5f, continuous, "" },
    { "vel_x", 0.0294f, continuous, "%m/s" },
    { "vel_y", 0.0f, continuous, "m/s" },
    { "vel_z", 0.0f, continuous, "m/s" },
    { "bnd_x1", 0.4f, continuous, "m" },
    { "bnd_x2", 0.4f, continuous, "m" },
    { "bnd_y1", 0.0f, continuous, "m" },
    { "bnd_y2", 0.0f, continuous, "m" },
    { "bnd_z1", 0.0f, continuous, "m" },
    { "bnd_z2", 0.0f, continuous, "m" },
    { "attack", 0.1f, continuous, "sec" },
    { "decay", 0.1f, continuous, "sec" },
    { "sustain", 0.8f, continuous, "%" },
    { "release", 0.5f, continuous, "sec" },
    { "ADSR", 0.0f, 2 },
    { "symm_x", 0.0f, 2 },
    { "symm_y", 0.0f, 2 },
    { "symm_z", 0.0f, 2 },
    { "motion_type", 0.25f, 5 },
    { "doppler_type", 0.0f, 4 },
    { "gain_type", 0.0f, 3 },
    { "pan_type", 0.33f, 4 },
    { "osc1_type", 0.0f, 7 },
    { "ratio_type", 0.0f, 3 },
    { "filter_type", 0.0f, 3 },
};

float snapshot (QuorvelV2AudioProcessor& p, int index, bool scaled)
{
    return scaled ? p.getScaledParameter (index) : p.getParameter (index);
}
} // namespace

TEST (ParameterTable, NamesDefaultsAndStepsInIndexOrder)
{
    QuorvelV2AudioProcessor p;
    ASSERT_EQ (p.getNumParameters(), 30);
    ASSERT_EQ (p.parameters.size(), 30);
    for (int i = 0; i < 30; ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (p.getParameterName (i), juce::String (table[i].name));
        EXPECT_STREQ (trParamNames[i], table[i].name);
        EXPECT_EQ (p.parameters[i]->identifier, juce::String (table[i].name));
        EXPECT_EQ (p.getParameterDefaultValue (i), table[i].defaultValue);
        EXPECT_EQ (p.getParameterNumSteps (i), table[i].steps);
        EXPECT_EQ (p.parameters[i]->toNormalised == nullptr, i >= 19);
        if (table[i].unitLabel != nullptr)
        {
            EXPECT_EQ (p.parameters[i]->unitLabel, juce::String (table[i].unitLabel));
        }
        // No unit label reaches a host.
        EXPECT_TRUE (p.getParameterLabel (i).isEmpty());
    }
}

TEST (ParameterTable, DefaultsAreScaledAtConstruction)
{
    QuorvelV2AudioProcessor p;
    EXPECT_EQ (p.getParameterText (0), "1");
    EXPECT_EQ (p.getParameterText (2), "501");
    EXPECT_EQ (p.getParameterText (6), "9.996");
    EXPECT_EQ (p.getScaledParameter (15), 0.4f);
    EXPECT_EQ (p.getScaledParameter (17), 0.8f);
    EXPECT_EQ (p.getScaledParameter (18), 2.0f);
    EXPECT_EQ (p.getScaledParameter (23), 1.0f);
    EXPECT_EQ (p.getScaledParameter (26), 1.0f);
    EXPECT_EQ (p.getScaledParameter (11), 0.1f);
    EXPECT_EQ (p.getParameterNumSteps (0), continuous);
    EXPECT_EQ (p.getParameterNumSteps (27), 7);
}

TEST (ParameterText, SixSignificantDigitsOfTheScaledValue)
{
    QuorvelV2AudioProcessor p;
    p.setParameter (4, 0.52f);
    EXPECT_EQ (p.getParameterText (4), "0.760408");
    p.setParameter (3, 0.5f);
    EXPECT_EQ (p.getParameterText (3), "0.625");
    p.setScaledParameter (2, 123.456789f);
    EXPECT_EQ (p.getParameterText (2), "123.457");
}

TEST (SetParameter, ClampsTheNormalisedValueAndScalesIt)
{
    QuorvelV2AudioProcessor p;
    p.setParameter (0, 1.5f);
    EXPECT_EQ (p.getParameter (0), 1.0f);
    EXPECT_EQ (p.getScaledParameter (0), 8.0f);

    p.setParameter (2, -0.2f);
    EXPECT_EQ (p.getParameter (2), 0.0f);
    EXPECT_EQ (p.getScaledParameter (2), 1.0f);

    p.setParameter (9, 0.05f);
    EXPECT_EQ (p.getParameter (9), 0.05f);
    EXPECT_EQ (p.getScaledParameter (9), 0.1f);

    p.setParameter (23, 0.125f);
    EXPECT_EQ (p.getScaledParameter (23), 1.0f);
    p.setParameter (23, 0.9f);
    EXPECT_EQ (p.getScaledParameter (23), 4.0f);
}

// A host that sends NaN must not poison the engine: it reads as the lower end.
TEST (SetParameter, NotANumberReadsAsZero)
{
    QuorvelV2AudioProcessor p;
    p.setParameter (2, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (p.getParameter (2), 0.0f);
    EXPECT_EQ (p.getScaledParameter (2), 1.0f);
}

TEST (SetScaledParameter, KeepsTheScaledValueUnclamped)
{
    QuorvelV2AudioProcessor p;
    p.setScaledParameter (0, 10.0f);
    EXPECT_EQ (p.getScaledParameter (0), 10.0f);
    EXPECT_EQ (p.getParameter (0), 1.0f);

    p.setScaledParameter (2, -50.0f);
    EXPECT_EQ (p.getScaledParameter (2), -50.0f);
    EXPECT_EQ (p.getParameter (2), 0.0f);

    p.setScaledParameter (9, 0.1f);
    EXPECT_NEAR (p.getParameter (9), 0.1f, 1e-6f);

    p.setScaledParameter (6, 170.0f);
    EXPECT_EQ (p.getParameter (6), 0.5f);
}

TEST (SetScaledParameter, LeavesTheNormalisedValueOfChoicesAlone)
{
    QuorvelV2AudioProcessor p;
    p.setScaledParameter (23, 3.0f);
    EXPECT_EQ (p.getScaledParameter (23), 3.0f);
    EXPECT_EQ (p.getParameter (23), 0.25f);

    p.parameters[19]->setScaledValue (1.0f, true);
    EXPECT_EQ (p.getParameter (19), 0.0f);
}

TEST (SetScaledParameter, WithoutNormalisedUpdateOnlyTheScaledValueMoves)
{
    ZKParameter param ("carrier", 0.5f, paramToCarrier, carrierToParam, "hz", "carrier",
                       juce::AudioProcessor::getDefaultNumParameterSteps());
    param.setScaledValue (900.0f, false);
    EXPECT_EQ (param.scaledValue.load(), 900.0f);
    EXPECT_EQ (param.normalisedValue.load(), 0.5f);
}

TEST (ParameterIndex, OutsideTheTableReadsNothingAndWritesNothing)
{
    QuorvelV2AudioProcessor p;
    float before[30];
    for (int i = 0; i < 30; ++i)
        before[i] = p.getParameter (i);

    for (int index : { 30, -1, 1000, std::numeric_limits<int>::min() })
    {
        SCOPED_TRACE (index);
        EXPECT_EQ (p.getParameter (index), 0.0f);
        EXPECT_EQ (p.getScaledParameter (index), 0.0f);
        EXPECT_EQ (p.getParameterDefaultValue (index), 0.0f);
        EXPECT_TRUE (p.getParameterName (index).isEmpty());
        EXPECT_TRUE (p.getParameterText (index).isEmpty());
        EXPECT_EQ (p.getParameterNumSteps (index), 0);
        p.setParameter (index, 0.9f);
        p.setScaledParameter (index, 0.9f);
    }

    for (int i = 0; i < 30; ++i)
        EXPECT_EQ (p.getParameter (i), before[i]) << i;
}

TEST (ZKParameterConstruction, XmlIdentifierIsReplacedByTheName)
{
    ZKParameter renamed ("carrier", 0.5f, paramToCarrier, carrierToParam, "hz", "xml", 7);
    EXPECT_EQ (renamed.identifier, "carrier");
    EXPECT_EQ (renamed.name, "carrier");
    EXPECT_EQ (renamed.unitLabel, "hz");
    EXPECT_EQ (renamed.scaledValue.load(), 501.0f);
    EXPECT_EQ (renamed.numSteps, 7);

    ZKParameter kept ("carrier", 0.5f, paramToCarrier, carrierToParam, "hz", "freq", 7);
    EXPECT_EQ (kept.identifier, "freq");
}

// Host automation and the engine's own reads meet on the atomics: a reader sees
// only values that some writer stored, each whole.
TEST (ParameterValues, ConcurrentWritesAndReadsSeeWholeValues)
{
    QuorvelV2AudioProcessor p;
    std::atomic<bool> stop{ false };
    std::thread writer (
        [&]
        {
            for (int i = 0; i < 200000; ++i)
                p.setParameter (0, (i & 1) ? 1.0f : 0.5f);
            stop = true;
        });

    int bad = 0;
    while (!stop)
    {
        const float n = snapshot (p, 0, false);
        const float s = snapshot (p, 0, true);
        bad += (n != 1.0f && n != 0.5f) ? 1 : 0;
        bad += (s != 8.0f && s != 1.0f) ? 1 : 0;
    }
    writer.join();
    EXPECT_EQ (bad, 0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
