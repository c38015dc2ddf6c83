#include "EditorFixture.h"

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

// Short histories: smoothed lines made of segments much shorter than a pixel leave
// no fragments with the software rasteriser, so the plots are checked where each
// sample spans a pixel or more.
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

    const auto doppler = capture (curves->dopplerCurve, "curve_doppler");
    EXPECT_TRUE (doppler.isValid());
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
