#include "al/Dbap.h"
#include "al/Listener.h"
#include "al/SoundSource.h"
#include "al/StereoPanner.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace
{
// The processor's layout: channel 0 to the left, channel 1 to the right.
al::SpeakerLayout stereoLayout()
{
    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (0, -90.0f, 0.0f, 1.0f, 1.0f));
    layout.addSpeaker (al::Speaker (1, 90.0f, 0.0f, 1.0f, 1.0f));
    return layout;
}

struct Outputs
{
    explicit Outputs (int channels, int frames, float fill = 0.0f)
        : data ((std::size_t) channels, std::vector<float> ((std::size_t) frames, fill))
    {
        for (auto& c : data)
            ptrs.push_back (c.data());
    }
    float** get() { return ptrs.data(); }
    std::vector<std::vector<float>> data;
    std::vector<float*> ptrs;
};

std::string compileCapturingOutput (al::Spatializer& panner)
{
    al::Listener listener (64, &panner);
    testing::internal::CaptureStdout();
    panner.compile (listener);
    return testing::internal::GetCapturedStdout();
}

void performAt (al::Spatializer& panner, Outputs& out, double x, float sample, int frame = 0, double y = 0.0,
                double z = 0.0)
{
    al::SoundSource src (0.1, 20.0, al::ATTEN_INVERSE, al::DOPPLER_DELAY, 0.0, 4);
    al::Vec<3, double> rel (x, y, z);
    const int n = int (out.data[0].size());
    panner.perform (out.get(), src, rel, n, frame, sample);
}

// The pan law step by step: the position clamped in float, the half-angle fraction in
// float, the angle and its cosine and sine in double, each gain narrowed once.
void stereoGains (double relX, float& left, float& right)
{
    float x = float (relX);
    x = std::min (1.0f, std::max (-1.0f, x));
    const float fraction = (x + 1.0f) * 0.5f;
    const double angle = double (fraction) * 1.5707963267948966;
    left = float (std::cos (angle));
    right = float (std::sin (angle));
}

// The distance law: the distance in double to the float speaker position, narrowed to
// float, then powf (1 / (d + 1), focus) in float.
float dbapGain (const al::Vec<3, double>& rel, const al::Vec<3, float>& speaker, float focus)
{
    const double dx = rel[0] - double (speaker[0]);
    const double dy = rel[1] - double (speaker[1]);
    const double dz = rel[2] - double (speaker[2]);
    const float d = float (std::sqrt (dx * dx + dy * dy + dz * dz));
    return powf (1.0f / (d + 1.0f), focus);
}
} // namespace

TEST (StereoPanner, CompilePrintsItsLine)
{
    al::StereoPanner panner (stereoLayout());
    EXPECT_EQ (panner.numSpeakers, 0);
    EXPECT_EQ (compileCapturingOutput (panner), "Stereo Panner Compiled with 2 speakers\n");
    EXPECT_EQ (panner.numSpeakers, 2);
    EXPECT_TRUE (panner.enabled);
}

TEST (StereoPanner, EqualPowerLaw)
{
    al::StereoPanner panner (stereoLayout());
    compileCapturingOutput (panner);
    Outputs out (2, 4);

    performAt (panner, out, 0.0, 1.0f);
    EXPECT_EQ (out.data[0][0], 0.70710677f);
    EXPECT_EQ (out.data[1][0], 0.70710677f);

    performAt (panner, out, 1.0, 2.0f, 1);
    EXPECT_EQ (out.data[1][1], 2.0f);
    EXPECT_EQ (out.data[0][1], float (std::cos (1.5707963267948966)) * 2.0f);
    EXPECT_NEAR (out.data[0][1], 2 * 6.1e-17, 1e-18);

    performAt (panner, out, 5.0, 1.0f, 2);
    EXPECT_EQ (out.data[1][2], 1.0f);

    performAt (panner, out, -3.0, 1.0f, 3);
    EXPECT_EQ (out.data[0][3], 1.0f);
    EXPECT_EQ (out.data[1][3], 0.0f);

    // Left of centre is louder on the left, and the power stays constant.
    for (double x = -1.0; x <= 1.0; x += 0.125)
    {
        performAt (panner, out, x, 1.0f);
        const float l = out.data[0][0], r = out.data[1][0];
        EXPECT_NEAR (l * l + r * r, 1.0f, 1e-6f) << x;
        if (x < 0)
        {
            EXPECT_GT (l, r);
        }
        if (x > 0)
        {
            EXPECT_LT (l, r);
        }
    }
}

