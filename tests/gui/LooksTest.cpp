#include "ZKFlatComboBoxLookFeel.h"
#include "ZKFlatToggleLookFeel.h"
#include "ZKFonts.h"
#include "ZKLoadSaveButtonLookFeel.h"
#include "ZKLookAndFeel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace
{
const juce::Colour white (0xffffffff);
const juce::Colour black (0xff000000);
const juce::Colour tickRed (0xffdd0b0b);
const juce::Colour grey (0xff808080);

juce::Image render (juce::Component& component, juce::Colour background)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    g.fillAll (background);
    component.paintEntireComponent (g, false);
    return image;
}

juce::Image renderWith (int width, int height, juce::Colour background,
                        const std::function<void (juce::Graphics&)>& draw)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (background);
    draw (g);
    return image;
}

// Each pixel as a square block, so single-pixel lines stay visible when viewed.
juce::Image magnified (const juce::Image& image, int factor)
{
    juce::Image large (juce::Image::ARGB, image.getWidth() * factor, image.getHeight() * factor, true);
    for (int y = 0; y < large.getHeight(); ++y)
        for (int x = 0; x < large.getWidth(); ++x)
            large.setPixelAt (x, y, image.getPixelAt (x / factor, y / factor));
    return large;
}

void saveScreenshot (const juce::Image& image, const juce::String& name)
{
    const auto folder = juce::File (TORAVEL_BUILD_DIR).getChildFile ("gui-screenshots");
    folder.createDirectory();
    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream stream (file);
    juce::PNGImageFormat().writeImageToStream (magnified (image, 8), stream);
}

bool samePixels (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

// Edges of anti-aliased paths can miss full coverage by a rounding step.
bool nearly (juce::Colour a, juce::Colour b)
{
    return std::abs (a.getRed() - b.getRed()) <= 2 && std::abs (a.getGreen() - b.getGreen()) <= 2 &&
           std::abs (a.getBlue() - b.getBlue()) <= 2 && std::abs (a.getAlpha() - b.getAlpha()) <= 2;
}

bool allPixels (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (!nearly (image.getPixelAt (x, y), colour))
                return false;
    return true;
}

int darkestChannel (const juce::Image& image, juce::Rectangle<int> area)
{
    int darkest = 255;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            darkest = juce::jmin (darkest, (int) c.getRed(), (int) c.getGreen(), (int) c.getBlue());
        }
    return darkest;
}

bool isEmbeddedTypeface (const juce::Font& font)
{
    return font.getTypefaceName() == "NewMedia" && font.getTypefaceStyle() == "Regular";
}

// The outline of a rectangle as the frame of single pixels along its edges.
bool frameIs (const juce::Image& image, juce::Rectangle<int> r, juce::Colour colour)
{
    return allPixels (image, r.withHeight (1), colour) && allPixels (image, r.withTop (r.getBottom() - 1), colour) &&
           allPixels (image, r.withWidth (1), colour) && allPixels (image, r.withLeft (r.getRight() - 1), colour);
}
} // namespace

TEST (ZKLookAndFeelTest, SetsSixteenColours)
{
    ZKLookAndFeel look;
    juce::LookAndFeel_V3 base;

    EXPECT_EQ (look.findColour (juce::ListBox::outlineColourId), base.findColour (juce::ComboBox::outlineColourId));
    EXPECT_EQ (look.findColour (juce::ListBox::outlineColourId), juce::Colour (0xb2808080));
    EXPECT_EQ (look.findColour (juce::ScrollBar::thumbColourId), juce::Colour (0xffbbbbdd));
    EXPECT_EQ (look.findColour (juce::ScrollBar::backgroundColourId), juce::Colour (0x00000000));
    EXPECT_EQ (look.findColour (juce::Slider::thumbColourId), juce::Colour (0xffbc5000));
    EXPECT_EQ (look.findColour (juce::Slider::trackColourId), juce::Colour (0x7f000000));
    EXPECT_EQ (look.findColour (juce::Slider::textBoxOutlineColourId), juce::Colour (0x00000000));
    EXPECT_EQ (look.findColour (juce::ProgressBar::backgroundColourId), juce::Colours::white.withAlpha (0.6f));
    EXPECT_EQ (look.findColour (juce::ProgressBar::foregroundColourId), juce::Colours::green.withAlpha (0.7f));
    EXPECT_EQ (look.findColour (juce::PopupMenu::backgroundColourId), white);
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedBackgroundColourId), black);
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedTextColourId), white);
    EXPECT_EQ (look.findColour (juce::ComboBox::arrowColourId), black);
    EXPECT_EQ (look.findColour (juce::ComboBox::outlineColourId), black);
    EXPECT_EQ (look.findColour (juce::ComboBox::buttonColourId), black);
    EXPECT_EQ (look.findColour (juce::TextEditor::focusedOutlineColourId), black);
    EXPECT_EQ (look.findColour (juce::TextEditor::outlineColourId), black);
}

