#include "EditorFixture.h"

#include <atomic>
#include <cmath>
#include <thread>

namespace
{
// Line colours blended at 60 % over white.
bool isOrange (juce::Colour c)
{
    return c.getRed() > 200 && c.getGreen() > 100 && c.getGreen() < 230 && c.getBlue() < c.getGreen() - 40;
}

bool isCyan (juce::Colour c)
{
    return c.getRed() < 190 && c.getGreen() > 200 && c.getBlue() > 200;
}

bool dark (juce::Colour c)
{
    return guitest::isDark (c);
}

juce::KeyPress key (char c)
{
    return juce::KeyPress ((int) c, juce::ModifierKeys(), (juce::juce_wchar) c);
}
} // namespace

// One 3-D view of its own on the desktop, at the editor's default view size.
class SceneView : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        view = std::make_unique<QuorvelOpenGLComponent> (processor.get());
        view->setBounds (50, 50, 708, 608);
        view->setVisible (true);
        view->addToDesktop (0);
        guitest::pump (200);
    }

    void TearDown() override
    {
        view.reset();
        EditorFixture::TearDown();
    }

    juce::Image capture (const juce::String& name)
    {
        const auto base = guitest::outputFolder().getChildFile (name);
        const auto file = base.withFileExtension ("png");
        file.deleteFile();
        view->saveScreenshot (base.getFullPathName());
        guitest::pumpUntil ([&] { return file.existsAsFile(); });
        return guitest::loadPng (file);
    }

    std::unique_ptr<QuorvelOpenGLComponent> view;
};

TEST_F (SceneView, ConstructionDefaults)
{
    EXPECT_FALSE (view->autoRotate);
    EXPECT_FALSE (view->dragCentre);
    EXPECT_TRUE (view->overlayPresetName.isEmpty());
    EXPECT_TRUE (view->showPresetName);
    EXPECT_FALSE (view->drawAxes);
    EXPECT_FALSE (view->drawInfo);
    EXPECT_TRUE (view->getWantsKeyboardFocus());
}

TEST_F (SceneView, DraggingTurnsTheCameraHalfADegreePerPixel)
{
    processor->phi = 5.0f;
    processor->theta = -7.0f;

    view->mouseDown (guitest::mouseEvent (*view, { 100.0f, 100.0f }));
    view->mouseDrag (guitest::mouseEvent (*view, { 100.0f, 100.0f }));
    EXPECT_EQ (processor->theta, -7.0f);
    EXPECT_EQ (processor->phi, 5.0f);

    view->mouseDrag (guitest::mouseEvent (*view, { 110.0f, 100.0f }));
    EXPECT_FLOAT_EQ (processor->theta, -2.0f);
    EXPECT_FLOAT_EQ (processor->phi, 5.0f);

    view->mouseDrag (guitest::mouseEvent (*view, { 110.0f, 110.0f }));
    EXPECT_FLOAT_EQ (processor->phi, 10.0f);
    view->mouseUp (guitest::mouseEvent (*view, { 110.0f, 110.0f }));

    // A new press forgets the previous position.
    view->mouseDown (guitest::mouseEvent (*view, { 300.0f, 300.0f }));
    view->mouseDrag (guitest::mouseEvent (*view, { 300.0f, 300.0f }));
    EXPECT_FLOAT_EQ (processor->theta, -2.0f);
    view->mouseUp (guitest::mouseEvent (*view, { 300.0f, 300.0f }));
}