TEST (StereoPanner, StoresIntoChannelsZeroAndOneRegardlessOfDeviceChannels)
{
    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (5, -90.0f));
    layout.addSpeaker (al::Speaker (7, 90.0f));
    al::StereoPanner panner (layout);
    compileCapturingOutput (panner);
    Outputs out (2, 1, 9.0f);
    performAt (panner, out, 0.0, 1.0f);
    EXPECT_EQ (out.data[0][0], 0.70710677f);
    EXPECT_EQ (out.data[1][0], 0.70710677f);
}

TEST (StereoPanner, PanningOffHalvesPerSampleAndCopiesBlocks)
{
    al::StereoPanner panner (stereoLayout());
    compileCapturingOutput (panner);
    panner.enabled = false;
    Outputs out (2, 3);
    performAt (panner, out, 0.9, 0.8f, 1);
    EXPECT_EQ (out.data[0][1], 0.4f);
    EXPECT_EQ (out.data[1][1], 0.4f);

    float block[3] = { 0.25f, -0.5f, 1.0f };
    al::SoundSource src;
    al::Vec<3, double> rel (0.9, 0.0, 0.0);
    panner.perform (out.get(), src, rel, 3, block);
    for (int k = 0; k < 3; ++k)
    {
        EXPECT_EQ (out.data[0][(std::size_t) k], block[k]);
        EXPECT_EQ (out.data[1][(std::size_t) k], block[k]);
    }
}

TEST (StereoPanner, GainsFollowThePanLawExactly)
{
    al::StereoPanner panner (stereoLayout());
    compileCapturingOutput (panner);
    Outputs out (2, 1);

    float gL, gR;
    stereoGains (-0.498, gL, gR);
    EXPECT_EQ (gL, 0.923277259f);
    EXPECT_EQ (gR, 0.384134173f);
    performAt (panner, out, -0.498, 1.0f);
    EXPECT_EQ (out.data[0][0], gL);
    EXPECT_EQ (out.data[1][0], gR);

    // Near the left end the position's narrowing to float shows in the gains: a pan
    // angle taken from the double position would differ here.
    for (double x : { -0.998, -0.75, 0.001, 0.3, 0.999 })
    {
        stereoGains (x, gL, gR);
        performAt (panner, out, x, 0.6f);
        EXPECT_EQ (out.data[0][0], gL * 0.6f) << x;
        EXPECT_EQ (out.data[1][0], gR * 0.6f) << x;
    }
}

TEST (StereoPanner, BlockFormScalesEachSampleByThePanLawGains)
{
    al::StereoPanner panner (stereoLayout());
    compileCapturingOutput (panner);
    Outputs block (2, 4);
    float samples[4] = { 0.1f, -0.7f, 0.3f, 1.0f };
    al::SoundSource src;
    al::Vec<3, double> rel (-0.998, 0.5, 2.0);
    panner.perform (block.get(), src, rel, 4, samples);

    float gL, gR;
    stereoGains (-0.998, gL, gR);
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ (block.data[0][(std::size_t) k], samples[k] * gL) << k;
        EXPECT_EQ (block.data[1][(std::size_t) k], samples[k] * gR) << k;
    }
}

TEST (StereoPanner, OneSpeakerRefusesToPan)
{
    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (0));
    al::StereoPanner panner (layout);
    EXPECT_EQ (compileCapturingOutput (panner), "Stereo Panner Requires exactly 2 speakers, no panning will occur!\n");
    Outputs out (2, 1, 3.0f);
    performAt (panner, out, -0.5, 1.0f);
    EXPECT_EQ (out.data[0][0], 0.5f);
    EXPECT_EQ (out.data[1][0], 3.0f);
}

