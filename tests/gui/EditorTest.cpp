#include "EditorFixture.h"
#include "LineSmoothing.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace
{
const int rowTops[19] = { 2, 40, 78, 116, 141, 166, 204, 229, 254, 319, 344, 369, 394, 419, 444, 509, 534, 559, 584 };

juce::Colour nameColour (QuorvelV2AudioProcessorEditor& e, int row)
{
    return e.paramSliders[row]->nameLabel.findColour (juce::Label::textColourId);
}

void click (juce::Button& button)
{
    button.setToggleState (!button.getToggleState(), juce::sendNotification);
}
} // namespace

using EditorLayout = EditorFixture;

TEST_F (EditorLayout, DefaultSizePlacesEveryControl)
{
    openEditor();
    auto& e = *editor;

    EXPECT_EQ (e.getWidth(), 1200);
    EXPECT_EQ (e.getHeight(), 700);
    ASSERT_EQ (e.paramSliders.size(), 19);
    ASSERT_EQ (e.valueInputs.size(), 19);

    for (int i = 0; i < 19; ++i)
    {
        EXPECT_EQ (e.paramSliders[i]->getBounds(), juce::Rectangle<int> (820, rowTops[i], 380, 20)) << "row " << i;
        EXPECT_EQ (e.valueInputs[i]->getBounds(), juce::Rectangle<int> (740, rowTops[i], 80, 20)) << "field " << i;
        EXPECT_EQ (e.paramSliders[i]->slider.getBounds(), juce::Rectangle<int> (0, 0, 300, 20));
        EXPECT_EQ (e.paramSliders[i]->nameLabel.getBounds(), juce::Rectangle<int> (300, 0, 60, 20));
    }

    EXPECT_EQ (e.paramToggles[0]->getBounds(), juce::Rectangle<int> (740, 479, 80, 20));
    EXPECT_EQ (e.ratioLockBox->getBounds(), juce::Rectangle<int> (830, 479, 80, 20));
    EXPECT_EQ (e.paramToggles[1]->getBounds(), juce::Rectangle<int> (740, 289, 80, 20));
    EXPECT_EQ (e.paramToggles[2]->getBounds(), juce::Rectangle<int> (860, 289, 80, 20));
    EXPECT_EQ (e.paramToggles[3]->getBounds(), juce::Rectangle<int> (980, 289, 80, 20));

    EXPECT_EQ (e.axisToggle->getBounds(), juce::Rectangle<int> (740, 610, 80, 20));
    EXPECT_EQ (e.infoToggle->getBounds(), juce::Rectangle<int> (830, 610, 80, 20));
    EXPECT_EQ (e.pointsToggle->getBounds(), juce::Rectangle<int> (740, 640, 80, 20));
    EXPECT_EQ (e.autoRotateToggle->getBounds(), juce::Rectangle<int> (830, 640, 80, 20));
    EXPECT_EQ (e.resetRotButton->getBounds(), juce::Rectangle<int> (920, 640, 80, 20));
    EXPECT_EQ (e.dragCentreToggle->getBounds(), juce::Rectangle<int> (1020, 615, 80, 20));
    EXPECT_EQ (e.visAttenToggle->getBounds(), juce::Rectangle<int> (1020, 640, 80, 20));
    EXPECT_EQ (e.curvesButton->getBounds(), juce::Rectangle<int> (1110, 610, 80, 20));
    EXPECT_EQ (e.snapshotButton->getBounds(), juce::Rectangle<int> (1110, 640, 80, 20));

    EXPECT_EQ (e.openGLView.getBounds(), juce::Rectangle<int> (22, 32, 708, 608));
    EXPECT_EQ (e.presetStrip->getBounds(), juce::Rectangle<int> (496, 0, 234, 32));

    const int captionX[] = { 156, 296, 436, 576 };
    juce::ComboBox* running[] = { e.motionBox, e.dopplerBox, e.attenuationBox, e.panBox };

    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ (e.comboLabels[k]->getBounds(), juce::Rectangle<int> (captionX[k], 668, 60, 24));
        EXPECT_EQ (running[k]->getBounds(), juce::Rectangle<int> (captionX[k] + 60, 668, 80, 24));
    }

    EXPECT_EQ (e.comboLabels[4]->getBounds(), juce::Rectangle<int> (16, 668, 60, 24));
    EXPECT_EQ (e.sourceBox->getBounds(), juce::Rectangle<int> (76, 668, 80, 24));
    EXPECT_EQ (e.comboLabels[6]->getBounds(), juce::Rectangle<int> (740, 668, 80, 24));
    EXPECT_EQ (e.aaFilterBox->getBounds(), juce::Rectangle<int> (830, 668, 80, 24));
}

TEST_F (EditorLayout, OnlySixCaptionsAreShownAndBoxesHoldTheirItems)
{
    openEditor();
    auto& e = *editor;

    ASSERT_EQ (e.comboBoxes.size(), 7);
    ASSERT_EQ (e.comboLabels.size(), 7);

    int shown = 0;
    for (auto* label : e.comboLabels)
        if (label->getParentComponent() == &e && label->isVisible())
            ++shown;

    EXPECT_EQ (shown, 6);
    EXPECT_EQ (e.comboLabels[5]->getText(), "ratio lock:");
    EXPECT_EQ (e.comboLabels[5]->getParentComponent(), nullptr);

    const juce::StringArray captions{ "motion:", "doppler:",    "attenu:",   "spatial:",
                                      "source:", "ratio lock:", "aa filter:" };
    const int itemCounts[] = { 5, 4, 3, 2, 7, 3, 3 };

    for (int k = 0; k < 7; ++k)
    {
        EXPECT_EQ (e.comboLabels[k]->getText(), captions[k]);
        EXPECT_EQ (e.comboBoxes[k]->getNumItems(), itemCounts[k]);
        EXPECT_EQ (e.comboBoxes[k]->getItemId (0), 1);
    }

    EXPECT_EQ (e.motionBox->getItemText (4), "saw inv");
    EXPECT_EQ (e.dopplerBox->getItemText (2), "true (=)");
    EXPECT_EQ (e.attenuationBox->getItemText (1), "1/d2");
    EXPECT_EQ (e.panBox->getItemText (1), "stereo");
    EXPECT_EQ (e.sourceBox->getItemText (6), "scan");
    EXPECT_EQ (e.ratioLockBox->getItemText (2), "c/m vel");
    EXPECT_EQ (e.aaFilterBox->getItemText (0), "4x");
}

