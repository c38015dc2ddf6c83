#include "PluginEditor.h"
#include "FrameworkX11.h"

#include <cmath>

namespace
{
constexpr int firstToggleParameter = 19;
constexpr int firstComboParameter = 23;
constexpr int ratioTypeParameter = 28;
constexpr int oscTypeParameter = 27;
constexpr int panTypeParameter = 26;
constexpr int tickCountLimit = 999999;
constexpr int oneShotTick = 30;
} // namespace

void QuorvelV2AudioProcessorEditor::timerCallback (int timerId)
{
    if (timerId == 1)
    {
        openGLView.overlayPresetName = presetStrip->presetNameLabel->getText();
        openGLView.openGLContext.triggerRepaint();

        if (modulatorWindow->isVisible())
        {
            curveComponent.velCurve.openGLContext.triggerRepaint();
            curveComponent.dopplerCurve.openGLContext.triggerRepaint();
            curveComponent.attenCurve.openGLContext.triggerRepaint();
        }

        deliverQueuedXEvents();
    }
    else if (timerId == 0)
    {
        updateParametersFromProcessor();
        keepModulatorWindowInPlace();
    }

    if (tickCount == oneShotTick)
    {
        for (int k = 0; k < comboBoxes.size(); ++k)
        {
            const int parameter = k + firstComboParameter;
            int item = comboBoxes[k]->getSelectedItemIndex();

            // A value the box has no item for (a host's "pan_type" 2 or 3) is applied
            // as the parameter holds it rather than as "no item".
            if (item < 0)
                item = (int) processor.getScaledParameter (parameter);

            specialComboChange (parameter, item);
        }
    }

    tickCount = tickCount < tickCountLimit ? tickCount + 1 : 0;
}

void QuorvelV2AudioProcessorEditor::updateParametersFromProcessor()
{
    for (int i = 0; i < paramSliders.size(); ++i)
    {
        checkAndUpdateSlider (&paramSliders[i]->slider, processor.getParameter (i));
        checkAndUpdateInput (valueInputs[i], processor.getParameterText (i));
    }

    for (int k = 0; k < paramToggles.size(); ++k)
        checkAndUpdateToggle (paramToggles[k], processor.getParameter (k + firstToggleParameter) != 0.0f);

    for (int k = 0; k < comboBoxes.size(); ++k)
        checkAndUpdateComboBox (comboBoxes[k], processor.getScaledParameter (k + firstComboParameter));
}

bool QuorvelV2AudioProcessorEditor::checkAndUpdateSlider (juce::Slider* slider, float normalised)
{
    if (slider->isMouseButtonDown())
        return false;

    if (std::abs ((float) slider->getValue() - normalised) > 0.01f)
    {
        slider->setValue (normalised, juce::dontSendNotification);
        return true;
    }

    return false;
}

void QuorvelV2AudioProcessorEditor::checkAndUpdateInput (juce::TextEditor* input, juce::String text)
{
    // Focus alone does not mean the user is editing: a click on a control that takes no
    // focus (the preset strip's buttons) hands it to the first field, which would then
    // show a stale value for as long as it kept it.
    if (input->hasKeyboardFocus (true) && isBeingTyped (input))
        return;

    if (input->getText() != text)
        input->setText (text, false);
}

bool QuorvelV2AudioProcessorEditor::checkAndUpdateToggle (juce::Button* button, bool on)
{
    if (button->getToggleState() != on)
    {
        button->setToggleState (on, juce::dontSendNotification);
        return true;
    }

    return false;
}

bool QuorvelV2AudioProcessorEditor::checkAndUpdateComboBox (juce::ComboBox* box, float scaled)
{
    int index = (int) scaled;

    // A value with no item is shown as no selection, without a notification: the
    // editor has nothing to send back for it.
    if (index < 0 || index >= box->getNumItems())
    {
        if (box->getSelectedItemIndex() < 0)
            return false;

        box->setSelectedId (0, juce::dontSendNotification);
        return true;
    }

    if (index != box->getSelectedItemIndex())
    {
        box->setSelectedItemIndex (index, juce::sendNotificationAsync);
        return true;
    }

    return false;
}

void QuorvelV2AudioProcessorEditor::setParameterFromEditor (int index, float normalised)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    processor.setParameterNotifyingHost (index, normalised);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void QuorvelV2AudioProcessorEditor::sliderValueChanged (juce::Slider* slider)
{
    for (int i = 0; i < paramSliders.size(); ++i)
    {
        if (&paramSliders[i]->slider == slider)
        {
            setParameterFromEditor (i, (float) slider->getValue());
            showParameterText (i);
            return;
        }
    }
}

