#include "EditorFixture.h"

#include <cmath>
#include <vector>

namespace
{
bool dark (juce::Colour c)
{
    return guitest::isDark (c);
}

bool midGrey (juce::Colour c)
{
    return c.getRed() > 60 && c.getRed() < 200 && std::abs (c.getRed() - c.getBlue()) < 10 &&
           std::abs (c.getRed() - c.getGreen()) < 10;
}

// Fills a history with n values so that the i-th newest is value (i), oldest first.
void fillHistory (FloatHistory& history, int n, const std::function<float (int)>& value)
{
    for (int i = n - 1; i >= 0; --i)
        history.push (value (i));
}

// The image row at which a point of the view's normalised height y is drawn.
float rowOf (float y)
{
    return (1.0f - y) * 200.0f;
}

// The normalised x of the centre of an image column of a 400-pixel view.
float xOfColumn (int column)
{
    return ((float) column + 0.5f) / 200.0f - 1.0f;
}

// The rows of a column that are dark, apart from the frame and the zero line.
std::vector<int> darkRowsOf (const juce::Image& image, int column)
{
    std::vector<int> rows;
    for (int y = 2; y < 398; ++y)
        if ((y < 197 || y > 203) && dark (image.getPixelAt (column, y)))
            rows.push_back (y);
    return rows;
}

// True when the column's dark pixels (frame and zero line aside) are all within
// three rows of the expected one, and there is at least one.
bool curveCrossesColumnAt (const juce::Image& image, int column, float expectedRow)
{
    // Where the curve crosses the zero line it is not told apart from it.
    if (std::abs (expectedRow - 200.0f) < 8.0f)
        return true;
    const auto rows = darkRowsOf (image, column);
    if (rows.empty())
        return false;
    for (int y : rows)
        if (std::abs ((float) y + 0.5f - expectedRow) > 3.0f)
            return false;
    return true;
}
} // namespace

// The curve window's content on the desktop by itself.
class CurveView : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        curves = std::make_unique<CurveComponent> (processor.get());
        curves->setTopLeftPosition (40, 40);
        curves->setVisible (true);
        curves->addToDesktop (0);
        guitest::pump (200);
    }

    void TearDown() override
    {
        curves.reset();
        EditorFixture::TearDown();
    }

    juce::Image capture (QuorvelGLCurveComponent& view, const juce::String& name)
    {
        const auto base = guitest::outputFolder().getChildFile (name);
        const auto file = base.withFileExtension ("png");
        file.deleteFile();
        view.saveScreenshot (base.getFullPathName());
        guitest::pumpUntil ([&] { return file.existsAsFile(); });
        return guitest::loadPng (file);
    }

    std::unique_ptr<CurveComponent> curves;
};

TEST_F (CurveView, GridOfThreeViewsWithAnEmptyDarkQuarter)
{
    EXPECT_EQ (curves->getWidth(), 800);
    EXPECT_EQ (curves->getHeight(), 800);
    EXPECT_EQ (curves->velCurve.getBounds(), juce::Rectangle<int> (0, 0, 400, 400));
    EXPECT_EQ (curves->dopplerCurve.getBounds(), juce::Rectangle<int> (0, 400, 400, 400));
    EXPECT_EQ (curves->attenCurve.getBounds(), juce::Rectangle<int> (400, 0, 400, 400));
    EXPECT_EQ (curves->getIndexOfChildComponent (&curves->velCurve), 0);
    EXPECT_EQ (curves->getIndexOfChildComponent (&curves->dopplerCurve), 1);
    EXPECT_EQ (curves->getIndexOfChildComponent (&curves->attenCurve), 2);

    const auto image = curves->createComponentSnapshot (curves->getLocalBounds(), false);
    EXPECT_EQ (image.getPixelAt (600, 600), juce::Colours::darkgrey);
    EXPECT_EQ (image.getPixelAt (401, 401), juce::Colours::darkgrey);
    EXPECT_EQ (image.getPixelAt (799, 799), juce::Colours::darkgrey);
}