TEST_F (EditorLayout, NamesAndAxisColours)
{
    openEditor();
    auto& e = *editor;

    EXPECT_EQ (e.paramSliders[0]->nameLabel.getText(), "gain");
    EXPECT_EQ (e.paramSliders[14]->nameLabel.getText(), "bnd_z2");
    EXPECT_EQ (e.paramToggles[0]->getButtonText(), "ADSR");
    EXPECT_EQ (e.paramToggles[3]->getButtonText(), "symm_z");

    for (int row : { 3, 6, 9, 10 })
        EXPECT_EQ (nameColour (e, row), juce::Colours::orange) << row;
    for (int row : { 4, 7, 11, 12 })
        EXPECT_EQ (nameColour (e, row), juce::Colours::turquoise) << row;
    for (int row : { 5, 8, 13, 14 })
        EXPECT_EQ (nameColour (e, row), juce::Colours::violet) << row;

    EXPECT_EQ (e.paramToggles[1]->findColour (juce::ToggleButton::textColourId), juce::Colours::orange);
    EXPECT_EQ (e.paramToggles[2]->findColour (juce::ToggleButton::textColourId), juce::Colours::turquoise);
    EXPECT_EQ (e.paramToggles[3]->findColour (juce::ToggleButton::textColourId), juce::Colours::violet);
    EXPECT_NE (nameColour (e, 0), juce::Colours::orange);
}

// A label draws its text inside its border; text wider than that is squeezed or
// cut short with an ellipsis.
TEST_F (EditorLayout, EveryRowNameAndCaptionFitsItsLabel)
{
    openEditor();
    auto& e = *editor;

    std::vector<juce::Label*> labels;
    for (auto* row : e.paramSliders)
        labels.push_back (&row->nameLabel);
    for (auto* caption : e.comboLabels)
        if (caption->getParentComponent() == &e)
            labels.push_back (caption);
    ASSERT_EQ (labels.size(), 25u);

    for (auto* label : labels)
    {
        auto& look = label->getLookAndFeel();
        const auto font = look.getLabelFont (*label);
        EXPECT_EQ (font.getTypefaceName(), "NewMedia");
        const auto textArea = look.getLabelBorderSize (*label).subtractedFrom (label->getLocalBounds());
        EXPECT_LE (font.getStringWidthFloat (label->getText()), (float) textArea.getWidth())
            << label->getText() << " at " << font.getHeight() << " px";
    }
}

TEST_F (EditorLayout, ADifferentSizeMovesTheColumnsAndTheView)
{
    openEditor();
    auto& e = *editor;
    e.setSize (1400, 800);

    EXPECT_EQ (e.paramSliders[0]->getPosition(), juce::Point<int> (1020, 2));
    EXPECT_EQ (e.valueInputs[0]->getPosition(), juce::Point<int> (940, 2));
    EXPECT_EQ (e.openGLView.getBounds(), juce::Rectangle<int> (22, 32, 908, 780));
    EXPECT_EQ (e.presetStrip->getBounds(), juce::Rectangle<int> (696, 0, 234, 32));
    EXPECT_EQ (e.snapshotButton->getPosition(), juce::Point<int> (1310, 740));
    EXPECT_EQ (e.motionBox->getY(), 768);
}

TEST_F (EditorLayout, StateAfterConstruction)
{
    openEditor();
    auto& e = *editor;

    for (int i = 0; i < 19; ++i)
    {
        EXPECT_EQ (e.paramSliders[i]->slider.getValue(), 0.0) << i;
        EXPECT_EQ (e.valueInputs[i]->getText(), processor->getParameterText (i)) << i;
    }

    EXPECT_EQ (e.valueInputs[2]->getText(), "501");

    for (auto* box : e.comboBoxes)
        EXPECT_EQ (box->getSelectedItemIndex(), -1);

    for (auto* toggle : e.paramToggles)
        EXPECT_FALSE (toggle->getToggleState());

    EXPECT_TRUE (e.infoToggle->getToggleState());
    EXPECT_TRUE (e.pointsToggle->getToggleState());
    EXPECT_TRUE (e.openGLView.drawInfo);
    EXPECT_TRUE (processor->agents[0].showPoints.load());
    EXPECT_FALSE (e.autoRotateToggle->getToggleState());
    EXPECT_FALSE (e.axisToggle->getToggleState());

    // No native window until "curves": a host may make the editor before it has any
    // window of its own.
    EXPECT_FALSE (e.modulatorWindow->isVisible());
    EXPECT_FALSE (e.modulatorWindow->isOnDesktop());
    EXPECT_EQ (e.modulatorWindow->getName(), "Modulator");
    EXPECT_EQ (e.modulatorWindow->getContentComponent(), &e.curveComponent);
    EXPECT_EQ (e.curveComponent.getWidth(), 800);
    EXPECT_EQ (e.tickCount, 0);
    EXPECT_FALSE (e.getWantsKeyboardFocus());
}

