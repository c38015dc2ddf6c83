#include "PluginProcessor.h"
#include "ZKLoadSaveButtonLookFeel.h"
#include "ZKPresetMenu.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace juce
{
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
void dispatchPendingMessages()
{
    for (int i = 0; i < 200; ++i)
        if (!juce::dispatchNextMessageOnSystemQueue (true))
            break;
}

struct MenuEntry
{
    int id;
    juce::String text;
    bool enabled;
    bool isSubMenu;
};

std::vector<MenuEntry> entriesOf (const juce::PopupMenu& menu)
{
    std::vector<MenuEntry> entries;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        entries.push_back ({ item.itemID, item.text, item.isEnabled, item.subMenu != nullptr });
    }
    return entries;
}

const juce::PopupMenu& subMenuOf (const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (it.getItem().text == text && it.getItem().subMenu != nullptr)
            return *it.getItem().subMenu;

    static const juce::PopupMenu none;
    ADD_FAILURE() << "no submenu " << text;
    return none;
}

// Ids of the preset items in the order of a depth-first walk of the menu, each
// with its text.
void collectItems (const juce::PopupMenu& menu, std::vector<std::pair<int, juce::String>>& items)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        if (item.subMenu != nullptr)
            collectItems (*item.subMenu, items);
        else
            items.push_back ({ item.itemID, item.text });
    }
}

class PresetStripTest : public ::testing::Test
{
protected:
    PresetStripTest()
    {
        home = juce::File::createTempFile ("preset-home");
        home.createDirectory();
        if (const char* previous = std::getenv ("HOME"))
            previousHome = previous;
        setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
        unsetenv ("XDG_CONFIG_HOME");
        presetFolder = home.getChildFile (".config/Audio/Presets/Toravel");
    }

    ~PresetStripTest() override
    {
        strip.reset();
        setenv ("HOME", previousHome.toRawUTF8(), 1);
        home.deleteRecursively();
    }

    void writePreset (const juce::File& file, const juce::String& name)
    {
        QuorvelV2AudioProcessor writer;
        writer.setCurrentPresetName (name);
        file.getParentDirectory().createDirectory();
        ASSERT_TRUE (writer.saveStateToFile (file));
    }

    ZKPresetMenu& makeStrip()
    {
        strip = std::make_unique<ZKPresetMenu> (&processor);
        return *strip;
    }

    juce::String label() const { return strip->presetNameLabel->getText(); }

    // What one click prints, and the label it leaves.
    juce::String clickAndCapture (juce::Button* button)
    {
        ::testing::internal::CaptureStdout();
        strip->buttonClicked (button);
        return juce::String (::testing::internal::GetCapturedStdout());
    }

    juce::File home;
    juce::String previousHome;
    juce::File presetFolder;
    QuorvelV2AudioProcessor processor;
    std::unique_ptr<ZKPresetMenu> strip;
};
} // namespace