TEST_F (CurveView, WheelZoomLimitsAndDoubleClickReset)
{
    auto& view = curves->attenCurve;
    const auto event = guitest::mouseEvent (view, { 10.0f, 10.0f });

    view.mouseWheelMove (event, guitest::wheel (0.0f, 2.0f));
    EXPECT_FLOAT_EQ (view.getYZoom(), 3.0f);
    view.mouseWheelMove (event, guitest::wheel (0.0f, 100.0f));
    EXPECT_FLOAT_EQ (view.getYZoom(), 10.0f);
    view.mouseWheelMove (event, guitest::wheel (0.0f, -100.0f));
    EXPECT_FLOAT_EQ (view.getYZoom(), 0.002f);

    view.mouseWheelMove (event, guitest::wheel (-5.0f, 0.0f));
    EXPECT_FLOAT_EQ (view.getXZoom(), 6.0f);
    view.mouseWheelMove (event, guitest::wheel (2.0f, 0.0f));
    EXPECT_FLOAT_EQ (view.getXZoom(), 4.0f);
    view.mouseWheelMove (event, guitest::wheel (100.0f, 0.0f));
    EXPECT_FLOAT_EQ (view.getXZoom(), 1.0f);
    view.mouseWheelMove (event, guitest::wheel (-5000.0f, 0.0f));
    EXPECT_FLOAT_EQ (view.getXZoom(), 1000.0f);

    view.mouseDown (event);
    view.mouseDrag (guitest::mouseEvent (view, { 200.0f, 200.0f }));
    view.mouseUp (event);
    EXPECT_TRUE (view.keyPressed (juce::KeyPress ('x', juce::ModifierKeys(), 'x')));
    EXPECT_FLOAT_EQ (view.getXZoom(), 1000.0f);
    EXPECT_FLOAT_EQ (view.getYZoom(), 0.002f);

    view.mouseDoubleClick (event);
    EXPECT_EQ (view.getXZoom(), 1.0f);
    EXPECT_EQ (view.getYZoom(), 1.0f);
}

TEST_F (CurveView, EmptyHistoryShowsFrameAndZeroLineOnly)
{
    const auto image = capture (curves->velCurve, "curve_empty");
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), 400);
    EXPECT_EQ (image.getHeight(), 400);

    EXPECT_TRUE (dark (image.getPixelAt (0, 100)));
    EXPECT_TRUE (dark (image.getPixelAt (399, 300)));
    EXPECT_TRUE (dark (image.getPixelAt (100, 0)));
    EXPECT_TRUE (dark (image.getPixelAt (300, 399)));

    EXPECT_GT (guitest::countPixels (image, { 100, 198, 1, 4 }, midGrey), 0);
    EXPECT_EQ (guitest::countPixels (image, { 100, 198, 1, 4 }, dark), 0);
    EXPECT_EQ (guitest::countPixels (image, { 5, 5, 390, 190 }, [] (juce::Colour c) { return !guitest::isWhite (c); }),
               0);
    EXPECT_EQ (
        guitest::countPixels (image, { 5, 205, 390, 190 }, [] (juce::Colour c) { return !guitest::isWhite (c); }), 0);
}

// A few hundred samples of audio: each sample spans a pixel or more.
TEST_F (CurveView, AttenuationCurveStandsAboveTheZeroLineAndFollowsTheZoom)
{
    renderBlocks (1, 256);

    const auto image = capture (curves->attenCurve, "curve_atten");
    EXPECT_GT (guitest::countPixels (image, { 5, 5, 390, 190 }, dark), 100);
    EXPECT_EQ (guitest::countPixels (image, { 5, 205, 390, 190 }, dark), 0);

    const auto event = guitest::mouseEvent (curves->attenCurve, {});
    curves->attenCurve.mouseWheelMove (event, guitest::wheel (0.0f, -100.0f));
    const auto flat = capture (curves->attenCurve, "curve_atten_flat");
    EXPECT_EQ (guitest::countPixels (flat, { 5, 5, 390, 185 }, dark), 0);
    curves->attenCurve.mouseDoubleClick (event);
}

TEST_F (CurveView, SpeedAndDopplerCurvesAreDrawn)
{
    renderBlocks (1, 256);
    const auto speed = capture (curves->velCurve, "curve_vel");
    EXPECT_GT (guitest::countPixels (speed, { 5, 150, 390, 100 }, dark), 100);

    // The source sets out from the listener's place at rest and speeds up to 10 m/s,
    // moving away all the while: the relative Doppler deviation of the default type is
    // minus its speed over the 340 m/s of sound, here drawn ten times taller.
    renderBlocks (39, 512);
    auto& view = curves->dopplerCurve;
    view.mouseWheelMove (guitest::mouseEvent (view, {}), guitest::wheel (0.0f, 9.0f));
    const auto doppler = capture (view, "curve_doppler");
    auto& speeds = processor->agents[0].velocityHistory;
    const auto s = speeds.snapshot();
    ASSERT_GT (speeds.read (s, 0), 9.0f);
    EXPECT_EQ (guitest::countPixels (doppler, { 2, 2, 396, 195 }, dark), 0);
    for (int column = 2; column < 398; column += 4)
    {
        const float speed = speeds.read (s, (int) ((xOfColumn (column) + 1.0f) / 2.0f * (float) s.count));
        EXPECT_TRUE (curveCrossesColumnAt (doppler, column, rowOf (-10.0f * 0.9f * speed / 340.0f)))
            << "column " << column << ", speed " << speed;
    }
}