TEST_F (EditorLayout, PaintedBackgroundBandsAndSeparator)
{
    openEditor();
    auto& e = *editor;
    const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
    guitest::savePng (image, guitest::outputFolder().getChildFile ("editor_background.png"));

    EXPECT_EQ (image.getPixelAt (1195, 690), juce::Colours::grey); // right panel
    EXPECT_EQ (image.getPixelAt (470, 16), juce::Colours::grey);   // top band
    EXPECT_EQ (image.getPixelAt (8, 650), juce::Colours::white);   // left of the view
    EXPECT_LT (image.getPixelAt (300, 662).getRed(), 160);         // separator
    EXPECT_EQ (image.getPixelAt (300, 664), juce::Colours::white);
    // The value fields show the processor's text from the start.
    EXPECT_GT (guitest::countPixels (image, e.valueInputs[2]->getBounds().reduced (2),
                                     [] (juce::Colour c) { return guitest::isDark (c); }),
               5);
    EXPECT_GT (guitest::countPixels (image, { 8, 2, 300, 30 }, [] (juce::Colour c) { return guitest::isDark (c); }),
               50); // the title
}

using EditorBinding = EditorFixture;

TEST_F (EditorBinding, TimerRefreshBringsParametersIntoControls)
{
    processor->setParameter (2, 0.3f);
    processor->setParameter (19, 1.0f);
    processor->setParameter (23, 0.5f);
    openEditor();
    auto& e = *editor;

    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.paramSliders[2]->slider.getValue() != 0.0; }));
    EXPECT_NEAR (e.paramSliders[2]->slider.getValue(), 0.3, 1e-6);
    EXPECT_NEAR (e.paramSliders[0]->slider.getValue(), 0.5, 1e-6);
    EXPECT_TRUE (e.paramToggles[0]->getToggleState());
    EXPECT_EQ (e.motionBox->getSelectedItemIndex(), 2);
    EXPECT_EQ (e.valueInputs[2]->getText(), processor->getParameterText (2));

    processor->setParameter (2, 0.6f);
    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.paramSliders[2]->slider.getValue() > 0.5; }));
    EXPECT_NEAR (e.paramSliders[2]->slider.getValue(), 0.6, 1e-6);
    EXPECT_EQ (e.valueInputs[2]->getText(), processor->getParameterText (2));
}

TEST_F (EditorBinding, SliderMovesWithinOneHundredthAreIgnored)
{
    openEditor();
    auto& e = *editor;
    auto& slider = e.paramSliders[2]->slider;
    slider.setValue (0.3, juce::dontSendNotification);

    EXPECT_FALSE (e.checkAndUpdateSlider (&slider, 0.305f));
    EXPECT_FALSE (e.checkAndUpdateSlider (&slider, 0.3f + 0.0099f));
    EXPECT_EQ (slider.getValue(), 0.3);
    EXPECT_TRUE (e.checkAndUpdateSlider (&slider, 0.32f));
    EXPECT_NEAR (slider.getValue(), 0.32, 1e-6);
}

TEST_F (EditorBinding, ControlsWriteTheirParameters)
{
    openEditor();
    auto& e = *editor;

    e.paramSliders[2]->slider.setValue (0.75, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor->getParameter (2), 0.75f);
    EXPECT_EQ (e.valueInputs[2]->getText(), processor->getParameterText (2));
    EXPECT_EQ (e.valueInputs[2]->getText(), "751");

    click (*e.paramToggles[0]);
    EXPECT_EQ (processor->getParameter (19), 1.0f);
    click (*e.paramToggles[0]);
    EXPECT_EQ (processor->getParameter (19), 0.0f);

    e.updateParametersFromProcessor();
    guitest::pump (50);

    e.aaFilterBox->setSelectedItemIndex (1, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor->getParameter (29), 0.5f);
    EXPECT_EQ (processor->getScaledParameter (29), 1.0f);

    e.motionBox->setSelectedItemIndex (4, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor->getParameter (23), 1.0f);
    e.dopplerBox->setSelectedItemIndex (1, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor->getParameter (24), 1.0f / 3.0f);
}

TEST_F (EditorBinding, TypedValuesGoToTheScaledParameter)
{
    openEditor();
    auto& e = *editor;
    auto& field = *e.valueInputs[2];

    field.setText ("801", false);
    e.textEditorReturnKeyPressed (field);
    EXPECT_EQ (processor->getScaledParameter (2), 801.0f);
    EXPECT_FLOAT_EQ (processor->getParameter (2), 0.8f);
    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.paramSliders[2]->slider.getValue() > 0.7; }));
    EXPECT_NEAR (e.paramSliders[2]->slider.getValue(), 0.8, 1e-6);

    field.setText ("abc", false);
    e.textEditorReturnKeyPressed (field);
    EXPECT_EQ (processor->getScaledParameter (2), 0.0f);

    field.setText ("nan", false);
    e.textEditorReturnKeyPressed (field);
    EXPECT_TRUE (std::isfinite (processor->getScaledParameter (2)));

    field.setText ("12345", false);
    e.textEditorFocusLost (field);
    EXPECT_EQ (field.getText(), processor->getParameterText (2));
}

