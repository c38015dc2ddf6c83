#include "ZKPresetMenu.h"

#include "PluginProcessor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace
{
const juce::String presetExtension (".zkp");
const juce::String presetPattern ("*.zkp");

std::unique_ptr<juce::TextButton> makeButton (ZKPresetMenu& strip, const char* componentName, const char* text)
{
    auto button = std::make_unique<juce::TextButton> (componentName);
    strip.addAndMakeVisible (button.get());
    button->setButtonText (juce::translate (text));
    button->addListener (&strip);
    return button;
}

std::unique_ptr<juce::Drawable> parseIcon (const char* data, int numBytes)
{
    if (data == nullptr || numBytes <= 0)
        return nullptr;

    return juce::Drawable::createFromImageData (data, (size_t) numBytes);
}

// Where a folder really lies once every link on its path is followed, so that a
// link back into the tree is recognised as the folder it leads to.
juce::String resolvedPath (const juce::File& folder)
{
    std::error_code error;
    const auto canonical = std::filesystem::canonical (folder.getFullPathName().toStdString(), error);

    if (error)
        return folder.getFullPathName();

    return juce::String (canonical.string());
}

void drawIcon (juce::Graphics& g, juce::Drawable* icon, float x, float y, float side)
{
    if (icon != nullptr)
        icon->drawWithin (g, { x, y, side, side }, juce::RectanglePlacement::centred, 1.0f);
}
} // namespace

ZKPresetMenu::ZKPresetMenu (QuorvelV2AudioProcessor* owner)
    : processor (owner), buttonLook (0, juce::Colours::black), lockButtonLook (0, juce::Colours::black),
      stepButtonLook (0, juce::Colours::black)
{
    loadButton = makeButton (*this, "Load Button", "L");
    saveButton = makeButton (*this, "Save Button", "S");

    presetNameLabel = std::make_unique<juce::Label> ("new label", juce::translate ("label text"));
    addAndMakeVisible (presetNameLabel.get());
    presetNameLabel->setFont (juce::Font (12.0f, juce::Font::plain));
    presetNameLabel->setJustificationType (juce::Justification::centred);
    presetNameLabel->setEditable (false, false, false);

    presetPopButton = makeButton (*this, "Preset Pop", "V");
    previousButton = makeButton (*this, "Previous Preset", "<");
    nextButton = makeButton (*this, "Next Preset", ">");
    lockPopButton = makeButton (*this, "Lock Pop Button", "L");

    saveIcon = parseIcon (saveButton_svg, saveButton_svgSize);
    loadIcon = parseIcon (loadButton_svg, loadButton_svgSize);
    presetIcon = parseIcon (presetButton_svg, presetButton_svgSize);
    previousIcon = parseIcon (previousButton_svg, previousButton_svgSize);
    nextIcon = parseIcon (nextButton_svg, nextButton_svgSize);
    lockIcon = parseIcon (lockButton_svg, lockButton_svgSize);

    loadButton->setLookAndFeel (&buttonLook);
    saveButton->setLookAndFeel (&buttonLook);
    presetPopButton->setLookAndFeel (&buttonLook);
    lockPopButton->setLookAndFeel (&lockButtonLook);
    stepButtonLook.outlineColour = juce::Colour (0x00000000);
    nextButton->setLookAndFeel (&stepButtonLook);
    previousButton->setLookAndFeel (&stepButtonLook);

    getCurrentPresetName();
    populatePresets();

    for (auto* button : { loadButton.get(), saveButton.get(), presetPopButton.get(), previousButton.get(),
                          nextButton.get(), lockPopButton.get() })
        button->setWantsKeyboardFocus (false);

    setSize (235, 35);
}

ZKPresetMenu::~ZKPresetMenu()
{
    fileChooser.reset();

    loadButton.reset();
    saveButton.reset();
    presetNameLabel.reset();
    presetPopButton.reset();
    previousButton.reset();
    nextButton.reset();
    lockPopButton.reset();

    saveIcon.reset();
    loadIcon.reset();
    presetIcon.reset();
    previousIcon.reset();
    nextIcon.reset();
    lockIcon.reset();
}

void ZKPresetMenu::paint (juce::Graphics& g)
{
    g.setColour (juce::Colours::black);
    g.drawRect (47, 5, 137, 24, 1);

    drawIcon (g, saveIcon.get(), 5.0f, 9.0f, 16.0f);
    drawIcon (g, loadIcon.get(), 28.0f, 8.0f, 18.0f);
    drawIcon (g, presetIcon.get(), 187.0f, 9.0f, 16.0f);
    drawIcon (g, previousIcon.get(), 46.0f, 9.0f, 16.0f);
    drawIcon (g, nextIcon.get(), 169.0f, 9.0f, 16.0f);
    drawIcon (g, lockIcon.get(), 210.0f, 9.0f, 16.0f);
}

void ZKPresetMenu::resized()
{
    loadButton->setBounds (24, 5, 24, 24);
    saveButton->setBounds (1, 5, 24, 24);
    presetNameLabel->setBounds (61, 5, 110, 24);
    presetPopButton->setBounds (183, 5, 24, 24);
    previousButton->setBounds (48, 5, 16, 24);
    nextButton->setBounds (167, 5, 16, 24);
    lockPopButton->setBounds (206, 5, 24, 24);
}

