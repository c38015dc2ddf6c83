#include "PluginEditor.h"

#include "ZKFonts.h"

namespace
{
constexpr int firstToggleParameter = 19;
constexpr int firstComboParameter = 23;
constexpr int numRows = 19;
constexpr int controlWidth = 80;
constexpr int controlHeight = 20;

// The boxes of the choice parameters from "motion_type" on, in index order.
const char* const comboCaptions[] = { "motion:", "doppler:",    "attenu:",   "spatial:",
                                      "source:", "ratio lock:", "aa filter:" };

// Extra space below a row: the rows fall into groups (levels, ratios, speeds,
// bounds, envelope) separated by wider gaps.
int gapAfterRow (int row)
{
    switch (row)
    {
        case 0:
        case 1:
        case 2:
        case 5:
            return 13;
        case 8:
        case 14:
            return 40;
        default:
            return 0;
    }
}

juce::Colour axisColour (int axis)
{
    switch (axis)
    {
        case 0:
            return juce::Colours::orange;
        case 1:
            return juce::Colours::turquoise;
        default:
            return juce::Colours::violet;
    }
}
} // namespace

QuorvelParamSlider::QuorvelParamSlider (const juce::String& parameterName)
{
    slider.setRange (0.0, 1.0, 0.0);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    slider.setBounds (0, 0, 300, 20);
    nameLabel.setText (parameterName, juce::dontSendNotification);
    nameLabel.setBounds (300, 0, 60, 20);
    addAndMakeVisible (slider);
    addAndMakeVisible (nameLabel);
    setSize (rowWidth, rowHeight);
}

QuorvelParamSlider::~QuorvelParamSlider() = default;

CurveComponent::CurveComponent (QuorvelV2AudioProcessor* processor)
    : velCurve (processor), dopplerCurve (processor), attenCurve (processor)
{
    // Sizing lays the views out (resized): speed top left, Doppler below it,
    // attenuation to its right.
    setSize (dopplerCurve.getWidth() * 2, dopplerCurve.getHeight() * 2);
    addAndMakeVisible (velCurve);
    addAndMakeVisible (dopplerCurve);
    addAndMakeVisible (attenCurve);
}

CurveComponent::~CurveComponent() = default;

// The window manager may resize the window: the three views keep their quarters.
void CurveComponent::resized()
{
    const int halfWidth = getWidth() / 2;
    const int halfHeight = getHeight() / 2;
    velCurve.setBounds (0, 0, halfWidth, halfHeight);
    dopplerCurve.setBounds (0, halfHeight, halfWidth, getHeight() - halfHeight);
    attenCurve.setBounds (halfWidth, 0, getWidth() - halfWidth, halfHeight);
}

void CurveComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::darkgrey);
}

void CurveComponent::releaseOpenGL()
{
    for (auto* view : { (QuorvelGLCurveComponent*) &velCurve, (QuorvelGLCurveComponent*) &dopplerCurve,
                        (QuorvelGLCurveComponent*) &attenCurve })
        view->openGLContext.detach();
}

void CurveComponent::resumeOpenGL()
{
    for (auto* view : { (QuorvelGLCurveComponent*) &velCurve, (QuorvelGLCurveComponent*) &dopplerCurve,
                        (QuorvelGLCurveComponent*) &attenCurve })
        view->openGLContext.attachTo (*view);
}

void CurveComponent::saveScreenshot (const juce::String& path)
{
    velCurve.saveScreenshot (path + "_vel");
    dopplerCurve.saveScreenshot (path + "_doppler");
    attenCurve.saveScreenshot (path + "_atten");
}

ModulatorWindow::ModulatorWindow (std::function<void()> whenClosed)
    : juce::ResizableWindow ("Modulator", false), onClose (std::move (whenClosed))
{
}

void ModulatorWindow::userTriedToCloseWindow()
{
    if (onClose)
        onClose();
}

int ModulatorWindow::getDesktopWindowStyleFlags() const
{
    return juce::ResizableWindow::getDesktopWindowStyleFlags() | juce::ComponentPeer::windowHasCloseButton;
}