TEST_F (EditorBinding, RefreshLeavesATypedFieldAndHeldSliderAlone)
{
    openEditor();
    auto& e = *editor;
    auto& field = *e.valueInputs[0];

    // A click on a control that takes no focus, such as the preset strip's next
    // button, hands the focus to the first field; the window manager-less display
    // hands it over asynchronously.
    ASSERT_TRUE (guitest::pumpUntil (
        [&]
        {
            if (!field.hasKeyboardFocus (true))
                field.grabKeyboardFocus();
            return field.hasKeyboardFocus (true);
        }));

    // Focused but untouched, the field follows a preset's value.
    processor->setParameter (0, 0.2f);
    e.updateParametersFromProcessor();
    EXPECT_EQ (field.getText(), processor->getParameterText (0));

    // Typed into, it keeps the typing through refreshes until the focus leaves.
    field.insertTextAtCaret ("7");
    guitest::pump (30);
    const auto typed = field.getText();
    processor->setParameter (0, 0.6f);
    e.updateParametersFromProcessor();
    EXPECT_EQ (field.getText(), typed);

    e.textEditorFocusLost (field);
    EXPECT_EQ (field.getText(), processor->getParameterText (0));
    processor->setParameter (0, 0.4f);
    e.updateParametersFromProcessor();
    EXPECT_EQ (field.getText(), processor->getParameterText (0));

    // The mouse button goes down on row 4's slider through the window's own peer,
    // as a real press would, and stays down while the refresh runs.
    auto& slider = e.paramSliders[4]->slider;
    auto* peer = e.getPeer();
    ASSERT_NE (peer, nullptr);
    const auto inPeer = e.getLocalPoint (&slider, juce::Point<int> (150, 10)).toFloat();
    const auto mouse = juce::MouseInputSource::InputSourceType::mouse;
    const auto noPressure = juce::MouseInputSource::defaultPressure;
    const auto noOrientation = juce::MouseInputSource::defaultOrientation;
    peer->handleMouseEvent (mouse, inPeer, {}, noPressure, noOrientation, juce::Time::currentTimeMillis());
    peer->handleMouseEvent (mouse, inPeer, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), noPressure,
                            noOrientation, juce::Time::currentTimeMillis());
    ASSERT_TRUE (slider.isMouseButtonDown());
    const double held = slider.getValue();

    EXPECT_FALSE (e.checkAndUpdateSlider (&slider, held < 0.5 ? 0.9f : 0.1f));
    EXPECT_EQ (slider.getValue(), held);

    peer->handleMouseEvent (mouse, inPeer, {}, noPressure, noOrientation, juce::Time::currentTimeMillis());
    ASSERT_FALSE (slider.isMouseButtonDown());
    EXPECT_TRUE (e.checkAndUpdateSlider (&slider, held < 0.5 ? 0.9f : 0.1f));
    EXPECT_NEAR (slider.getValue(), held < 0.5 ? 0.9 : 0.1, 1e-6);
}

TEST_F (EditorBinding, BoxValueWithoutAnItemIsNeitherShownNorWrittenBack)
{
    processor->setParameter (26, 2.0f / 3.0f);
    openEditor();
    auto& e = *editor;
    e.updateParametersFromProcessor();
    guitest::pump (50);

    EXPECT_EQ (e.panBox->getSelectedItemIndex(), -1);
    EXPECT_EQ (processor->getScaledParameter (26), 2.0f);

    e.comboBoxChanged (e.panBox);
    EXPECT_EQ (processor->getScaledParameter (26), 2.0f);

    processor->setParameter (26, 1.0f / 3.0f);
    e.updateParametersFromProcessor();
    guitest::pump (50);
    EXPECT_EQ (e.panBox->getSelectedItemIndex(), 1);
    EXPECT_EQ (processor->getScaledParameter (26), 1.0f);
}

using EditorSideEffects = EditorFixture;

TEST_F (EditorSideEffects, SymmSwitchesDimTheUpperBounds)
{
    openEditor();
    auto& e = *editor;

    click (*e.paramToggles[1]);
    EXPECT_NEAR (e.paramSliders[10]->getAlpha(), 0.5f, 0.003f);
    EXPECT_EQ (processor->getParameter (20), 1.0f);
    click (*e.paramToggles[2]);
    click (*e.paramToggles[3]);
    EXPECT_NEAR (e.paramSliders[12]->getAlpha(), 0.5f, 0.003f);
    EXPECT_NEAR (e.paramSliders[14]->getAlpha(), 0.5f, 0.003f);
    EXPECT_NEAR (e.paramSliders[9]->getAlpha(), 1.0f, 0.003f);

    click (*e.paramToggles[1]);
    EXPECT_NEAR (e.paramSliders[10]->getAlpha(), 1.0f, 0.003f);

    click (*e.paramToggles[0]);
    for (auto* row : e.paramSliders)
        EXPECT_GT (row->getAlpha(), 0.49f);
}

TEST_F (EditorSideEffects, RatioLockDimsAndSwitchesSymmetry)
{
    openEditor();
    auto& e = *editor;
    const auto alpha = [&] (int row) { return e.paramSliders[row]->getAlpha(); };

    e.specialComboChange (28, 1);
    for (int row : { 9, 11, 13 })
        EXPECT_NEAR (alpha (row), 0.4f, 0.003f) << row;
    for (int row : { 10, 12, 14 })
        EXPECT_NEAR (alpha (row), 0.5f, 0.003f) << row;
    for (int row : { 3, 4, 5, 6, 7, 8 })
        EXPECT_NEAR (alpha (row), 1.0f, 0.003f) << row;
    for (int j = 20; j <= 22; ++j)
        EXPECT_EQ (processor->getParameter (j), 1.0f);

    e.specialComboChange (28, 1);
    for (int row = 9; row <= 14; ++row)
        EXPECT_NEAR (alpha (row), 0.4f, 0.003f) << row;

    e.specialComboChange (28, 2);
    for (int row : { 9, 11, 13, 3, 4, 5 })
        EXPECT_NEAR (alpha (row), 1.0f, 0.003f) << row;
    for (int row : { 10, 12, 14, 6, 7, 8 })
        EXPECT_NEAR (alpha (row), 0.5f, 0.003f) << row;

    e.specialComboChange (28, 0);
    for (int row = 6; row <= 14; ++row)
        EXPECT_NEAR (alpha (row), 1.0f, 0.003f) << row;
    for (int row : { 3, 4, 5 })
        EXPECT_NEAR (alpha (row), 0.5f, 0.003f) << row;
    for (int j = 20; j <= 22; ++j)
        EXPECT_EQ (processor->getParameter (j), 0.0f);
}