TEST_F (PresetStripTest, ChildrenBoundsAndLooks)
{
    juce::String name ("Deep Space");
    processor.setCurrentPresetName (name);
    auto& s = makeStrip();

    EXPECT_EQ (s.getWidth(), 235);
    EXPECT_EQ (s.getHeight(), 35);
    ASSERT_EQ (s.getNumChildComponents(), 7);

    struct Expected
    {
        juce::Component* child;
        const char* name;
        const char* text;
        juce::Rectangle<int> bounds;
        juce::LookAndFeel* look;
    };
    const Expected expected[] = {
        { s.loadButton.get(), "Load Button", "L", { 24, 5, 24, 24 }, &s.buttonLook },
        { s.saveButton.get(), "Save Button", "S", { 1, 5, 24, 24 }, &s.buttonLook },
        { s.presetNameLabel.get(), "new label", nullptr, { 61, 5, 110, 24 }, nullptr },
        { s.presetPopButton.get(), "Preset Pop", "V", { 183, 5, 24, 24 }, &s.buttonLook },
        { s.previousButton.get(), "Previous Preset", "<", { 48, 5, 16, 24 }, &s.stepButtonLook },
        { s.nextButton.get(), "Next Preset", ">", { 167, 5, 16, 24 }, &s.stepButtonLook },
        { s.lockPopButton.get(), "Lock Pop Button", "L", { 206, 5, 24, 24 }, &s.lockButtonLook },
    };

    for (int i = 0; i < 7; ++i)
    {
        const auto& e = expected[i];
        SCOPED_TRACE (e.name);
        EXPECT_EQ (s.getChildComponent (i), e.child);
        EXPECT_EQ (e.child->getName(), e.name);
        EXPECT_EQ (e.child->getBounds(), e.bounds);
        EXPECT_TRUE (e.child->isVisible());
        if (auto* button = dynamic_cast<juce::Button*> (e.child))
        {
            EXPECT_EQ (button->getButtonText(), e.text);
            EXPECT_EQ (&button->getLookAndFeel(), e.look);
            EXPECT_FALSE (button->getWantsKeyboardFocus());
        }
    }

    EXPECT_EQ (s.buttonLook.outlineColour, juce::Colours::black);
    EXPECT_EQ (s.lockButtonLook.outlineColour, juce::Colours::black);
    EXPECT_EQ (s.stepButtonLook.outlineColour, juce::Colour (0x00000000));

    auto& label = *s.presetNameLabel;
    EXPECT_EQ (label.getText(), "Deep Space");
    EXPECT_FLOAT_EQ (label.getFont().getHeight(), 12.0f);
    EXPECT_EQ (label.getFont().getStyleFlags(), juce::Font::plain);
    EXPECT_EQ (label.getJustificationType(), juce::Justification (juce::Justification::centred));
    EXPECT_FALSE (label.isEditableOnSingleClick());
    EXPECT_FALSE (label.isEditableOnDoubleClick());

    for (auto* icon : { s.saveIcon.get(), s.loadIcon.get(), s.presetIcon.get(), s.previousIcon.get(), s.nextIcon.get(),
                        s.lockIcon.get() })
        EXPECT_NE (icon, nullptr);
}

TEST_F (PresetStripTest, PaintsTheFrameAndTheIcons)
{
    auto& s = makeStrip();
    ZKLookAndFeel editorLook;
    s.setLookAndFeel (&editorLook);

    juce::Image image (juce::Image::ARGB, 235, 35, true);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        s.paintEntireComponent (g, false);
    }
    s.setLookAndFeel (nullptr);

    const auto folder = juce::File (TORAVEL_BUILD_DIR).getChildFile ("gui-screenshots");
    folder.createDirectory();
    {
        const auto file = folder.getChildFile ("preset-strip.png");
        file.deleteFile();
        juce::FileOutputStream stream (file);
        juce::Image large (juce::Image::ARGB, 235 * 4, 35 * 4, true);
        for (int y = 0; y < large.getHeight(); ++y)
            for (int x = 0; x < large.getWidth(); ++x)
                large.setPixelAt (x, y, image.getPixelAt (x / 4, y / 4));
        juce::PNGImageFormat().writeImageToStream (large, stream);
    }

    // Path outlines may miss full coverage by a rounding step.
    const auto isBlack = [&image] (int x, int y)
    {
        const auto c = image.getPixelAt (x, y);
        return c.getRed() <= 4 && c.getGreen() <= 4 && c.getBlue() <= 4;
    };
    // Frame of the stepping box: its top and bottom rows are covered only by
    // transparent step buttons and the label.
    for (int x = 64; x < 167; ++x)
    {
        EXPECT_TRUE (isBlack (x, 5)) << x;
        EXPECT_TRUE (isBlack (x, 28)) << x;
    }
    // Outlines of the save, load, preset and lock buttons.
    for (int x : { 1, 24, 47, 183, 206, 229 })
        EXPECT_TRUE (isBlack (x, 16)) << x;
    // The step buttons add no outline of their own.
    EXPECT_EQ (image.getPixelAt (65, 16), juce::Colours::white);

    auto darkPixelsIn = [&image] (juce::Rectangle<int> box)
    {
        int count = 0;
        for (int y = box.getY(); y < box.getBottom(); ++y)
            for (int x = box.getX(); x < box.getRight(); ++x)
                count += image.getPixelAt (x, y).getBrightness() < 0.5f ? 1 : 0;
        return count;
    };
    EXPECT_GT (darkPixelsIn ({ 6, 10, 14, 14 }), 10) << "save icon";
    EXPECT_GT (darkPixelsIn ({ 29, 9, 16, 16 }), 10) << "load icon";
    EXPECT_GT (darkPixelsIn ({ 188, 10, 14, 14 }), 10) << "preset icon";
    EXPECT_GT (darkPixelsIn ({ 211, 10, 14, 14 }), 10) << "lock icon";
    EXPECT_GT (darkPixelsIn ({ 48, 10, 12, 14 }), 5) << "previous icon";
    EXPECT_GT (darkPixelsIn ({ 171, 10, 12, 14 }), 5) << "next icon";
}