void QuorvelV2AudioProcessorEditor::textEditorTextChanged (juce::TextEditor& editor)
{
    // Only the user's typing reports a change: the editor's own writes send none.
    const int i = valueInputs.indexOf (&editor);

    if (i >= 0)
        typedFields.setBit (i);
}

bool QuorvelV2AudioProcessorEditor::isBeingTyped (juce::TextEditor* input) const
{
    const int i = valueInputs.indexOf (input);
    return i >= 0 && typedFields[i];
}

void QuorvelV2AudioProcessorEditor::showParameterText (int index)
{
    valueInputs[index]->setText (processor.getParameterText (index), false);
    typedFields.clearBit (index);
}

void QuorvelV2AudioProcessorEditor::textEditorReturnKeyPressed (juce::TextEditor& editor)
{
    const int i = valueInputs.indexOf (&editor);

    if (i < 0)
        return;

    float value = editor.getText().getFloatValue();

    // Not-a-number or infinite text would poison the engine's state for good.
    if (!std::isfinite (value))
        value = 0.0f;

    processor.setScaledParameter (i, value);
    paramSliders[i]->slider.setValue (processor.getParameter (i), juce::sendNotificationAsync);
}

void QuorvelV2AudioProcessorEditor::textEditorFocusLost (juce::TextEditor& editor)
{
    const int i = valueInputs.indexOf (&editor);

    if (i >= 0)
        showParameterText (i);
}

void QuorvelV2AudioProcessorEditor::comboBoxChanged (juce::ComboBox* box)
{
    const int k = comboBoxes.indexOf (box);

    if (k < 0)
        return;

    const int parameter = k + firstComboParameter;
    const int item = box->getSelectedItemIndex();

    // No item selected means nothing was chosen; writing -1 would clamp to item 0.
    if (item < 0)
        return;

    if (item == (int) processor.getScaledParameter (parameter))
        return;

    setParameterFromEditor (parameter, (float) item / (float) (processor.getParameterNumSteps (parameter) - 1));
    specialComboChange (parameter, item);
}

void QuorvelV2AudioProcessorEditor::buttonClicked (juce::Button* button)
{
    for (int k = 0; k < paramToggles.size(); ++k)
    {
        if (paramToggles[k] == button)
        {
            const int parameter = k + firstToggleParameter;
            const bool on = button->getToggleState();
            setParameterFromEditor (parameter, on ? 1.0f : 0.0f);
            specialToggleChange (parameter, on);
            return;
        }
    }

    const bool state = button->getToggleState();
    auto& agent = processor.agents[0];

    if (button == autoRotateToggle.get())
    {
        openGLView.autoRotate = state;
    }
    else if (button == axisToggle.get())
    {
        openGLView.drawAxes = state;
    }
    else if (button == infoToggle.get())
    {
        openGLView.enableDrawInfo (state);
    }
    else if (button == dragCentreToggle.get())
    {
        openGLView.dragCentre = state;
    }
    else if (button == pointsToggle.get())
    {
        agent.showPoints = state;
    }
    else if (button == visAttenToggle.get())
    {
        agent.visAtten = state;
    }
    else if (button == resetRotButton.get())
    {
        autoRotateToggle->setToggleState (false, juce::sendNotification);
        processor.phi = 5.0f;
        processor.theta = -7.0f;
        agent.targetCenter = al::Vec3d (0.0, 0.0, 0.0);
    }
    else if (button == curvesButton.get())
    {
        if (modulatorWindow->isVisible())
            hideModulatorWindow();
        else
            showModulatorWindow();
    }
    else if (button == snapshotButton.get())
    {
        stopTimer (1);
        screenshotChooser =
            std::make_unique<juce::FileChooser> ("Save Screenshots as...", juce::File(), juce::String(), true);
        const auto flags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles |
                           juce::FileBrowserComponent::warnAboutOverwriting;
        screenshotChooser->launchAsync (flags,
                                        [safeThis = juce::Component::SafePointer<QuorvelV2AudioProcessorEditor> (
                                             this)] (const juce::FileChooser& chooser)
                                        {
                                            if (safeThis == nullptr)
                                                return;

                                            const auto file = chooser.getResult();

                                            if (file != juce::File())
                                                safeThis->saveScreenshots (file.getFullPathName());

                                            safeThis->startTimer (1, 33);
                                        });
    }
}

void QuorvelV2AudioProcessorEditor::showModulatorWindow()
{
    // The first show makes the native window.
    if (!modulatorWindow->isOnDesktop())
    {
        modulatorWindow->addToDesktop();
        paintBeforeTheFirstMap();
    }

    modulatorWindow->setVisible (true);
    curveComponent.resumeOpenGL();
}