TEST (StereoPanner, UncompiledWritesNothing)
{
    al::StereoPanner panner (stereoLayout());
    Outputs out (2, 2, 7.0f);
    performAt (panner, out, 0.0, 1.0f);
    float block[2] = { 1.0f, 1.0f };
    al::SoundSource src;
    al::Vec<3, double> rel;
    panner.perform (out.get(), src, rel, 2, block);
    EXPECT_EQ (out.data[0], std::vector<float> (2, 7.0f));
    EXPECT_EQ (out.data[1], std::vector<float> (2, 7.0f));
}

TEST (Dbap, CompilePlacesSpeakers)
{
    al::Dbap dbap (stereoLayout(), 1.0f);
    EXPECT_EQ (dbap.numSpeakers, 0);
    EXPECT_EQ (dbap.speakerVecs[0].mag(), 0.0f);
    EXPECT_EQ (compileCapturingOutput (dbap), "DBAP Compiled with 2 speakers\n");
    EXPECT_EQ (dbap.numSpeakers, 2);
    EXPECT_EQ (dbap.speakerVecs[0][0], -1.0f);
    EXPECT_EQ (dbap.speakerVecs[0][1], 0.0f);
    EXPECT_NEAR (dbap.speakerVecs[0][2], -6.1e-17f, 1e-18f);
    EXPECT_EQ (dbap.speakerVecs[1][0], 1.0f);
    EXPECT_EQ (dbap.deviceChannels[0], 0);
    EXPECT_EQ (dbap.deviceChannels[1], 1);

    al::SpeakerLayout above;
    above.addSpeaker (al::Speaker (0, 0.0f, 90.0f, 2.0f));
    above.addSpeaker (al::Speaker (1, 180.0f, 0.0f, 3.0f));
    al::Dbap other (above, 1.0f);
    compileCapturingOutput (other);
    EXPECT_NEAR (other.speakerVecs[0][1], 2.0f, 1e-6f);
    EXPECT_NEAR (other.speakerVecs[1][2], 3.0f, 1e-6f);
}

TEST (Dbap, DistanceGainsAddIntoOutputs)
{
    al::Dbap dbap (stereoLayout(), 1.0f);
    compileCapturingOutput (dbap);
    Outputs out (2, 2, 0.25f);
    performAt (dbap, out, 0.0, 1.0f);
    EXPECT_EQ (out.data[0][0], 0.25f + 0.5f);
    EXPECT_EQ (out.data[1][0], 0.25f + 0.5f);

    // At the right speaker: full gain there, 1/3 from two metres away.
    performAt (dbap, out, 1.0, 1.0f, 1);
    EXPECT_NEAR (out.data[1][1], 0.25f + 1.0f, 1e-6f);
    EXPECT_NEAR (out.data[0][1], 0.25f + 1.0f / 3.0f, 1e-6f);

    al::Dbap sharp (stereoLayout(), 2.0f);
    compileCapturingOutput (sharp);
    Outputs o2 (2, 1);
    performAt (sharp, o2, 0.0, 1.0f);
    EXPECT_FLOAT_EQ (o2.data[0][0], 0.25f);
}

TEST (Dbap, GainsFollowTheDistanceLawExactly)
{
    const al::Vec<3, double> rel (-0.4, 0.2, -1.5);
    for (float focus : { 1.0f, 2.0f, 0.5f })
    {
        al::Dbap dbap (stereoLayout(), focus);
        compileCapturingOutput (dbap);
        Outputs out (2, 1);
        performAt (dbap, out, rel[0], 1.0f, 0, rel[1], rel[2]);
        EXPECT_EQ (out.data[0][0], dbapGain (rel, dbap.speakerVecs[0], focus)) << focus;
        EXPECT_EQ (out.data[1][0], dbapGain (rel, dbap.speakerVecs[1], focus)) << focus;
    }

    // Squared in float the gain rounds differently from a law taken in double
    // (0.144806564).
    const std::pair<float, float> expectedLeft[] = { { 1.0f, 0.380534589f }, { 2.0f, 0.144806579f } };
    for (const auto& [focus, left] : expectedLeft)
    {
        al::Dbap dbap (stereoLayout(), focus);
        compileCapturingOutput (dbap);
        Outputs out (2, 1);
        performAt (dbap, out, rel[0], 1.0f, 0, rel[1], rel[2]);
        EXPECT_EQ (out.data[0][0], left) << focus;
    }
}