TEST_F (EditorSideEffects, SourceChoicesDimCarrierAndRatios)
{
    openEditor();
    auto& e = *editor;
    const auto alpha = [&] (int row) { return e.paramSliders[row]->getAlpha(); };

    e.ratioLockBox->setSelectedItemIndex (1, juce::dontSendNotification);
    e.specialComboChange (27, 6);
    EXPECT_NEAR (alpha (2), 0.5f, 0.003f);
    EXPECT_NEAR (alpha (3), 1.0f, 0.003f);

    e.specialComboChange (27, 0);
    EXPECT_NEAR (alpha (2), 1.0f, 0.003f);

    e.specialComboChange (27, 5);
    EXPECT_NEAR (alpha (2), 0.5f, 0.003f);
    for (int row : { 3, 4, 5 })
        EXPECT_NEAR (alpha (row), 0.5f, 0.003f);
    EXPECT_EQ (e.ratioLockBox->getSelectedItemIndex(), 0);

    e.specialComboChange (27, 1);
    EXPECT_NEAR (alpha (2), 1.0f, 0.003f);
    EXPECT_NEAR (alpha (3), 0.5f, 0.003f); // the lock is off, so the ratios stay dimmed

    e.ratioLockBox->setSelectedItemIndex (2, juce::dontSendNotification);
    e.specialComboChange (27, 1);
    EXPECT_NEAR (alpha (3), 1.0f, 0.003f);
}

TEST_F (EditorSideEffects, OneShotAtTheThirtiethTickAppliesTheBoxes)
{
    processor->setParameter (28, 1.0f); // "c/m vel"
    processor->setParameter (27, 1.0f); // "scan"
    openEditor();
    auto& e = *editor;

    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.tickCount > 30; }));
    guitest::pump (20);

    for (int row : { 6, 7, 8, 10, 12, 14 })
        EXPECT_NEAR (e.paramSliders[row]->getAlpha(), 0.5f, 0.003f) << row;
    EXPECT_NEAR (e.paramSliders[2]->getAlpha(), 0.5f, 0.003f);
    for (int j = 20; j <= 22; ++j)
        EXPECT_EQ (processor->getParameter (j), 1.0f);

    e.specialComboChange (28, 0);
    e.tickCount = 999999;
    e.timerCallback (0);
    EXPECT_EQ (e.tickCount, 0);
    e.tickCount = 30;
    e.timerCallback (0);
    EXPECT_EQ (e.tickCount, 31);
    EXPECT_NEAR (e.paramSliders[6]->getAlpha(), 0.5f, 0.003f);
}

TEST_F (EditorSideEffects, PanChoiceMovesTheListener)
{
    processor->setParameter (26, 0.0f); // "off"
    openEditor();
    auto& e = *editor;
    renderBlocks (1);
    ASSERT_EQ (processor->scene.listeners.size(), 1u);
    EXPECT_EQ (processor->scene.listeners[0]->panner, processor->stereoPanner.get());

    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.tickCount > 30; }));
    renderBlocks (1);
    ASSERT_EQ (processor->scene.listeners.size(), 1u);
    EXPECT_EQ (processor->scene.listeners[0]->panner, processor->dbapPanner.get());

    e.panBox->setSelectedItemIndex (1, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor->getParameter (26), 1.0f / 3.0f);
    renderBlocks (1);
    ASSERT_EQ (processor->scene.listeners.size(), 1u);
    EXPECT_EQ (processor->scene.listeners[0]->panner, processor->stereoPanner.get());
}

// A host's "pan_type" 2 has no item in the box; the one-shot applies the value the
// parameter holds, which the processor renders through the distance-based panner.
TEST_F (EditorSideEffects, OneShotAppliesAPanValueWithoutAnItem)
{
    processor->setParameter (26, 2.0f / 3.0f);
    openEditor();
    auto& e = *editor;

    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.tickCount > 30; }));
    renderBlocks (1);
    EXPECT_EQ (processor->scene.listeners[0]->panner, processor->dbapPanner.get());
    EXPECT_EQ (processor->getScaledParameter (26), 2.0f);
    EXPECT_EQ (e.panBox->getSelectedItemIndex(), -1);
}

using EditorViewControls = EditorFixture;

TEST_F (EditorViewControls, TogglesSetViewAndAgentFlags)
{
    openEditor();
    auto& e = *editor;
    auto& agent = processor->agents[0];

    click (*e.autoRotateToggle);
    EXPECT_TRUE (e.openGLView.autoRotate);
    click (*e.axisToggle);
    EXPECT_TRUE (e.openGLView.drawAxes);
    click (*e.dragCentreToggle);
    EXPECT_TRUE (e.openGLView.dragCentre);
    click (*e.visAttenToggle);
    EXPECT_TRUE (agent.visAtten.load());
    click (*e.pointsToggle);
    EXPECT_FALSE (agent.showPoints.load());
    click (*e.infoToggle);
    EXPECT_FALSE (e.openGLView.drawInfo);
}

TEST_F (EditorViewControls, ResetRotationStopsTheCameraAndRecentres)
{
    openEditor();
    auto& e = *editor;

    click (*e.autoRotateToggle);
    processor->phi = 40.0f;
    processor->theta = 12.0f;
    processor->agents[0].targetCenter = al::Vec3d (1.0, 2.0, 0.0);

    e.buttonClicked (e.resetRotButton.get());

    EXPECT_FALSE (e.autoRotateToggle->getToggleState());
    EXPECT_FALSE (e.openGLView.autoRotate);
    EXPECT_EQ (processor->phi, 5.0f);
    EXPECT_EQ (processor->theta, -7.0f);
    const auto centre = processor->agents[0].targetCenter.load();
    EXPECT_EQ (centre[0], 0.0);
    EXPECT_EQ (centre[1], 0.0);
    EXPECT_EQ (centre[2], 0.0);
}