TEST_F (PresetStripTest, EmptyFolderIsCreatedAndStepsLoadNothing)
{
    EXPECT_FALSE (presetFolder.exists());
    auto& s = makeStrip();
    EXPECT_TRUE (presetFolder.isDirectory());
    EXPECT_EQ (s.userFolder, presetFolder);
    EXPECT_EQ (s.factoryFolder, presetFolder);

    const auto top = entriesOf (s.presetMenu);
    ASSERT_EQ (top.size(), 2u);
    EXPECT_EQ (top[0].text, "Factory Presets");
    EXPECT_EQ (top[1].text, "User Presets");
    for (const auto& entry : top)
    {
        EXPECT_TRUE (entry.isSubMenu);
        EXPECT_FALSE (entry.enabled);
    }
    EXPECT_TRUE (s.presetFiles.empty());

    EXPECT_EQ (clickAndCapture (s.nextButton.get()), "");
    EXPECT_EQ (s.currentIndex, 0);
    EXPECT_EQ (clickAndCapture (s.previousButton.get()), "");
    EXPECT_EQ (s.currentIndex, -1);
    EXPECT_EQ (clickAndCapture (s.previousButton.get()), "");
    EXPECT_EQ (s.currentIndex, -1);
    EXPECT_EQ (label(), "");
}

TEST_F (PresetStripTest, TwoPresetsAreListedTwiceAndSteppedThroughWithWrapAround)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    writePreset (presetFolder.getChildFile ("b.zkp"), "beta");
    auto& s = makeStrip();

    ASSERT_EQ (s.presetFiles.size(), 4u);
    const auto first = s.presetFiles[0];
    const auto second = s.presetFiles[1];
    EXPECT_NE (first, second);
    EXPECT_EQ (s.presetFiles[2], first);
    EXPECT_EQ (s.presetFiles[3], second);

    const auto factory = entriesOf (subMenuOf (s.presetMenu, "Factory Presets"));
    const auto user = entriesOf (subMenuOf (s.presetMenu, "User Presets"));
    ASSERT_EQ (factory.size(), 2u);
    ASSERT_EQ (user.size(), 2u);
    EXPECT_EQ (factory[0].id, 1);
    EXPECT_EQ (factory[1].id, 2);
    EXPECT_EQ (user[0].id, 3);
    EXPECT_EQ (user[1].id, 4);
    EXPECT_EQ (factory[0].text, first.getFileNameWithoutExtension());
    EXPECT_EQ (user[1].text, second.getFileNameWithoutExtension());
    for (const auto& entry : entriesOf (s.presetMenu))
        EXPECT_TRUE (entry.enabled);

    const auto nameOf = [] (const juce::File& f) { return f.getFileName() == "a.zkp" ? "alpha" : "beta"; };
    const juce::String expectedNames[] = { nameOf (first), nameOf (second), nameOf (first), nameOf (second),
                                           nameOf (first) };
    for (int step = 0; step < 5; ++step)
    {
        const auto printed = clickAndCapture (s.nextButton.get());
        const auto expectedFile = s.presetFiles[(size_t) (step % 4)];
        EXPECT_EQ (printed, "file to load path name = " + expectedFile.getFullPathName() + "\n");
        EXPECT_EQ (label(), expectedNames[step]);
        EXPECT_EQ (s.currentIndex, step % 4);
    }

    clickAndCapture (s.previousButton.get());
    EXPECT_EQ (s.currentIndex, 3);
    EXPECT_EQ (label(), nameOf (second));
}

TEST_F (PresetStripTest, FirstStepBackLoadsTheLastEntry)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    writePreset (presetFolder.getChildFile ("b.zkp"), "beta");
    auto& s = makeStrip();

    const auto printed = clickAndCapture (s.previousButton.get());
    EXPECT_EQ (s.currentIndex, 3);
    EXPECT_EQ (printed, "file to load path name = " + s.presetFiles[3].getFullPathName() + "\n");
}