TEST (Dbap, PanningOffAddsWholeSamplePerSpeaker)
{
    al::SpeakerLayout shared;
    shared.addSpeaker (al::Speaker (0, -90.0f));
    shared.addSpeaker (al::Speaker (0, 90.0f));
    al::Dbap dbap (shared, 1.0f);
    compileCapturingOutput (dbap);
    dbap.enabled = false;
    Outputs out (1, 1);
    performAt (dbap, out, 12.0, 0.75f);
    EXPECT_EQ (out.data[0][0], 1.5f);
}

TEST (Dbap, BlockFormMatchesPerSample)
{
    al::Dbap dbap (stereoLayout(), 1.0f);
    compileCapturingOutput (dbap);
    Outputs perSample (2, 3), block (2, 3);
    float samples[3] = { 0.5f, -1.0f, 0.125f };
    for (int k = 0; k < 3; ++k)
        performAt (dbap, perSample, -0.4, samples[k], k, 0.2, -1.5);
    al::SoundSource src;
    al::Vec<3, double> rel (-0.4, 0.2, -1.5);
    dbap.perform (block.get(), src, rel, 3, samples);
    EXPECT_EQ (perSample.data, block.data);
    EXPECT_GT (perSample.data[0][0], perSample.data[1][0]);
}

TEST (Dbap, UncompiledWritesNothingAndPrintHasItsLine)
{
    al::Dbap dbap (stereoLayout(), 1.0f);
    Outputs out (2, 1, 4.0f);
    performAt (dbap, out, 0.0, 1.0f);
    EXPECT_EQ (out.data[0][0], 4.0f);
    EXPECT_EQ (out.data[1][0], 4.0f);

    testing::internal::CaptureStdout();
    dbap.print();
    EXPECT_EQ (testing::internal::GetCapturedStdout(),
               "Using DBAP Panning- need to add panner info for print function\n");
}

TEST (Dbap, OversizedLayoutPansOverTheFirst192)
{
    al::SpeakerLayout big;
    for (int i = 0; i < 200; ++i)
        big.addSpeaker (al::Speaker (i, float (i)));
    al::Dbap dbap (big, 1.0f);
    const std::string line = compileCapturingOutput (dbap);
    EXPECT_EQ (line.rfind ("DBAP Compiled with 200 speakers\n", 0), 0u);
    EXPECT_EQ (dbap.numSpeakers, 192);
    Outputs out (200, 1);
    performAt (dbap, out, 0.0, 1.0f);
    EXPECT_EQ (out.data[191][0], 0.5f);
    EXPECT_EQ (out.data[192][0], 0.0f);
    EXPECT_EQ (out.data[199][0], 0.0f);
}

TEST (Dbap, NegativeDeviceChannelIsNeverWritten)
{
    al::SpeakerLayout layout;
    layout.addSpeaker (al::Speaker (-1, -90.0f));
    layout.addSpeaker (al::Speaker (0, 90.0f));
    al::Dbap dbap (layout, 1.0f);
    compileCapturingOutput (dbap);
    Outputs out (1, 1);
    performAt (dbap, out, 1.0, 1.0f);
    EXPECT_NEAR (out.data[0][0], 1.0f, 1e-6f);
}

TEST (Panners, PerformAllocatesNothing)
{
    al::StereoPanner stereo (stereoLayout());
    al::Dbap dbap (stereoLayout(), 1.0f);
    compileCapturingOutput (stereo);
    compileCapturingOutput (dbap);
    Outputs out (2, 256);
    al::SoundSource src;
    std::vector<float> block (256, 0.5f);
    toravel::test::AllocationCounter c;
    for (int j = 0; j < 256; ++j)
    {
        al::Vec<3, double> rel (std::sin (j * 0.1), 0.3, -2.0);
        float s = 0.25f;
        stereo.perform (out.get(), src, rel, 256, j, s);
        dbap.perform (out.get(), src, rel, 256, j, s);
    }
    al::Vec<3, double> rel (0.5, 0.0, 0.0);
    stereo.perform (out.get(), src, rel, 256, block.data());
    dbap.perform (out.get(), src, rel, 256, block.data());
    EXPECT_EQ (c.count(), 0u);
}