// A screenshot draws its frame's scene a second time; the camera still turns once a
// frame, and not at all once the rotation is off.
TEST_F (EditorViewControls, AutoRotationTurnsTheCameraOncePerFrameScreenshotsIncluded)
{
    openEditor();
    auto& e = *editor;
    guitest::pump (200);
    processor->phi = 5.0f;
    processor->theta = -7.0f;

    // Frames run under the message-thread lock, so none is in progress while the
    // test reads the counter and switches the rotation.
    const int firstFrame = e.openGLView.getFrameCounter();
    click (*e.autoRotateToggle);
    const auto base = guitest::outputFolder().getChildFile ("editor_rotating");
    base.withFileExtension ("png").deleteFile();
    e.saveScreenshots (base.getFullPathName());
    ASSERT_TRUE (guitest::pumpUntil ([&] { return base.withFileExtension ("png").existsAsFile(); }));
    click (*e.autoRotateToggle);
    const int frames = e.openGLView.getFrameCounter() - firstFrame;

    float theta = -7.0f, phi = 5.0f;
    for (int i = 0; i < frames; ++i)
    {
        theta = (float) ((double) theta + 0.15);
        phi = (float) ((double) phi + 0.12);
    }
    EXPECT_EQ (processor->theta, theta) << frames << " frames";
    EXPECT_EQ (processor->phi, phi) << frames << " frames";

    guitest::pump (100);
    EXPECT_EQ (processor->theta, theta);
}

// Mesa reads its driver settings, among them a renderer name to report, from the
// environment when the process makes its first context (ctest runs each test in a
// process of its own). Under a hardware name the four views smooth their lines; on
// llvmpipe itself the curve and trail tests see the lines drawn, so plain.
TEST_F (EditorViewControls, LinesAreSmoothedUnlessTheRendererDropsSmoothedSegments)
{
    for (const char* software : { "llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe" })
        EXPECT_TRUE (rendererDropsSmoothedSegments (software));
    for (const char* hardware : { "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)",
                                  "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", (const char*) nullptr })
        EXPECT_FALSE (rendererDropsSmoothedSegments (hardware));

    const juce::String gpu = "Mesa Intel(R) UHD Graphics 620 (KBL GT2)";
    setenv ("force_gl_renderer", gpu.toRawUTF8(), 1);
    openEditor();
    auto& e = *editor;
    e.buttonClicked (e.curvesButton.get());
    auto& c = e.curveComponent;
    juce::OpenGLAppComponent* views[] = { &e.openGLView, &c.velCurve, &c.dopplerCurve, &c.attenCurve };
    ASSERT_TRUE (guitest::pumpUntil (
        [&]
        {
            for (auto* view : views)
                if (view->getFrameCounter() == 0)
                    return false;
            return true;
        }));
    unsetenv ("force_gl_renderer");

    for (auto* view : views)
    {
        // What the latest frame left. The views share one render thread, whose frames
        // wait for the message thread, so this one dispatches while it waits.
        juce::String renderer;
        bool smooth = false;
        GLint hint = 0;
        std::atomic<bool> read{ false };
        view->openGLContext.executeOnGLThread (
            [&] (juce::OpenGLContext&)
            {
                using namespace juce::gl;
                renderer = (const char*) glGetString (GL_RENDERER);
                smooth = glIsEnabled (GL_LINE_SMOOTH) == GL_TRUE;
                glGetIntegerv (GL_LINE_SMOOTH_HINT, &hint);
                read = true;
            },
            false);
        ASSERT_TRUE (guitest::pumpUntil ([&] { return read.load(); }));
        if (renderer != gpu)
            GTEST_SKIP() << "the renderer " << renderer << " was chosen before this test";
        EXPECT_TRUE (smooth);
        EXPECT_EQ (hint, (GLint) juce::gl::GL_NICEST);
    }
}

TEST_F (EditorViewControls, CurvesButtonShowsAndHidesTheModulatorWindow)
{
    openEditor();
    auto& e = *editor;

    e.buttonClicked (e.curvesButton.get());
    const auto* peer = e.modulatorWindow->getPeer();
    ASSERT_NE (peer, nullptr);
    EXPECT_TRUE (e.modulatorWindow->isShowing());
    EXPECT_EQ (e.modulatorWindow->getContentComponent(), &e.curveComponent);
    EXPECT_EQ (e.curveComponent.getBounds().getWidth(), 800);

    e.buttonClicked (e.curvesButton.get());
    EXPECT_FALSE (e.modulatorWindow->isVisible());
    EXPECT_EQ (e.modulatorWindow->getPeer(), peer);

    QuorvelGLCurveComponent* views[] = { &e.curveComponent.velCurve, &e.curveComponent.dopplerCurve,
                                         &e.curveComponent.attenCurve };
    const auto showAndWaitForFrames = [&]
    {
        int before[3];
        for (int v = 0; v < 3; ++v)
            before[v] = views[v]->getFrameCounter();
        e.buttonClicked (e.curvesButton.get());
        return guitest::pumpUntil (
            [&]
            {
                for (int v = 0; v < 3; ++v)
                    if (views[v]->getFrameCounter() <= before[v])
                        return false;
                return true;
            });
    };

    // Hiding a window whose views have drawn, with the X events of each hide
    // dispatched before the next show; then double clicks, which give the views'
    // first frames no time at all.
    for (int cycle = 0; cycle < 20; ++cycle)
    {
        renderBlocks (2);
        ASSERT_TRUE (showAndWaitForFrames()) << "cycle " << cycle;
        e.buttonClicked (e.curvesButton.get());
        ASSERT_FALSE (e.modulatorWindow->isVisible());
        guitest::pump (30);
    }

    for (int cycle = 0; cycle < 5; ++cycle)
    {
        e.buttonClicked (e.curvesButton.get());
        e.buttonClicked (e.curvesButton.get());
        guitest::pump (5);
    }

    EXPECT_TRUE (showAndWaitForFrames());
    EXPECT_TRUE (e.modulatorWindow->isShowing());

    // A window manager's resize keeps the views in their quarters; its close box hides
    // the window as "curves" does, and "curves" shows it again.
    e.modulatorWindow->setSize (600, 500);
    EXPECT_EQ (e.curveComponent.attenCurve.getBounds(), juce::Rectangle<int> (300, 0, 300, 250));
    EXPECT_EQ (e.curveComponent.dopplerCurve.getBounds(), juce::Rectangle<int> (0, 250, 300, 250));
    e.modulatorWindow->userTriedToCloseWindow();
    EXPECT_FALSE (e.modulatorWindow->isVisible());
    EXPECT_TRUE (showAndWaitForFrames());
}