void QuorvelV2AudioProcessorEditor::hideModulatorWindow()
{
    if (!modulatorWindow->isVisible())
        return;

    curveComponent.releaseOpenGL();
    modulatorWindow->setVisible (false);
    withdrawFromWindowManager (modulatorWindow->getPeer()->getNativeHandle());
}

// The framework's native window sends the window's bounds to the server again at its
// first paint. Made after the window is mapped, that paint sent whatever the framework had
// read back of the window's place by then: once a window manager has taken the window into
// a frame, the client area's place inside it (101, 120 under fluxbox), or under KWin the
// corner of the screen, where its new frame lies for a moment; the size hints then ask for
// that place, and KWin put the window there. Made before the first map, it sends the place
// the editor gave the window.
void QuorvelV2AudioProcessorEditor::paintBeforeTheFirstMap()
{
    keepModulatorWindowInPlace();
    modulatorWindow->getPeer()->performAnyPendingRepaintsNow();
}

// The framework's native window drops the image it paints through after 3 s without a
// paint and, at its next paint, sends the window's bounds to the server again. A
// withdrawn window lies where the window manager left it, at its frame's corner (as the
// X conventions place a withdrawn window), and the framework reads that back as its
// client area's place; sending it again with the frame's size taken off once more put
// the window one title bar higher at each show after a hide. A one-pixel paint at each
// tick of timer 0 (200 ms), shown or hidden, keeps the image, so the framework never
// sends it.
void QuorvelV2AudioProcessorEditor::keepModulatorWindowInPlace()
{
    if (auto* peer = modulatorWindow->getPeer())
        peer->repaint ({ 0, 0, 1, 1 });
}

void QuorvelV2AudioProcessorEditor::saveScreenshots (const juce::String& path)
{
    openGLView.saveScreenshot (path);

    if (modulatorWindow->isVisible())
        curveComponent.saveScreenshot (path);
}

void QuorvelV2AudioProcessorEditor::setRowAlpha (int first, int last, float alpha)
{
    for (int i = first; i <= last; ++i)
        paramSliders[i]->setAlpha (alpha);
}

void QuorvelV2AudioProcessorEditor::setSymmSwitches (bool on)
{
    for (int k = 1; k <= 3; ++k)
        paramToggles[k]->setToggleState (on, juce::sendNotification);
}

void QuorvelV2AudioProcessorEditor::specialToggleChange (int parameterIndex, bool on)
{
    const float alpha = on ? 0.5f : 1.0f;

    switch (parameterIndex)
    {
        case 20:
            paramSliders[10]->setAlpha (alpha);
            break;
        case 21:
            paramSliders[12]->setAlpha (alpha);
            break;
        case 22:
            paramSliders[14]->setAlpha (alpha);
            break;
        default:
            break;
    }
}

void QuorvelV2AudioProcessorEditor::specialComboChange (int parameterIndex, int itemIndex)
{
    const auto ratioLockOff = [this]
    {
        setRowAlpha (9, 14, 1.0f);
        setRowAlpha (6, 8, 1.0f);
        setRowAlpha (3, 5, 0.5f);
        setSymmSwitches (false);
    };

    if (parameterIndex == ratioTypeParameter)
    {
        switch (itemIndex)
        {
            case 0:
                ratioLockOff();
                break;
            case 1:
                setRowAlpha (9, 14, 0.4f);
                setRowAlpha (6, 8, 1.0f);
                setRowAlpha (3, 5, 1.0f);
                setSymmSwitches (true);
                break;
            case 2:
                for (int row : { 9, 11, 13 })
                    paramSliders[row]->setAlpha (1.0f);
                for (int row : { 10, 12, 14 })
                    paramSliders[row]->setAlpha (0.5f);
                setSymmSwitches (true);
                setRowAlpha (6, 8, 0.5f);
                setRowAlpha (3, 5, 1.0f);
                break;
            default:
                break;
        }
    }
    else if (parameterIndex == oscTypeParameter)
    {
        if (itemIndex == 5)
        {
            ratioLockBox->setSelectedItemIndex (0, juce::sendNotificationAsync);
            ratioLockOff();
            paramSliders[2]->setAlpha (0.5f);
            setRowAlpha (3, 5, 0.5f);
        }
        else if (itemIndex == 6)
        {
            paramSliders[2]->setAlpha (0.5f);
        }
        else
        {
            paramSliders[2]->setAlpha (1.0f);

            if (ratioLockBox->getSelectedItemIndex() != 0)
                setRowAlpha (3, 5, 1.0f);
        }
    }
    else if (parameterIndex == panTypeParameter)
    {
        processor.switchPanning (itemIndex);
    }
}