void ZKPresetMenu::buttonClicked (juce::Button* button)
{
    if (button == loadButton.get())
    {
        loadPreset();
    }
    else if (button == saveButton.get())
    {
        savePreset();
    }
    else if (button == presetPopButton.get())
    {
        presetMenu.showMenuAsync (juce::PopupMenu::Options().withTargetComponent (presetPopButton.get()),
                                  juce::ModalCallbackFunction::forComponent (presetMenuStaticCallback, this));
    }
    else if (button == previousButton.get())
    {
        currentIndex = currentIndex - 1;
        loadPresetFromList (currentIndex);
    }
    else if (button == nextButton.get())
    {
        currentIndex = currentIndex + 1;
        loadPresetFromList (currentIndex);
    }
    else if (button == lockPopButton.get())
    {
        lockMenu.showMenuAsync (juce::PopupMenu::Options().withTargetComponent (lockPopButton.get()));
    }
}

void ZKPresetMenu::presetMenuStaticCallback (int result, ZKPresetMenu* strip)
{
    if (strip != nullptr && result > 0)
        strip->loadPresetFromList (result - 1);
}

void ZKPresetMenu::loadPreset()
{
    fileChooser =
        std::make_unique<juce::FileChooser> ("Please choose a Preset file...", userFolder, presetPattern, true);

    juce::Component::SafePointer<ZKPresetMenu> strip (this);
    fileChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                              [strip] (const juce::FileChooser& chooser)
                              {
                                  const auto chosen = chooser.getResult();

                                  if (strip != nullptr && chosen != juce::File())
                                      strip->loadPresetFromFile (chosen);
                              });
}

void ZKPresetMenu::savePreset()
{
    fileChooser =
        std::make_unique<juce::FileChooser> ("Please name your Preset file...", userFolder, presetPattern, true);

    juce::Component::SafePointer<ZKPresetMenu> strip (this);
    fileChooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles,
                              [strip] (const juce::FileChooser& chooser)
                              {
                                  if (strip != nullptr)
                                      strip->saveChosenPreset (chooser.getResult());
                              });
}

void ZKPresetMenu::saveChosenPreset (const juce::File& chosen)
{
    if (chosen == juce::File())
        return;

    const auto file = chosen.withFileExtension (presetExtension);
    auto name = file.getFileNameWithoutExtension();
    processor->setCurrentPresetName (name);
    processor->saveStateToFile (file);

    getCurrentPresetName();
    populatePresets();
}

void ZKPresetMenu::loadPresetFromList (int index)
{
    const auto n = (int) presetFiles.size();

    if (index < 0)
        index = n - 1;
    else if (index >= n)
        index = 0;

    currentIndex = index;

    if (n == 0)
        return;

    loadPresetFromFile (presetFiles[(size_t) index]);
}

void ZKPresetMenu::loadPresetFromFile (juce::File file)
{
    std::printf ("file to load path name = %s\n", file.getFullPathName().toRawUTF8());
    std::fflush (stdout);

    processor->setStateFromFile (file);
    getCurrentPresetName();
}

void ZKPresetMenu::getCurrentPresetName()
{
    presetNameLabel->setText (processor->getCurrentPresetName(), juce::dontSendNotification);
}

void ZKPresetMenu::createUserDirectory()
{
    userFolder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                     .getChildFile ("Audio")
                     .getChildFile ("Presets")
                     .getChildFile ("Toravel");
    factoryFolder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                        .getChildFile ("Audio")
                        .getChildFile ("Presets")
                        .getChildFile ("Toravel");

    if (!userFolder.exists())
        userFolder.createDirectory();
}

void ZKPresetMenu::populatePresets()
{
    createUserDirectory();

    presetMenu.clear();
    presetFiles.clear();
    presetMenu.setLookAndFeel (&popupLook);

    int nextId = 1;
    juce::PopupMenu factoryMenu;
    juce::PopupMenu userMenu;
    presetFolderConstructor (factoryFolder, factoryMenu, nextId);
    presetFolderConstructor (userFolder, userMenu, nextId);

    presetMenu.addSubMenu ("Factory Presets", factoryMenu, true);
    presetMenu.addSubMenu ("User Presets", userMenu, true);
}

struct ZKPresetMenu::FolderWalk
{
    juce::File root;
    std::vector<juce::String> foldersBeingWalked;
    int entriesLeft = maxListedEntries;
};

void ZKPresetMenu::presetFolderConstructor (juce::File& folder, juce::PopupMenu& menu, int& nextId)
{
    FolderWalk walk;
    walk.root = juce::File (resolvedPath (folder));
    walkFolder (folder, menu, nextId, walk);
}

// Links inside the tree are followed only where they stay in it: a link to a home
// folder, to the root or to a network mount would have the message thread list all
// of that. A link back to a folder still being walked would descend without end, so
// such a folder is not entered again either.
void ZKPresetMenu::walkFolder (const juce::File& folder, juce::PopupMenu& menu, int& nextId, FolderWalk& walk)
{
    const auto here = resolvedPath (folder);
    auto& walking = walk.foldersBeingWalked;

    const bool insideTree = juce::File (here) == walk.root || juce::File (here).isAChildOf (walk.root);
    if (!insideTree || (int) walking.size() > maxFolderDepth ||
        std::find (walking.begin(), walking.end(), here) != walking.end())
        return;

    walking.push_back (here);

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
    {
        if (walk.entriesLeft <= 0)
            break;
        --walk.entriesLeft;
        const auto file = entry.getFile();

        if (entry.isDirectory())
        {
            juce::PopupMenu subMenu;
            walkFolder (file, subMenu, nextId, walk);
            menu.addSubMenu (file.getFileNameWithoutExtension(), subMenu, true);
        }
        else if (file.hasFileExtension (presetExtension))
        {
            menu.addItem (nextId, file.getFileNameWithoutExtension(), true, false);
            presetFiles.push_back (file);
            ++nextId;
        }
    }

    walking.pop_back();
}