TEST_F (EditorViewControls, ClosingWithTheCurvesOpenTakesTheModulatorWindowAlong)
{
    const int peersBefore = juce::ComponentPeer::getNumPeers();
    openEditor();
    auto& e = *editor;

    e.buttonClicked (e.curvesButton.get());
    ASSERT_TRUE (e.modulatorWindow->isShowing());
    EXPECT_EQ (e.modulatorWindow->getWidth(), 800);
    EXPECT_EQ (e.modulatorWindow->getHeight(), 800);
    EXPECT_EQ (e.curveComponent.getBounds(), juce::Rectangle<int> (0, 0, 800, 800));
    EXPECT_EQ (juce::ComponentPeer::getNumPeers(), peersBefore + 2);

    // Audio and the 33 ms repaints keep the three views drawing up to the close.
    for (int i = 0; i < 10; ++i)
    {
        renderBlocks (4);
        guitest::pump (40);
    }

    editor.reset();
    guitest::pump (100);
    EXPECT_EQ (juce::ComponentPeer::getNumPeers(), peersBefore);
}

TEST_F (EditorViewControls, PresetNameReachesTheView)
{
    processor->setCurrentPresetName ("Lazy Orbit");
    openEditor();
    auto& e = *editor;
    e.presetStrip->getCurrentPresetName();

    ASSERT_TRUE (guitest::pumpUntil ([&] { return e.openGLView.overlayPresetName == "Lazy Orbit"; }));
}

TEST_F (EditorViewControls, ScreenshotsFollowTheModulatorWindow)
{
    openEditor();
    auto& e = *editor;
    guitest::pump (300);

    const auto folder = guitest::outputFolder();
    const auto base = folder.getChildFile ("editor_snapshot");
    const juce::StringArray endings{ ".png", "_vel.png", "_doppler.png", "_atten.png" };

    for (auto& ending : endings)
        folder.getChildFile ("editor_snapshot" + ending).deleteFile();

    e.saveScreenshots (base.getFullPathName());
    EXPECT_TRUE (guitest::pumpUntil ([&] { return folder.getChildFile ("editor_snapshot.png").existsAsFile(); }));
    guitest::pump (300);
    EXPECT_FALSE (folder.getChildFile ("editor_snapshot_vel.png").existsAsFile());

    e.buttonClicked (e.curvesButton.get());
    guitest::pump (300);
    e.saveScreenshots (base.getFullPathName());
    guitest::pumpUntil (
        [&]
        {
            for (auto& ending : endings)
                if (!folder.getChildFile ("editor_snapshot" + ending).existsAsFile())
                    return false;
            return true;
        });

    // Opaque, as the screen shows them: the frames' blending leaves coverage in alpha.
    for (auto& ending : endings)
    {
        const auto file = folder.getChildFile ("editor_snapshot" + ending);
        ASSERT_TRUE (file.existsAsFile()) << ending;
        const auto image = guitest::loadPng (file);
        ASSERT_TRUE (image.isValid()) << ending;
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
        int translucent = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                translucent += pixels.getPixelColour (x, y).getAlpha() != 255;
        EXPECT_EQ (translucent, 0) << ending;
    }

    const auto view = guitest::loadPng (folder.getChildFile ("editor_snapshot.png"));
    EXPECT_EQ (view.getWidth(), 708);
    EXPECT_EQ (view.getHeight(), 608);
}

TEST_F (EditorLayout, ProcessorCreatesThisEditor)
{
    EXPECT_TRUE (processor->hasEditor());
    std::unique_ptr<juce::AudioProcessorEditor> created (processor->createEditor());
    auto* ours = dynamic_cast<QuorvelV2AudioProcessorEditor*> (created.get());
    ASSERT_NE (ours, nullptr);
    EXPECT_EQ (&ours->processor, processor.get());
}

namespace
{
// A press and release through the window's own peer, as the user's pointer gives them.
void pressThroughPeer (juce::Component& target, juce::Point<int> from, juce::Point<int> to)
{
    auto* peer = target.getPeer();
    if (peer == nullptr)
        return;
    const auto mouse = juce::MouseInputSource::InputSourceType::mouse;
    const auto left = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);
    const auto send = [&] (juce::Point<int> at, juce::ModifierKeys mods)
    {
        const auto inPeer = peer->getComponent().getLocalPoint (&target, at).toFloat();
        peer->handleMouseEvent (mouse, inPeer, mods, juce::MouseInputSource::defaultPressure,
                                juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
    };
    send (from, {});
    send (from, left);
    send (to, left);
    send (to, {});
}
} // namespace