TEST_F (PresetStripTest, MenuResultLoadsAndSetsTheIndex)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    writePreset (presetFolder.getChildFile ("b.zkp"), "beta");
    auto& s = makeStrip();
    const auto first = s.presetFiles[0];

    ZKPresetMenu::presetMenuStaticCallback (0, &s);
    EXPECT_EQ (s.currentIndex, -1);
    EXPECT_EQ (label(), "");

    ZKPresetMenu::presetMenuStaticCallback (3, &s);
    EXPECT_EQ (s.currentIndex, 2);
    EXPECT_EQ (label(), first.getFileName() == "a.zkp" ? "alpha" : "beta");

    clickAndCapture (s.nextButton.get());
    EXPECT_EQ (s.currentIndex, 3);
    EXPECT_EQ (label(), first.getFileName() == "a.zkp" ? "beta" : "alpha");

    ZKPresetMenu::presetMenuStaticCallback (5, nullptr);
}

TEST_F (PresetStripTest, PresetMenuOpensAsynchronouslyAndADismissalLoadsNothing)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    auto& s = makeStrip();
    s.setVisible (true);
    s.addToDesktop (0);

    s.buttonClicked (s.presetPopButton.get());
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 1);

    ::testing::internal::CaptureStdout();
    EXPECT_TRUE (juce::PopupMenu::dismissAllActiveMenus());
    dispatchPendingMessages();
    EXPECT_EQ (juce::String (::testing::internal::GetCapturedStdout()), "");
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    EXPECT_EQ (s.currentIndex, -1);
    EXPECT_EQ (label(), "");
}

TEST_F (PresetStripTest, MenuClosingAfterTheStripIsGoneIsIgnored)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    auto& s = makeStrip();
    s.addToDesktop (0);
    s.buttonClicked (s.presetPopButton.get());
    strip.reset();

    juce::PopupMenu::dismissAllActiveMenus();
    dispatchPendingMessages();
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}

TEST_F (PresetStripTest, SubfoldersBecomeSubmenusNumberedWhereTheWalkMeetsThem)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    writePreset (presetFolder.getChildFile ("pads").getChildFile ("c.zkp"), "gamma");
    writePreset (presetFolder.getChildFile ("pads").getChildFile ("d.zkp"), "delta");
    writePreset (presetFolder.getChildFile ("z.zkp"), "zeta");
    presetFolder.getChildFile ("empty.dir").createDirectory();
    auto& s = makeStrip();

    ASSERT_EQ (s.presetFiles.size(), 8u);
    for (const auto* title : { "Factory Presets", "User Presets" })
    {
        SCOPED_TRACE (title);
        const auto& menu = subMenuOf (s.presetMenu, title);
        const auto entries = entriesOf (menu);
        ASSERT_EQ (entries.size(), 4u);

        const auto pads = entriesOf (subMenuOf (menu, "pads"));
        ASSERT_EQ (pads.size(), 2u);

        for (const auto& entry : entries)
        {
            if (entry.text == "empty")
            {
                EXPECT_TRUE (entry.isSubMenu);
                EXPECT_FALSE (entry.enabled);
            }
            else
            {
                EXPECT_TRUE (entry.enabled);
            }
        }
    }

    // Depth first: the ids run on without a gap in the order the walk meets the
    // items, and each id names its entry in the file list.
    std::vector<std::pair<int, juce::String>> items;
    collectItems (s.presetMenu, items);
    ASSERT_EQ (items.size(), 8u);
    for (size_t i = 0; i < items.size(); ++i)
    {
        EXPECT_EQ (items[i].first, (int) i + 1);
        EXPECT_EQ (items[i].second, s.presetFiles[i].getFileNameWithoutExtension());
    }
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ (s.presetFiles[i], s.presetFiles[i + 4]);

    int padsFirst = -1;
    for (size_t i = 0; i < 4; ++i)
        if (s.presetFiles[i].getParentDirectory().getFileName() == "pads")
        {
            padsFirst = (int) i;
            break;
        }
    ASSERT_GE (padsFirst, 0);
    EXPECT_EQ (s.presetFiles[(size_t) padsFirst + 1].getParentDirectory().getFileName(), "pads");
}