TEST (ZKLookAndFeelTest, FontsAreTheEmbeddedTypefaceAtTheirHeights)
{
    ZKLookAndFeel look;
    juce::TextButton button;
    juce::Label label;
    label.setFont (juce::Font (13.0f));
    juce::ComboBox box;
    box.setSize (80, 40);

    const auto buttonFont = look.getTextButtonFont (button, 25);
    EXPECT_TRUE (isEmbeddedTypeface (buttonFont));
    EXPECT_FLOAT_EQ (buttonFont.getHeight(), 15.0f);

    const auto labelFont = look.getLabelFont (label);
    EXPECT_TRUE (isEmbeddedTypeface (labelFont));
    EXPECT_FLOAT_EQ (labelFont.getHeight(), 13.0f);

    EXPECT_TRUE (isEmbeddedTypeface (look.getPopupMenuFont()));
    EXPECT_FLOAT_EQ (look.getPopupMenuFont().getHeight(), 14.0f);
    EXPECT_TRUE (isEmbeddedTypeface (look.getComboBoxFont (box)));
    EXPECT_FLOAT_EQ (look.getComboBoxFont (box).getHeight(), 12.0f);
}

TEST (ZKLookAndFeelTest, LabelIsDrawnInTheEmbeddedTypeface)
{
    ZKLookAndFeel look;
    juce::Label label ("l", "Preset 7");
    label.setFont (juce::Font (13.0f));
    label.setJustificationType (juce::Justification::centred);
    label.setLookAndFeel (&look);
    label.setSize (110, 24);
    const auto image = render (label, white);
    saveScreenshot (image, "zk-look-label");

    const auto reference =
        renderWith (110, 24, white,
                    [] (juce::Graphics& g)
                    {
                        g.setColour (black);
                        g.setFont (setFontToDizEreviRazu().withHeight (13.0f));
                        g.drawFittedText ("Preset 7", juce::Rectangle<int> (0, 0, 110, 24).reduced (5, 1),
                                          juce::Justification::centred, 1, 1.0f);
                    });
    EXPECT_LT (darkestChannel (image, { 0, 0, 110, 24 }), 100);
    EXPECT_TRUE (samePixels (image, reference, { 0, 0, 110, 24 }));
    label.setLookAndFeel (nullptr);
}

class FlatToggleTest : public ::testing::Test
{
protected:
    FlatToggleTest()
    {
        toggle.setLookAndFeel (&look);
        toggle.setSize (100, 20);
        toggle.setToggleState (true, juce::dontSendNotification);
    }
    ~FlatToggleTest() override { toggle.setLookAndFeel (nullptr); }

    juce::Image textReference (float opacity)
    {
        return renderWith (100, 20, white,
                           [opacity] (juce::Graphics& g)
                           {
                               g.setColour (black);
                               g.setFont (setFontToDizEreviRazu().withHeight (10.0f));
                               g.setOpacity (opacity);
                               g.drawFittedText ("vis atten", 25, 0, 73, 20, juce::Justification::centredLeft, 10,
                                                 0.7f);
                           });
    }

    ZKFlatToggleLookFeel look{ tickRed, juce::Colours::lightgrey };
    juce::ToggleButton toggle{ "vis atten" };
};