using EditorSoak = EditorFixture;

// A user doing anything in any order while a host renders and plays notes: a few
// hundred actions from a fixed seed, the editor closed and reopened among them.
TEST_F (EditorSoak, RandomUserActionsWhileAnotherThreadRenders)
{
    const auto home = juce::File::createTempFile ("soak-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    const auto presets = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                             .getChildFile ("Audio/Presets/Toravel");
    presets.createDirectory();
    juce::Random random (16);

    for (const auto* name : { "drift", "orbit", "swarm" })
    {
        QuorvelV2AudioProcessor writer;
        for (int i = 0; i < writer.getNumParameters(); ++i)
            writer.setParameter (i, random.nextFloat());
        writer.setCurrentPresetName (name);
        ASSERT_TRUE (writer.saveStateToFile (presets.getChildFile (juce::String (name) + ".zkp")));
    }

    std::atomic<bool> running{ true };
    std::atomic<int> blocks{ 0 }, nonFinite{ 0 };
    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::MidiBuffer midi;
            for (int n = 0; running.load(); ++n)
            {
                midi.clear();
                if (n % 40 == 0)
                    midi.addEvent (juce::MidiMessage::noteOn (1, 48 + n % 24, 0.8f), 0);
                if (n % 40 == 25)
                    midi.addEvent (juce::MidiMessage::allNotesOff (1), 0);
                buffer.clear();
                processor->processBlock (buffer, midi);
                for (int c = 0; c < 2; ++c)
                    for (int s = 0; s < buffer.getNumSamples(); ++s)
                        nonFinite += std::isfinite (buffer.getSample (c, s)) ? 0 : 1;
                ++blocks;
                std::this_thread::sleep_for (std::chrono::microseconds (800));
            }
        });

    openEditor();

    // Under ThreadSanitizer every frame of the views, drawn under the message-thread
    // lock, is many times slower, and so is every action: fewer keep it within a minute.
#if defined(__SANITIZE_THREAD__)
    const int actions = 100;
#else
    const int actions = 300;
#endif

    for (int action = 0; action < actions; ++action)
    {
        auto& e = *editor;
        QuorvelGLCurveComponent* curves[] = { &e.curveComponent.velCurve, &e.curveComponent.dopplerCurve,
                                              &e.curveComponent.attenCurve };
        juce::Button* buttons[] = { e.paramToggles[0],           e.paramToggles[1],      e.paramToggles[2],
                                    e.paramToggles[3],           e.autoRotateToggle.get(), e.axisToggle.get(),
                                    e.infoToggle.get(),          e.pointsToggle.get(),   e.resetRotButton.get(),
                                    e.dragCentreToggle.get(),    e.visAttenToggle.get(), e.curvesButton.get(),
                                    e.presetStrip->previousButton.get(), e.presetStrip->nextButton.get() };

        switch (random.nextInt (10))
        {
            case 0:
            case 1:
            {
                auto& button = *buttons[random.nextInt ((int) std::size (buttons))];
                const auto centre = button.getLocalBounds().getCentre();
                pressThroughPeer (button, centre, centre);
                break;
            }
            case 2:
            {
                auto& slider = e.paramSliders[random.nextInt (e.paramSliders.size())]->slider;
                pressThroughPeer (slider, { random.nextInt (300), 10 }, { random.nextInt (300), 10 });
                break;
            }
            case 3:
            {
                const auto from = juce::Point<int> (random.nextInt (e.openGLView.getWidth()), 100);
                pressThroughPeer (e.openGLView, from, from + juce::Point<int> (random.nextInt (80), 40));
                const juce::juce_wchar keys[] = { 'a', 'i', 'n', 'p' };
                const auto key = keys[random.nextInt (4)];
                e.openGLView.keyPressed (juce::KeyPress (key, {}, key));
                break;
            }
            case 4:
            {
                auto& view = *curves[random.nextInt (3)];
                const auto event = guitest::mouseEvent (view, { 200.0f, 200.0f }, 2);
                if (random.nextBool())
                    view.mouseWheelMove (event, guitest::wheel (random.nextFloat() - 0.5f, random.nextFloat() - 0.5f));
                else
                    view.mouseDoubleClick (event);
                break;
            }
            case 5:
            {
                // Shown, the window is looked at until its views have drawn.
                const int drawn = curves[2]->getFrameCounter();
                e.buttonClicked (e.curvesButton.get());
                if (e.modulatorWindow->isVisible())
                    guitest::pumpUntil ([&] { return curves[2]->getFrameCounter() > drawn; }, 2000);
                break;
            }
            case 6:
                e.saveScreenshots (home.getChildFile ("shot" + juce::String (action)).getFullPathName());
                break;
            case 7:
            {
                auto* box = e.comboBoxes[random.nextInt (e.comboBoxes.size())];
                box->setSelectedItemIndex (random.nextInt (box->getNumItems()), juce::sendNotificationAsync);
                break;
            }
            case 8:
            {
                const int row = random.nextInt (e.valueInputs.size());
                auto& field = *e.valueInputs[row];
                field.grabKeyboardFocus();
                field.setText (juce::String (random.nextFloat() * 2000.0f - 500.0f), false);
                e.textEditorReturnKeyPressed (field);
                break;
            }
            default:
                if (random.nextInt (4) == 0)
                {
                    closeEditor();
                    openEditor();
                }
                break;
        }

        guitest::pump (random.nextInt (25));
    }

    guitest::pump (200);
    closeEditor();
    guitest::pump (100);
    running = false;
    audio.join();

    EXPECT_GT (blocks.load(), 100);
    EXPECT_EQ (nonFinite.load(), 0);
    home.deleteRecursively();
}