QuorvelV2AudioProcessorEditor::QuorvelV2AudioProcessorEditor (QuorvelV2AudioProcessor& p)
    : juce::AudioProcessorEditor (&p), processor (p), openGLView (&p),
      toggleLook (juce::Colour (0xffdd0b0b), juce::Colours::lightgrey), curveComponent (&p)
{
    setSize (1200, 700);
    setLookAndFeel (&mainLook);

    modulatorWindow = std::make_unique<ModulatorWindow> ([this] { hideModulatorWindow(); });
    modulatorWindow->setSize (400, 400);
    modulatorWindow->setTopLeftPosition (100, 100);
    // The title bar is chosen before the content so that the window fits itself
    // around the content's 800 x 800 with no border of its own that would stretch it.
    modulatorWindow->setUsingNativeTitleBar (true);
    modulatorWindow->setContentNonOwned (&curveComponent, true);
    // Off the desktop until "curves" first shows it: a host may make the editor before
    // it has a window of its own (to learn whether there is one), with no window
    // manager and no handler for X errors yet, and a top-level window made then would
    // send requests that the server refuses, ending the host.

    for (int i = 0; i < numRows; ++i)
    {
        auto* row = new QuorvelParamSlider (processor.getParameterName (i));
        row->slider.addListener (this);
        row->slider.setLookAndFeel (&sliderLook);
        addAndMakeVisible (row);
        paramSliders.add (row);

        // The text goes in once the field is in the window: text set before the field
        // has its parent's look stays invisible until it next changes.
        auto* input = new juce::TextEditor (juce::String(), 0);
        input->setSize (controlWidth, controlHeight);
        input->addListener (this);
        addAndMakeVisible (input);
        input->setText (processor.getParameterText (i), false);
        valueInputs.add (input);
    }

    for (int j = firstToggleParameter; j < firstComboParameter; ++j)
    {
        auto* toggle = new juce::ToggleButton();
        toggle->setLookAndFeel (&toggleLook);
        toggle->setButtonText (processor.getParameterName (j));
        toggle->addListener (this);
        addAndMakeVisible (toggle);
        paramToggles.add (toggle);
    }

    for (int axis = 0; axis < 3; ++axis)
    {
        for (int row : { 3 + axis, 6 + axis, 9 + 2 * axis, 10 + 2 * axis })
            paramSliders[row]->nameLabel.setColour (juce::Label::textColourId, axisColour (axis));

        paramToggles[1 + axis]->setColour (juce::ToggleButton::textColourId, axisColour (axis));
    }

    const auto makeToggle = [this] (const juce::String& text)
    {
        auto toggle = std::make_unique<juce::ToggleButton> (text);
        toggle->setLookAndFeel (&toggleLook);
        toggle->addListener (this);
        addAndMakeVisible (*toggle);
        return toggle;
    };
    const auto makeButton = [this] (const juce::String& text)
    {
        auto button = std::make_unique<juce::TextButton> (text);
        button->setColour (juce::TextButton::buttonColourId, juce::Colours::white);
        button->addListener (this);
        addAndMakeVisible (*button);
        return button;
    };

    dragCentreToggle = makeToggle ("drag center");
    visAttenToggle = makeToggle ("vis atten");
    autoRotateToggle = makeToggle ("auto rot");
    axisToggle = makeToggle ("axis");
    infoToggle = makeToggle ("info");
    pointsToggle = makeToggle ("points");
    resetRotButton = makeButton ("reset rot");
    curvesButton = makeButton ("curves");
    snapshotButton = makeButton ("snapshot");

    infoToggle->setToggleState (true, juce::sendNotification);
    pointsToggle->setToggleState (true, juce::sendNotification);

    juce::ComboBox** roles[] = { &motionBox, &dopplerBox,   &attenuationBox, &panBox,
                                 &sourceBox, &ratioLockBox, &aaFilterBox };

    for (int k = 0; k < (int) std::size (comboCaptions); ++k)
    {
        auto* box = new juce::ComboBox (juce::String());
        *roles[k] = box;
        box->addListener (this);
        box->addItemList (trParamValueNames (firstComboParameter + k), 1);

        addAndMakeVisible (box);
        comboBoxes.add (box);

        auto* label = new juce::Label (comboCaptions[k]);
        label->setText (comboCaptions[k], juce::dontSendNotification);

        if (box != ratioLockBox)
            addAndMakeVisible (label);

        comboLabels.add (label);
    }

    for (auto* box : comboBoxes)
        box->setLookAndFeel (&comboLook);

    for (auto* label : comboLabels)
        label->setJustificationType (juce::Justification::left);

    presetStrip = std::make_unique<ZKPresetMenu> (&processor);
    addAndMakeVisible (*presetStrip);
    presetStrip->setBounds (600, 3, 234, 32);

    addAndMakeVisible (openGLView);
    resized();

    startTimer (0, 200);
    startTimer (1, 33);

    setWantsKeyboardFocus (false);
}