TEST_F (FlatToggleTest, EnabledAndOnDrawsOutlinesTickAndText)
{
    const auto image = render (toggle, white);
    saveScreenshot (image, "flat-toggle-on");

    EXPECT_TRUE (frameIs (image, { 0, 0, 100, 20 }, black));
    EXPECT_TRUE (frameIs (image, { 0, 0, 20, 20 }, black));
    EXPECT_TRUE (allPixels (image, { 1, 1, 18, 18 }, tickRed));
    EXPECT_TRUE (allPixels (image, { 20, 1, 5, 18 }, white));
    EXPECT_TRUE (allPixels (image, { 98, 1, 1, 18 }, white));
    EXPECT_LT (darkestChannel (image, { 25, 1, 73, 18 }), 60);
    EXPECT_TRUE (samePixels (image, textReference (1.0f), { 20, 1, 79, 18 }));
}

TEST_F (FlatToggleTest, MouseOverAndPressedChangeNothing)
{
    const auto normal = render (toggle, white);
    toggle.setState (juce::Button::buttonOver);
    EXPECT_TRUE (samePixels (render (toggle, white), normal, { 0, 0, 100, 20 }));
    toggle.setState (juce::Button::buttonDown);
    EXPECT_TRUE (samePixels (render (toggle, white), normal, { 0, 0, 100, 20 }));
}

TEST_F (FlatToggleTest, DisabledUsesTheDisabledColourAndHalfOpacityText)
{
    const int enabledDarkest = darkestChannel (render (toggle, white), { 25, 1, 73, 18 });
    toggle.setEnabled (false);
    const auto image = render (toggle, white);
    saveScreenshot (image, "flat-toggle-disabled");

    EXPECT_TRUE (frameIs (image, { 0, 0, 100, 20 }, juce::Colours::lightgrey));
    EXPECT_TRUE (frameIs (image, { 0, 0, 20, 20 }, juce::Colours::lightgrey));
    EXPECT_TRUE (allPixels (image, { 1, 1, 18, 18 }, juce::Colours::lightgrey));

    // The most covered pixel of the text goes half way from white to its shade.
    const auto darkest = darkestChannel (image, { 25, 1, 73, 18 });
    EXPECT_NEAR (darkest, 255 - (255 - enabledDarkest) / 2, 2);
    EXPECT_GE (darkest, 120);
    EXPECT_TRUE (samePixels (image, textReference (0.5f), { 20, 1, 79, 18 }));
}

TEST_F (FlatToggleTest, OffDrawsNoTick)
{
    toggle.setToggleState (false, juce::dontSendNotification);
    const auto image = render (toggle, white);
    EXPECT_TRUE (frameIs (image, { 0, 0, 20, 20 }, black));
    EXPECT_TRUE (allPixels (image, { 1, 1, 18, 18 }, white));

    toggle.setEnabled (false);
    EXPECT_TRUE (allPixels (render (toggle, white), { 1, 1, 18, 18 }, white));
}

TEST_F (FlatToggleTest, TickBoxFillsInsideTheGivenBox)
{
    const auto image =
        renderWith (40, 40, white,
                    [this] (juce::Graphics& g)
                    { look.drawTickBox (g, toggle, 10.0f, 5.0f, 20.0f, 30.0f, true, true, false, false); });
    EXPECT_TRUE (allPixels (image, { 11, 6, 18, 28 }, tickRed));
    EXPECT_TRUE (frameIs (image, { 10, 5, 20, 30 }, white));
}

class LoadSaveButtonTest : public ::testing::Test
{
protected:
    LoadSaveButtonTest()
    {
        button.setLookAndFeel (&look);
        button.setSize (24, 24);
    }
    ~LoadSaveButtonTest() override { button.setLookAndFeel (nullptr); }

    ZKLoadSaveButtonLookFeel look{ 0, black };
    juce::TextButton button{ "Save Button" };
};

TEST_F (LoadSaveButtonTest, ConstructorColours)
{
    EXPECT_EQ (look.outlineColour, black);
    EXPECT_EQ (look.fillColour, juce::Colour (0x00000000));
    for (auto id : { juce::TextButton::buttonColourId, juce::TextButton::buttonOnColourId,
                     juce::TextButton::textColourOnId, juce::TextButton::textColourOffId })
        EXPECT_EQ (look.findColour (id), juce::Colour (0x00000000));
}