TEST_F (SceneView, DragCentreMovesTheTargetInThePlaneZZero)
{
    view->dragCentre = true;
    processor->scale = 0.1f;
    const float w = (float) view->getWidth();
    const float h = (float) view->getHeight();

    view->mouseDown (guitest::mouseEvent (*view, { w / 2, h / 2 }));
    view->mouseDrag (guitest::mouseEvent (*view, { w / 2, h / 2 }));
    auto centre = processor->agents[0].targetCenter.load();
    EXPECT_EQ (centre[0], 0.0);
    EXPECT_EQ (centre[1], 0.0);
    EXPECT_EQ (centre[2], 0.0);

    view->mouseDrag (guitest::mouseEvent (*view, { w, 0.0f }));
    centre = processor->agents[0].targetCenter.load();
    EXPECT_DOUBLE_EQ (centre[0], (double) (1.0f / 0.1f));
    EXPECT_DOUBLE_EQ (centre[1], (double) (1.0f / 0.1f));
    EXPECT_EQ (centre[2], 0.0);
    EXPECT_EQ (processor->theta, -7.0f);
    view->mouseUp (guitest::mouseEvent (*view, { w, 0.0f }));
}

TEST_F (SceneView, WheelZoomStaysWithinItsLimits)
{
    processor->scale = 0.1f;
    view->mouseWheelMove (guitest::mouseEvent (*view, {}), guitest::wheel (5.0f, 0.5f));
    EXPECT_FLOAT_EQ (processor->scale, 0.6f);
    view->mouseWheelMove (guitest::mouseEvent (*view, {}), guitest::wheel (0.0f, -1.0f));
    EXPECT_FLOAT_EQ (processor->scale, 0.003f);
    view->mouseWheelMove (guitest::mouseEvent (*view, {}), guitest::wheel (0.0f, 100.0f));
    EXPECT_FLOAT_EQ (processor->scale, 20.0f);
}

TEST_F (SceneView, KeysSwitchAxesInfoNameAndMarkers)
{
    auto& agent = processor->agents[0];
    const bool points = agent.showPoints.load();

    EXPECT_TRUE (view->keyPressed (key ('a')));
    EXPECT_TRUE (view->drawAxes);
    EXPECT_TRUE (view->keyPressed (key ('i')));
    EXPECT_TRUE (view->drawInfo);
    EXPECT_TRUE (view->keyPressed (key ('n')));
    EXPECT_FALSE (view->showPresetName);
    EXPECT_TRUE (view->keyPressed (key ('p')));
    EXPECT_NE (agent.showPoints.load(), points);

    EXPECT_TRUE (view->keyPressed (key ('A')));
    EXPECT_TRUE (view->keyPressed (key ('x')));
    EXPECT_TRUE (view->drawAxes);
    EXPECT_TRUE (view->drawInfo);
    EXPECT_FALSE (view->showPresetName);

    EXPECT_TRUE (view->keyPressed (key ('i')));
    EXPECT_FALSE (view->drawInfo);
}

TEST_F (SceneView, BoundsTextHidesTheLowerLimit)
{
    EXPECT_EQ (QuorvelOpenGLComponent::boundsText (0.1, 0.11), " = [-0.00, 0.11] m");
    EXPECT_EQ (QuorvelOpenGLComponent::boundsText (6.4, 0.05), " = [-6.40, 0.00] m");
    EXPECT_EQ (QuorvelOpenGLComponent::boundsText (100.0, 12.345), " = [-100.00, 12.35] m");
}

TEST_F (SceneView, AxisLinesShowWhenSwitchedOnOrWhileAButtonIsHeld)
{
    const auto plain = capture ("scene_plain");
    ASSERT_TRUE (plain.isValid());
    EXPECT_EQ (plain.getWidth(), 708);
    EXPECT_EQ (plain.getHeight(), 608);
    EXPECT_TRUE (guitest::isWhite (plain.getPixelAt (5, 5)));
    EXPECT_TRUE (guitest::isWhite (plain.getPixelAt (700, 600)));
    EXPECT_EQ (guitest::countPixels (plain, plain.getBounds(), isOrange), 0);

    view->drawAxes = true;
    const auto axes = capture ("scene_axes");
    EXPECT_GT (guitest::countPixels (axes, axes.getBounds(), isOrange), 300);
    EXPECT_GT (guitest::countPixels (axes, axes.getBounds(), isCyan), 300);
    view->drawAxes = false;

    view->mouseDown (guitest::mouseEvent (*view, { 10.0f, 10.0f }));
    const auto held = capture ("scene_held");
    EXPECT_GT (guitest::countPixels (held, held.getBounds(), isOrange), 300);
    view->mouseUp (guitest::mouseEvent (*view, { 10.0f, 10.0f }));

    const auto released = capture ("scene_released");
    EXPECT_EQ (guitest::countPixels (released, released.getBounds(), isOrange), 0);
}