TEST_F (PresetStripTest, HiddenAndUpperCaseExtensionsAreListedOtherFilesSkipped)
{
    writePreset (presetFolder.getChildFile (".hidden.zkp"), "h");
    writePreset (presetFolder.getChildFile ("LOUD.ZKP"), "l");
    presetFolder.getChildFile ("notes.txt").replaceWithText ("not a preset");
    presetFolder.getChildFile ("zkp").replaceWithText ("no extension");
    auto& s = makeStrip();

    ASSERT_EQ (s.presetFiles.size(), 4u);
    juce::StringArray texts;
    for (const auto& entry : entriesOf (subMenuOf (s.presetMenu, "User Presets")))
        texts.add (entry.text);
    texts.sort (false);
    EXPECT_EQ (texts, juce::StringArray ({ ".hidden", "LOUD" }));
}

TEST_F (PresetStripTest, SavingReplacesTheExtensionNamesThePresetAndListsIt)
{
    auto& s = makeStrip();
    processor.setParameter (0, 0.75f);

    s.saveChosenPreset (presetFolder.getChildFile ("song.txt"));

    const auto saved = presetFolder.getChildFile ("song.zkp");
    EXPECT_TRUE (saved.existsAsFile());
    EXPECT_FALSE (presetFolder.getChildFile ("song.txt").exists());
    EXPECT_EQ (processor.getCurrentPresetName(), "song");
    EXPECT_EQ (label(), "song");

    auto xml = juce::XmlDocument::parse (saved);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("presetName"), "song");
    EXPECT_EQ (xml->getDoubleAttribute ("gain"), 0.75);

    ASSERT_EQ (s.presetFiles.size(), 2u);
    EXPECT_EQ (s.presetFiles[0], saved);
    EXPECT_EQ (s.presetFiles[1], saved);
    EXPECT_EQ (entriesOf (subMenuOf (s.presetMenu, "Factory Presets"))[0].text, "song");

    s.saveChosenPreset (presetFolder.getChildFile ("noext"));
    EXPECT_TRUE (presetFolder.getChildFile ("noext.zkp").existsAsFile());
    EXPECT_EQ (label(), "noext");
}

TEST_F (PresetStripTest, SavingOntoAnExistingFileReplacesIt)
{
    const auto file = presetFolder.getChildFile ("song.zkp");
    writePreset (file, "old");
    auto& s = makeStrip();
    processor.setParameter (0, 0.25f);

    s.saveChosenPreset (file);

    auto xml = juce::XmlDocument::parse (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("presetName"), "song");
    EXPECT_EQ (xml->getDoubleAttribute ("gain"), 0.25);
    EXPECT_EQ (s.presetFiles.size(), 2u);
}

TEST_F (PresetStripTest, CancelledSaveChangesNothing)
{
    juce::String name ("keep");
    processor.setCurrentPresetName (name);
    auto& s = makeStrip();

    s.saveChosenPreset (juce::File());

    EXPECT_EQ (processor.getCurrentPresetName(), "keep");
    EXPECT_EQ (label(), "keep");
    EXPECT_EQ (presetFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

TEST_F (PresetStripTest, BrokenFileShowsTheErrorName)
{
    const auto broken = presetFolder.getChildFile ("broken.zkp");
    presetFolder.createDirectory();
    broken.replaceWithText ("gain = 1; not a preset at all");
    auto& s = makeStrip();
    processor.setParameter (0, 0.3f);

    const auto printed = clickAndCapture (s.nextButton.get());

    EXPECT_EQ (printed, "file to load path name = " + broken.getFullPathName() + "\n");
    EXPECT_EQ (label(), "Error Loading Preset");
    EXPECT_EQ (processor.getParameter (0), 0.3f);
}

TEST_F (PresetStripTest, LoadingAFileLeavesTheIndexAlone)
{
    const auto elsewhere = home.getChildFile ("elsewhere.zkp");
    writePreset (elsewhere, "far away");
    auto& s = makeStrip();

    const auto printed = [&]
    {
        ::testing::internal::CaptureStdout();
        s.loadPresetFromFile (elsewhere);
        return juce::String (::testing::internal::GetCapturedStdout());
    }();
    EXPECT_EQ (printed, "file to load path name = " + elsewhere.getFullPathName() + "\n");
    EXPECT_EQ (label(), "far away");
    EXPECT_EQ (s.currentIndex, -1);
}

TEST_F (PresetStripTest, LockButtonChangesNothing)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    auto& s = makeStrip();
    s.addToDesktop (0);
    juce::MemoryBlock before;
    processor.getStateInformation (before);

    const auto printed = clickAndCapture (s.lockPopButton.get());
    dispatchPendingMessages();

    EXPECT_EQ (printed, "");
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus());
    EXPECT_EQ (s.lockMenu.getNumItems(), 0);
    EXPECT_EQ (s.currentIndex, -1);
    EXPECT_EQ (s.presetFiles.size(), 2u);
    EXPECT_EQ (label(), "");
    juce::MemoryBlock after;
    processor.getStateInformation (after);
    EXPECT_EQ (before, after);
}