TEST_F (LoadSaveButtonTest, OnlyTheOutlineShowsAndNoText)
{
    button.setButtonText ("S");
    const auto image = render (button, grey);
    saveScreenshot (image, "load-save-button");

    EXPECT_TRUE (frameIs (image, { 0, 0, 24, 24 }, black));
    EXPECT_TRUE (allPixels (image, { 1, 1, 22, 22 }, grey));

    button.setState (juce::Button::buttonDown);
    EXPECT_TRUE (samePixels (render (button, grey), image, { 0, 0, 24, 24 }));
}

TEST_F (LoadSaveButtonTest, FillAndOutlineColoursAreUsed)
{
    look.fillColour = tickRed;
    look.outlineColour = juce::Colours::blue;
    const auto image = render (button, grey);

    EXPECT_TRUE (frameIs (image, { 0, 0, 24, 24 }, juce::Colours::blue));
    EXPECT_TRUE (allPixels (image, { 1, 1, 22, 22 }, tickRed));
}

TEST_F (LoadSaveButtonTest, OnePixelWideOrHighDrawsNothing)
{
    look.fillColour = tickRed;
    button.setSize (1, 24);
    EXPECT_TRUE (allPixels (render (button, grey), { 0, 0, 1, 24 }, grey));
    button.setSize (24, 1);
    EXPECT_TRUE (allPixels (render (button, grey), { 0, 0, 24, 1 }, grey));
    button.setSize (2, 2);
    EXPECT_FALSE (allPixels (render (button, grey), { 0, 0, 2, 2 }, grey));
}

class FlatComboBoxTest : public ::testing::Test
{
protected:
    FlatComboBoxTest()
    {
        box.setLookAndFeel (&look);
        box.addItem ("sine", 1);
        box.addItem ("saw", 2);
        box.setSize (80, 20);
        box.setSelectedId (1, juce::dontSendNotification);
    }
    ~FlatComboBoxTest() override { box.setLookAndFeel (nullptr); }

    juce::Label* textLabel()
    {
        for (auto* child : box.getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                return label;
        return nullptr;
    }

    ZKFlatComboBoxLookFeel look;
    juce::ComboBox box{ "osc" };
};

TEST_F (FlatComboBoxTest, WhiteBoxWithBlackFrameAndNoArrow)
{
    const auto image = render (box, grey);
    saveScreenshot (image, "flat-combo-box");

    EXPECT_TRUE (frameIs (image, { 0, 0, 80, 20 }, black));
    EXPECT_TRUE (allPixels (image, { 50, 1, 29, 18 }, white));
    EXPECT_LT (darkestChannel (image, { 1, 1, 49, 18 }), 100);
}

TEST_F (FlatComboBoxTest, TextUsesTheEmbeddedTypefaceAtSixTenthsOfTheHeight)
{
    auto* label = textLabel();
    ASSERT_NE (label, nullptr);
    EXPECT_TRUE (isEmbeddedTypeface (label->getFont()));
    EXPECT_FLOAT_EQ (label->getFont().getHeight(), 12.0f);

    box.setSize (80, 35);
    EXPECT_FLOAT_EQ (look.getComboBoxFont (box).getHeight(), (float) (35 * 0.6));
    EXPECT_TRUE (isEmbeddedTypeface (look.getPopupMenuFont()));
    EXPECT_FLOAT_EQ (look.getPopupMenuFont().getHeight(), 12.0f);
}

TEST_F (FlatComboBoxTest, PopupHighlightIsRedWithWhiteText)
{
    EXPECT_EQ (look.findColour (juce::PopupMenu::backgroundColourId), white);
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedBackgroundColourId), tickRed);
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedTextColourId), white);

    const auto image = renderWith (100, 22, white,
                                   [this] (juce::Graphics& g) {
                                       look.drawPopupMenuItem (g, { 0, 0, 100, 22 }, false, true, true, false, false,
                                                               "square", {}, nullptr, nullptr);
                                   });
    saveScreenshot (image, "flat-combo-popup-item");
    EXPECT_EQ (image.getPixelAt (2, 2), tickRed);

    bool whiteText = false;
    for (int x = 2; x < 98; ++x)
        whiteText = whiteText || image.getPixelAt (x, 11) == white;
    EXPECT_TRUE (whiteText);
}
