#pragma once

#include <JuceHeader.h>

#include <memory>
#include <vector>

#include "ZKLoadSaveButtonLookFeel.h"
#include "ZKLookAndFeel.h"

class QuorvelV2AudioProcessor;

// The row above the 3-D view through which presets are saved, loaded, picked from
// the preset folder's menu and stepped through.
class ZKPresetMenu : public juce::Component, public juce::Button::Listener
{
public:
    explicit ZKPresetMenu (QuorvelV2AudioProcessor* processor);
    ~ZKPresetMenu() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void buttonClicked (juce::Button* button) override;

    void loadPreset();
    void savePreset();
    void loadPresetFromList (int index);
    void loadPresetFromFile (juce::File file);
    void populatePresets();
    void presetFolderConstructor (juce::File& folder, juce::PopupMenu& menu, int& nextId);
    void createUserDirectory();
    void getCurrentPresetName();

    static void presetMenuStaticCallback (int result, ZKPresetMenu* strip);

    // Limits of one folder walk, which runs on the message thread: folders deeper than
    // this below the preset folder, and entries beyond this many, are shown as an
    // unreadable folder is, an empty submenu.
    static constexpr int maxFolderDepth = 8;
    static constexpr int maxListedEntries = 4096;

    // What the save dialog does with the file the user confirmed; an empty file
    // stands for a cancelled dialog.
    void saveChosenPreset (const juce::File& chosen);

    static const char* saveButton_svg;
    static const int saveButton_svgSize;
    static const char* loadButton_svg;
    static const int loadButton_svgSize;
    static const char* presetButton_svg;
    static const int presetButton_svgSize;
    static const char* previousButton_svg;
    static const int previousButton_svgSize;
    static const char* nextButton_svg;
    static const int nextButton_svgSize;
    static const char* lockButton_svg;
    static const int lockButton_svgSize;

    QuorvelV2AudioProcessor* processor;

    ZKLookAndFeel popupLook;
    ZKLoadSaveButtonLookFeel buttonLook;
    ZKLoadSaveButtonLookFeel lockButtonLook;
    ZKLoadSaveButtonLookFeel stepButtonLook;

    juce::File userFolder;
    juce::File factoryFolder;
    juce::PopupMenu presetMenu;
    juce::PopupMenu lockMenu;
    std::vector<juce::File> presetFiles;
    int currentIndex = -1;

    std::unique_ptr<juce::TextButton> loadButton;
    std::unique_ptr<juce::TextButton> saveButton;
    std::unique_ptr<juce::Label> presetNameLabel;
    std::unique_ptr<juce::TextButton> presetPopButton;
    std::unique_ptr<juce::TextButton> previousButton;
    std::unique_ptr<juce::TextButton> nextButton;
    std::unique_ptr<juce::TextButton> lockPopButton;

    std::unique_ptr<juce::Drawable> saveIcon;
    std::unique_ptr<juce::Drawable> loadIcon;
    std::unique_ptr<juce::Drawable> presetIcon;
    std::unique_ptr<juce::Drawable> previousIcon;
    std::unique_ptr<juce::Drawable> nextIcon;
    std::unique_ptr<juce::Drawable> lockIcon;

    // With modal loops disabled the dialogs run asynchronously, so the open
    // chooser must outlive the call that launched it.
    std::unique_ptr<juce::FileChooser> fileChooser;

private:
    struct FolderWalk;
    void walkFolder (const juce::File& folder, juce::PopupMenu& menu, int& nextId, FolderWalk& walk);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZKPresetMenu)
};