TEST_F (PresetStripTest, FolderLinkBackIntoTheTreeEndsTheWalk)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    writePreset (presetFolder.getChildFile ("inner").getChildFile ("b.zkp"), "beta");
    ASSERT_EQ (symlink (presetFolder.getFullPathName().toRawUTF8(),
                        presetFolder.getChildFile ("inner").getChildFile ("up").getFullPathName().toRawUTF8()),
               0);
    ASSERT_EQ (symlink (presetFolder.getChildFile ("inner").getFullPathName().toRawUTF8(),
                        presetFolder.getChildFile ("sideways").getFullPathName().toRawUTF8()),
               0);

    auto& s = makeStrip();

    // The link "sideways" leads to a folder outside the walk's current path, so it
    // is entered once; the links back up are shown but not entered.
    ASSERT_EQ (s.presetFiles.size(), 6u);
    const auto& user = subMenuOf (s.presetMenu, "User Presets");
    const auto& inner = subMenuOf (user, "inner");
    for (const auto& entry : entriesOf (inner))
        if (entry.text == "up")
        {
            EXPECT_TRUE (entry.isSubMenu);
            EXPECT_FALSE (entry.enabled);
        }
}

// A link out of the preset folder (here to the whole file system), folders below the
// depth limit and entries past the entry limit all show as an unreadable folder does.
TEST_F (PresetStripTest, WalkStaysInsideThePresetFolderAndWithinItsLimits)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    ASSERT_EQ (symlink ("/", presetFolder.getChildFile ("everything").getFullPathName().toRawUTF8()), 0);
    auto deepest = presetFolder;
    for (int depth = 1; depth <= ZKPresetMenu::maxFolderDepth + 1; ++depth)
        deepest = deepest.getChildFile ("level" + juce::String (depth));
    writePreset (deepest.getChildFile ("deep.zkp"), "deep");

    auto& s = makeStrip();

    const auto& user = subMenuOf (s.presetMenu, "User Presets");
    for (const auto& entry : entriesOf (user))
        if (entry.text == "everything")
        {
            EXPECT_TRUE (entry.isSubMenu);
            EXPECT_FALSE (entry.enabled);
        }
    const juce::PopupMenu* menu = &user;
    for (int depth = 1; depth <= ZKPresetMenu::maxFolderDepth; ++depth)
        menu = &subMenuOf (*menu, "level" + juce::String (depth));
    const auto last = entriesOf (*menu);
    ASSERT_EQ (last.size(), 1u);
    EXPECT_FALSE (last[0].enabled);

    EXPECT_EQ (s.presetFiles.size(), 2u);

    const auto many = presetFolder.getChildFile ("many");
    many.createDirectory();
    for (int i = 0; i < ZKPresetMenu::maxListedEntries; ++i)
        ASSERT_TRUE (many.getChildFile (juce::String (i) + ".zkp").create());
    s.populatePresets();
    EXPECT_LE (s.presetFiles.size(), 2u * ZKPresetMenu::maxListedEntries);
    EXPECT_GT (s.presetFiles.size(), 2u * (ZKPresetMenu::maxListedEntries - 20));
}

TEST_F (PresetStripTest, ButtonsReachTheirHandlersThroughRealClicks)
{
    writePreset (presetFolder.getChildFile ("a.zkp"), "alpha");
    auto& s = makeStrip();

    ::testing::internal::CaptureStdout();
    s.nextButton->triggerClick();
    dispatchPendingMessages();
    const auto printed = juce::String (::testing::internal::GetCapturedStdout());

    EXPECT_TRUE (printed.startsWith ("file to load path name = "));
    EXPECT_EQ (label(), "alpha");
}