TEST_F (SceneView, OverlayBandsTextAndPresetName)
{
    view->drawAxes = true;
    const int cx = 354;

    const auto bare = capture ("scene_overlay_off");
    // Without the overlay the vertical axis runs through the top band.
    EXPECT_GT (guitest::countPixels (bare, { cx - 40, 40, 80, 20 }, isCyan), 0);
    EXPECT_EQ (guitest::countPixels (bare, { 152, 7, 160, 20 }, dark), 0);

    view->overlayPresetName = "Lazy Orbit";
    view->enableDrawInfo (true);
    guitest::pump (100);
    const auto info = capture ("scene_overlay_on");
    EXPECT_EQ (guitest::countPixels (info, { cx - 40, 40, 80, 20 }, isCyan), 0);
    EXPECT_EQ (guitest::countPixels (info, { cx - 40, 608 - 20, 80, 10 }, isCyan), 0);
    EXPECT_GT (guitest::countPixels (info, { cx - 40, 300, 80, 20 }, isCyan), 0);
    EXPECT_GT (guitest::countPixels (info, { 152, 7, 160, 20 }, dark), 20);       // " = 9.99 m/s"
    EXPECT_GT (guitest::countPixels (info, { 133, 7, 19, 20 }, dark), 5);         // its label image
    EXPECT_GT (guitest::countPixels (info, { 508, 10, 200, 22 }, dark), 20);      // the preset name
    EXPECT_GT (guitest::countPixels (info, { 633, 608 - 120, 70, 20 }, dark), 5); // an index

    view->showPresetName = false;
    const auto nameless = capture ("scene_overlay_no_name");
    EXPECT_EQ (guitest::countPixels (nameless, { 508, 10, 200, 22 }, dark), 0);

    view->showPresetName = true;
    view->overlayPresetName = {};
    const auto empty = capture ("scene_overlay_empty_name");
    EXPECT_EQ (guitest::countPixels (empty, { 508, 10, 200, 22 }, dark), 0);
}

TEST_F (SceneView, ScreenshotReplacesAFileAndSkipsWhenTheContextIsCurrent)
{
    const auto base = guitest::outputFolder().getChildFile ("scene_replace");
    const auto file = base.withFileExtension ("png");
    file.replaceWithText ("not an image");

    view->saveScreenshot (base.getFullPathName());
    EXPECT_TRUE (guitest::pumpUntil ([&] { return guitest::loadPng (file).isValid(); }));

    const auto skipped = guitest::outputFolder().getChildFile ("scene_skipped");
    skipped.withFileExtension ("png").deleteFile();
    view->openGLContext.executeOnGLThread (
        [&] (juce::OpenGLContext&) { view->saveScreenshot (skipped.getFullPathName()); }, true);
    guitest::pump (300);
    EXPECT_FALSE (skipped.withFileExtension ("png").exists());

    // A second screenshot works as well as the first.
    file.deleteFile();
    view->saveScreenshot (base.getFullPathName());
    EXPECT_TRUE (guitest::pumpUntil ([&] { return file.existsAsFile(); }));
}

TEST_F (SceneView, TrailAndMarkersAfterAudioHasMovedTheSource)
{
    processor->agents[0].showPoints = true;
    capture ("scene_trail"); // applies the trail length that the processor asked for
    renderBlocks (20);
    const auto image = capture ("scene_trail");

    // The trail runs along x through the middle of the view, the red source marker
    // sits at one end of it.
    EXPECT_GT (guitest::countPixels (image, { 0, 250, 708, 80 }, dark), 40);
    EXPECT_GT (guitest::countPixels (image, image.getBounds(),
                                     [] (juce::Colour c)
                                     { return c.getRed() > 200 && c.getGreen() < 200 && c.getBlue() < 200; }),
               20);
    EXPECT_EQ (guitest::countPixels (image, { 0, 0, 708, 200 }, dark), 0);

    processor->agents[0].showPoints = false;
    const auto plain = capture ("scene_trail_no_points");
    EXPECT_EQ (guitest::countPixels (plain, plain.getBounds(),
                                     [] (juce::Colour c)
                                     { return c.getRed() > 200 && c.getGreen() < 200 && c.getBlue() < 200; }),
               0);
}

