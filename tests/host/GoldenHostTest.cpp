#include "../../tools/golden/GoldenRenders.h"
#include "RenderSupport.h"

// The golden renders, which the processor reproduces when built into a test, come
// out of every built binary unchanged: the formats' wrappers and hosts deliver the
// same parameters and notes to the same blocks and add nothing to the sound.

void PrintTo (const GoldenRender& golden, std::ostream* os)
{
    *os << golden.name;
}

namespace
{
class GoldenThroughFormat : public ::testing::TestWithParam<std::tuple<PluginFormat, GoldenRender>>
{
};

std::string testName (const ::testing::TestParamInfo<std::tuple<PluginFormat, GoldenRender>>& info)
{
    return std::string (std::get<0> (info.param).name) + "_" + std::get<1> (info.param).name;
}
} // namespace

TEST_P (GoldenThroughFormat, BinaryRendersTheStoredSamples)
{
    const auto& [format, golden] = GetParam();
    const auto expected = WavFile::read (juce::File (TORAVEL_TEST_DATA).getChildFile (golden.fileName()));
    ASSERT_TRUE (expected.valid) << golden.fileName() << " is missing; toravel-golden makes it";

    RenderHome home;
    ASSERT_TRUE (home.isReady());
    const auto out = home.file ("golden.wav");
    auto options = golden.renderArguments();
    options.addArray ({ "-o", out.getFullPathName() });
    const auto result = home.render (format.plugin, options);
    ASSERT_EQ (result.exitCode, 0) << result.output;

    const auto actual = WavFile::read (out);
    ASSERT_TRUE (actual.valid);
    ASSERT_TRUE (actual.floatingPoint);
    ASSERT_EQ (actual.audio.getNumChannels(), expected.audio.getNumChannels());
    ASSERT_EQ (actual.audio.getNumSamples(), expected.audio.getNumSamples());
    for (int c = 0; c < actual.audio.getNumChannels(); ++c)
        for (int i = 0; i < actual.audio.getNumSamples(); ++i)
            ASSERT_EQ (actual.audio.getSample (c, i), expected.audio.getSample (c, i))
                << "channel " << c << ", sample " << i;
}

INSTANTIATE_TEST_SUITE_P (Golden, GoldenThroughFormat,
                          ::testing::Combine (::testing::ValuesIn (pluginFormats),
                                              ::testing::ValuesIn (goldenRenders())),
                          testName);
