#include "../../tools/golden/GoldenRenders.h"

#include <JuceHeader.h>
#include <gtest/gtest.h>

#include <cstring>

// The processor's renders of fixed settings, sample for sample as they were when the
// golden files were last made on purpose (toravel-golden).

void PrintTo (const GoldenRender& golden, std::ostream* os)
{
    *os << golden.name;
}

namespace
{
class GoldenRenderTest : public ::testing::TestWithParam<GoldenRender>
{
};

// Bit patterns, so that a NaN in both still matches and -0 differs from +0.
juce::uint32 bitsOf (float value)
{
    juce::uint32 bits;
    std::memcpy (&bits, &value, sizeof bits);
    return bits;
}

std::string goldenName (const ::testing::TestParamInfo<GoldenRender>& info)
{
    return info.param.name;
}

bool readGolden (const juce::File& file, juce::AudioBuffer<float>& audio, double& sampleRate)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));
    if (reader == nullptr || !reader->usesFloatingPointData || reader->bitsPerSample != 32)
        return false;
    sampleRate = reader->sampleRate;
    audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
    return reader->read (&audio, 0, (int) reader->lengthInSamples, 0, true, true);
}
} // namespace

TEST_P (GoldenRenderTest, ProcessorRendersTheStoredSamples)
{
    const auto& golden = GetParam();
    juce::AudioBuffer<float> expected;
    double goldenRate = 0.0;
    const auto file = juce::File (TORAVEL_TEST_DATA).getChildFile (golden.fileName());
    ASSERT_TRUE (readGolden (file, expected, goldenRate))
        << file.getFullPathName() << " is missing or no 32-bit float WAV; toravel-golden makes it";

    std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());
    const auto job = golden.job();
    prepareForRender (*processor, job);
    ASSERT_TRUE (applySettings (*processor, job.settings).isEmpty());
    juce::AudioBuffer<float> actual;
    render (*processor, job, actual);

    EXPECT_EQ (goldenRate, job.sampleRate);
    ASSERT_EQ (actual.getNumChannels(), expected.getNumChannels());
    ASSERT_EQ (actual.getNumSamples(), expected.getNumSamples());
    EXPECT_GT (expected.getMagnitude (0, expected.getNumSamples()), 0.0f);
    for (int c = 0; c < actual.getNumChannels(); ++c)
        for (int i = 0; i < actual.getNumSamples(); ++i)
            ASSERT_EQ (bitsOf (actual.getSample (c, i)), bitsOf (expected.getSample (c, i)))
                << "channel " << c << ", sample " << i << ": " << actual.getSample (c, i) << " instead of "
                << expected.getSample (c, i);
}

INSTANTIATE_TEST_SUITE_P (Golden, GoldenRenderTest, ::testing::ValuesIn (goldenRenders()), goldenName);