QuorvelV2AudioProcessorEditor::~QuorvelV2AudioProcessorEditor()
{
    stopTimer (0);
    stopTimer (1);

    // The curve views are destroyed before their window (member order), so they let go
    // of their OpenGL windows while it still has its own.
    hideModulatorWindow();

    setLookAndFeel (nullptr);
}

void QuorvelV2AudioProcessorEditor::resized()
{
    if (paramSliders.isEmpty())
        return;

    const int w = getWidth();
    const int h = getHeight();

    int y = 2;

    for (int i = 0; i < paramSliders.size(); ++i)
    {
        auto* row = paramSliders[i];
        row->setTopLeftPosition (w - row->getWidth(), y);
        valueInputs[i]->setTopLeftPosition (row->getX() - valueInputs[i]->getWidth(), y);
        y += row->getHeight() + 5 + gapAfterRow (i);
    }

    const auto field = [this] (int i) { return valueInputs[i]->getPosition(); };

    paramToggles[0]->setBounds (field (15).x, field (15).y - 30, controlWidth, controlHeight);

    for (int k = 1; k <= 3; ++k)
        paramToggles[k]->setBounds (field (9).x + 120 * (k - 1), field (9).y - 30, controlWidth, controlHeight);

    const int x0 = field (0).x;
    axisToggle->setBounds (x0, h - 90, controlWidth, controlHeight);
    infoToggle->setBounds (axisToggle->getRight() + 10, h - 90, controlWidth, controlHeight);
    pointsToggle->setBounds (x0, h - 60, controlWidth, controlHeight);
    autoRotateToggle->setBounds (pointsToggle->getRight() + 10, h - 60, controlWidth, controlHeight);
    resetRotButton->setBounds (autoRotateToggle->getRight() + 10, h - 60, controlWidth, controlHeight);
    visAttenToggle->setBounds (w - 180, h - 60, controlWidth, controlHeight);
    dragCentreToggle->setBounds (visAttenToggle->getX(), visAttenToggle->getY() - 25, controlWidth, controlHeight);
    snapshotButton->setBounds (w - 90, h - 60, controlWidth, controlHeight);
    curvesButton->setBounds (snapshotButton->getX(), snapshotButton->getY() - 30, controlWidth, controlHeight);

    int runningX = 156;

    for (int k = 0; k < comboBoxes.size(); ++k)
    {
        auto* box = comboBoxes[k];
        auto* label = comboLabels[k];

        if (box == ratioLockBox)
        {
            box->setBounds (paramToggles[0]->getRight() + 10, paramToggles[0]->getY(), controlWidth, controlHeight);
        }
        else if (box == sourceBox)
        {
            label->setBounds (16, h - 32, 60, 24);
            box->setBounds (label->getRight(), h - 32, 80, 24);
        }
        else if (box == aaFilterBox)
        {
            label->setBounds (x0, h - 32, 80, 24);
            box->setBounds (label->getRight() + 10, h - 32, 80, 24);
        }
        else
        {
            label->setBounds (runningX, h - 32, 60, 24);
            box->setBounds (label->getRight(), h - 32, 80, 24);
            runningX += 140;
        }
    }

    const int s = x0 - 32;
    openGLView.setBounds (22, 32, s, (int) ((double) s * 0.86));

    presetStrip->setBounds (openGLView.getRight() - 234, 0, 234, 32);
}

void QuorvelV2AudioProcessorEditor::paint (juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();
    const int r = openGLView.getRight() + 5;

    g.fillAll (juce::Colours::white);

    g.setColour (juce::Colours::grey);
    g.fillRect (r, 0, w - r, h);
    g.fillRect (0, 0, w, 32);
    g.drawLine (0.0f, 0.0f, 0.0f, (float) h, 1.0f);

    g.setColour (juce::Colours::black);
    const float separator = (float) (motionBox->getY() - 6);
    g.drawLine (0.0f, separator, (float) r, separator, 1.0f);

    g.setColour (juce::Colours::grey);
    g.drawLine (0.0f, (float) h, (float) r, (float) h, 1.0f);

    g.setColour (juce::Colours::black);
    auto font = setFontToDizEreviRazu();
    font.setHeight (24.0f);
    g.setFont (font);
    g.drawText ("TORAVEL SYNTHESIS", 8, 2, 450, 30, juce::Justification::left, true);
}