// Each view plots its own ring with the newest value at the left edge (x = -1), the
// oldest at x = 1 - 2/n and the height 0.9 of the value. The three rings hold ramps
// of different directions and lengths, so a mixed-up ring, a reversed direction, a
// different height factor or a last point at x = 1 shows.
TEST_F (CurveView, NewestValueAtTheLeftEdgeOldestAtOneMinusTwoOverNAndHeightNineTenths)
{
    auto& agent = processor->agents[0];
    struct Case
    {
        QuorvelGLCurveComponent* view;
        FloatHistory* history;
        int n;
        float sign;
        const char* name;
    };
    const Case cases[] = {
        { &curves->velCurve, &agent.velocityHistory, 20, 1.0f, "curve_ramp_vel" },
        { &curves->dopplerCurve, &agent.modulatorHistory, 25, -1.0f, "curve_ramp_doppler" },
        { &curves->attenCurve, &agent.attenuationHistory, 40, 1.0f, "curve_ramp_atten" },
    };

    for (const auto& c : cases)
    {
        const int n = c.n;
        const float sign = c.sign;
        ASSERT_EQ (c.history->fillCount(), 0) << c.name;
        fillHistory (*c.history, n, [=] (int i) { return sign * (1.0f - 2.0f * (float) i / (float) n); });
        ASSERT_EQ (c.history->fillCount(), n) << c.name;
    }

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto image = capture (*c.view, c.name);
        ASSERT_TRUE (image.isValid());

        // Value at x: the i-th newest sits at x = 2i/n - 1 with value sign (1 - 2i/n),
        // so the plot is the line y = -0.9 sign x up to its oldest point.
        const float lastX = 1.0f - 2.0f / (float) c.n;
        for (int column = 4; column < 390; column += 3)
        {
            const float x = xOfColumn (column);
            if (x > lastX - 0.02f)
                break;
            EXPECT_TRUE (curveCrossesColumnAt (image, column, rowOf (-0.9f * c.sign * x)))
                << "column " << column << ", expected row " << rowOf (-0.9f * c.sign * x);
        }

        // The newest value (height 0.9 at x = -1) reaches the left edge.
        EXPECT_TRUE (curveCrossesColumnAt (image, 2, rowOf (-0.9f * c.sign * xOfColumn (2))));

        // Right of the oldest point nothing is drawn.
        const int firstEmptyColumn = (int) std::ceil ((lastX + 1.0f) * 200.0f) + 2;
        for (int column = firstEmptyColumn; column < 397; ++column)
            EXPECT_TRUE (darkRowsOf (image, column).empty()) << "column " << column;
    }
}

// A history of many values per pixel column: the plot is still a continuous curve.
TEST_F (CurveView, LongHistoryIsDrawnAlongItsWholeLength)
{
    auto& history = processor->agents[0].attenuationHistory;
    const int n = 60000;
    fillHistory (history, n, [=] (int i) { return 1.0f - 2.0f * (float) i / (float) n; });
    ASSERT_EQ (history.fillCount(), n);

    const auto image = capture (curves->attenCurve, "curve_long");
    ASSERT_TRUE (image.isValid());
    for (int column = 3; column < 396; column += 3)
    {
        const float x = xOfColumn (column);
        EXPECT_TRUE (curveCrossesColumnAt (image, column, rowOf (-0.9f * x))) << "column " << column;
    }
}

TEST_F (CurveView, ScreenshotWritesExactlyThreeFiles)
{
    const auto folder = guitest::outputFolder().getChildFile ("curve_set");
    folder.deleteRecursively();
    folder.createDirectory();
    folder.getChildFile ("p_vel.png").replaceWithText ("stale");

    curves->saveScreenshot (folder.getChildFile ("p").getFullPathName());
    guitest::pumpUntil (
        [&]
        {
            return guitest::loadPng (folder.getChildFile ("p_vel.png")).isValid() &&
                   folder.getChildFile ("p_doppler.png").existsAsFile() &&
                   folder.getChildFile ("p_atten.png").existsAsFile();
        });

    const auto files = folder.findChildFiles (juce::File::findFiles, false);
    EXPECT_EQ (files.size(), 3);

    for (auto ending : { "_vel.png", "_doppler.png", "_atten.png" })
    {
        const auto image = guitest::loadPng (folder.getChildFile (juce::String ("p") + ending));
        ASSERT_TRUE (image.isValid()) << ending;
        EXPECT_EQ (image.getWidth(), 400);
    }
}
