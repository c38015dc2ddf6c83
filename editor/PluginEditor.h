#pragma once

#include <JuceHeader.h>

#include <functional>
#include <memory>

#include "PluginProcessor.h"
#include "QuorvelGLCurveComponent.h"
#include "QuorvelOpenGLComponent.h"
#include "ZKFlatComboBoxLookFeel.h"
#include "ZKFlatToggleLookFeel.h"
#include "ZKLookAndFeel.h"
#include "ZKPresetMenu.h"

// One parameter row: a bare slider and the parameter's name beside it.
class QuorvelParamSlider : public juce::Component
{
public:
    explicit QuorvelParamSlider (const juce::String& parameterName);
    ~QuorvelParamSlider() override;

    juce::Slider slider;
    juce::Label nameLabel;

    static constexpr int rowWidth = 380;
    static constexpr int rowHeight = 20;
};

// The content of the "Modulator" window: the speed, Doppler and attenuation curves
// in a two-by-two grid whose bottom right quarter stays empty.
class CurveComponent : public juce::Component
{
public:
    explicit CurveComponent (QuorvelV2AudioProcessor* processor);
    ~CurveComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void saveScreenshot (const juce::String& path);

    // Hiding a window stops its views' OpenGL contexts, but the framework lets go of
    // them and of their child windows only if it saw the window showing until then; a
    // window that the window manager has minimised had already stopped showing for it,
    // and the stopped contexts would draw nothing when it shows again. So the views
    // leave their contexts before the window hides and take them up when it shows.
    void releaseOpenGL();
    void resumeOpenGL();

    VelCurveComponent velCurve;
    DopplerCurveComponent dopplerCurve;
    AttenCurveComponent attenCurve;
};

// The window that holds the curves. Its native window is made when "curves" first
// shows it and kept until the editor goes; from then on it is only shown and hidden:
// deleting a native window while OpenGL views inside it still have theirs crashes the
// message thread (their child windows stay registered to it), and whether the views
// have let go depends on what the window manager did with the window (a minimised
// window is not showing, so hiding it does not detach them). Its close box hides it.
class ModulatorWindow : public juce::ResizableWindow
{
public:
    explicit ModulatorWindow (std::function<void()> whenClosed);

    void userTriedToCloseWindow() override;
    int getDesktopWindowStyleFlags() const override;

private:
    std::function<void()> onClose;
};

class QuorvelV2AudioProcessorEditor : public juce::AudioProcessorEditor,
                                      public juce::MultiTimer,
                                      public juce::Slider::Listener,
                                      public juce::Button::Listener,
                                      public juce::TextEditor::Listener,
                                      public juce::ComboBox::Listener
{
public:
    explicit QuorvelV2AudioProcessorEditor (QuorvelV2AudioProcessor& processor);
    ~QuorvelV2AudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void timerCallback (int timerId) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* box) override;
    void textEditorTextChanged (juce::TextEditor& editor) override;
    void textEditorReturnKeyPressed (juce::TextEditor& editor) override;
    void textEditorFocusLost (juce::TextEditor& editor) override;

    void updateParametersFromProcessor();
    void specialComboChange (int parameterIndex, int itemIndex);
    void specialToggleChange (int parameterIndex, bool on);
    bool checkAndUpdateSlider (juce::Slider* slider, float normalised);
    void checkAndUpdateInput (juce::TextEditor* input, juce::String text);
    bool checkAndUpdateToggle (juce::Button* button, bool on);
    bool checkAndUpdateComboBox (juce::ComboBox* box, float scaled);

    // What the snapshot dialog does with a confirmed path: the 3-D view, and the
    // curve views while the "Modulator" window is shown.
    void saveScreenshots (const juce::String& path);

    QuorvelV2AudioProcessor& processor;
    juce::LookAndFeel_V1 sliderLook;
    QuorvelOpenGLComponent openGLView;
    juce::OwnedArray<QuorvelParamSlider> paramSliders;
    juce::OwnedArray<juce::TextEditor> valueInputs;
    ZKLookAndFeel mainLook;
    ZKFlatToggleLookFeel toggleLook;
    juce::OwnedArray<juce::ToggleButton> paramToggles;
    ZKFlatComboBoxLookFeel comboLook;
    juce::OwnedArray<juce::ComboBox> comboBoxes;
    juce::OwnedArray<juce::Label> comboLabels;
    juce::ComboBox* motionBox = nullptr;
    juce::ComboBox* dopplerBox = nullptr;
    juce::ComboBox* attenuationBox = nullptr;
    juce::ComboBox* panBox = nullptr;
    juce::ComboBox* sourceBox = nullptr;
    juce::ComboBox* ratioLockBox = nullptr;
    juce::ComboBox* aaFilterBox = nullptr;
    int tickCount = 0;
    std::unique_ptr<ZKPresetMenu> presetStrip;
    std::unique_ptr<juce::ToggleButton> autoRotateToggle, axisToggle, infoToggle, pointsToggle;
    std::unique_ptr<juce::TextButton> resetRotButton;
    std::unique_ptr<juce::ToggleButton> dragCentreToggle, visAttenToggle;
    std::unique_ptr<juce::TextButton> curvesButton;
    std::unique_ptr<ModulatorWindow> modulatorWindow;
    CurveComponent curveComponent;
    std::unique_ptr<juce::TextButton> snapshotButton;

private:
    void setRowAlpha (int first, int last, float alpha);
    void setSymmSwitches (bool on);
    void setParameterFromEditor (int index, float normalised);
    void showModulatorWindow();
    void hideModulatorWindow();
    void paintBeforeTheFirstMap();
    void keepModulatorWindowInPlace();
    bool isBeingTyped (juce::TextEditor* input) const;
    void showParameterText (int index);

    // The snapshot dialog runs asynchronously (plug-ins build without modal loops);
    // it must outlive the call that launches it.
    std::unique_ptr<juce::FileChooser> screenshotChooser;

    // The value fields the user has typed into since the editor last wrote them.
    juce::BigInteger typedFields;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvelV2AudioProcessorEditor)
};