// The audio thread writes the trail and histories, and resizes of the trail are
// requested, while the 3-D view and the three curve views draw.
TEST_F (SceneView, ViewsDrawWhileAudioRendersOnAnotherThread)
{
    view.reset();
    openEditor();
    editor->buttonClicked (editor->curvesButton.get());
    editor->axisToggle->setToggleState (true, juce::sendNotification);

    std::atomic<bool> running{ true };
    std::atomic<int> blocks{ 0 };
    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (2, 512);
            juce::MidiBuffer midi;

            while (running.load())
            {
                buffer.clear();
                processor->processBlock (buffer, midi);
                ++blocks;
                std::this_thread::sleep_for (std::chrono::microseconds (500));
            }
        });

    juce::Random random (7);

    for (int i = 0; i < 20; ++i)
    {
        processor->setParameter (1, random.nextFloat());
        guitest::pump (60);
    }

    const auto base = guitest::outputFolder().getChildFile ("threads");
    const auto atten = guitest::outputFolder().getChildFile ("threads_atten.png");
    base.withFileExtension ("png").deleteFile();
    atten.deleteFile();
    editor->saveScreenshots (base.getFullPathName());
    guitest::pumpUntil ([&] { return base.withFileExtension ("png").existsAsFile() && atten.existsAsFile(); });

    running = false;
    audio.join();

    EXPECT_GT (blocks.load(), 20);
    EXPECT_TRUE (guitest::loadPng (base.withFileExtension ("png")).isValid());
    EXPECT_TRUE (guitest::loadPng (atten).isValid());
}

// A host may ask for the state on any thread: here while the preset strip steps through
// presets (each sets the name and the camera) and the view turns the camera on its
// render thread.
TEST_F (SceneView, StateSavedOnAnotherThreadWhilePresetsChangeAndTheCameraTurns)
{
    view.reset();
    const auto folder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                            .getChildFile ("Audio/Presets/Toravel");
    folder.deleteRecursively();
    folder.createDirectory();
    const juce::StringArray names{ "north", "south" };
    for (const auto& name : names)
    {
        QuorvelV2AudioProcessor writer;
        writer.setCurrentPresetName (name);
        ASSERT_TRUE (writer.saveStateToFile (folder.getChildFile (name + ".zkp")));
    }
    openEditor();
    editor->autoRotateToggle->setToggleState (true, juce::sendNotification);

    std::atomic<bool> running{ true };
    std::atomic<int> saved{ 0 }, unexpected{ 0 };
    std::thread host (
        [&]
        {
            while (running.load())
            {
                juce::MemoryBlock block;
                processor->getStateInformation (block);
                const auto xml = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
                const bool whole = xml != nullptr && std::isfinite (xml->getDoubleAttribute ("theta")) &&
                                   (names.contains (xml->getStringAttribute ("presetName")) ||
                                    xml->getStringAttribute ("presetName").isEmpty());
                unexpected += whole ? 0 : 1;
                ++saved;
            }
        });

    for (int i = 0; i < 12; ++i)
    {
        editor->presetStrip->nextButton->triggerClick();
        guitest::pump (50);
    }
    const bool turned = guitest::pumpUntil ([&] { return processor->theta != -7.0f; });
    running = false;
    host.join();

    EXPECT_TRUE (turned);
    EXPECT_GT (saved.load(), 0);
    EXPECT_EQ (unexpected.load(), 0);
    EXPECT_TRUE (names.contains (processor->getCurrentPresetName()));
    closeEditor();
    folder.deleteRecursively();
}
