#include <JuceHeader.h>
#include <gtest/gtest.h>

#include "DizEreviRazu.h"
#include "GuiTestSupport.h"
#include "ZKFonts.h"

#include <atomic>
#include <thread>

namespace
{
juce::Image renderText (const juce::Font& font, const juce::String& text, int width = 400, int height = 40,
                        float x = 4.0f)
{
    juce::Image image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    g.setColour (juce::Colours::black);
    juce::GlyphArrangement line;
    line.addLineOfText (font, text, x, std::ceil (font.getAscent()) + 2.0f);
    line.draw (g);
    return image;
}

bool sameImages (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

int inkPixels (const juce::Image& image)
{
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y) != juce::Colours::white)
                ++count;
    return count;
}

const juce::String sample = "TORAVEL SYNTHESIS - Quick brown fox 0123456789 (AV) Wa";
} // namespace

TEST (ZKFonts, TheEmbeddedFontReportsItsTypeface)
{
    auto font = setFontToDizEreviRazu();
    EXPECT_EQ (font.getTypefaceName(), "NewMedia");
    EXPECT_EQ (font.getTypefaceStyle(), "Regular");
    EXPECT_FALSE (font.isBold());
    EXPECT_FALSE (font.isItalic());
    EXPECT_EQ (font.getHeight(), juce::Font().getHeight()) << "the framework's default height";

    auto tall = font.withHeight (100.0f);
    EXPECT_FLOAT_EQ (tall.getAscent(), 100.0f * 0.8000030517578125f);
    EXPECT_NEAR (tall.getAscent() / tall.getHeight(), 0.8000031f, 1.0e-7f);
    EXPECT_FLOAT_EQ (tall.getDescent(), 100.0f - tall.getAscent());
}

TEST (ZKFonts, SpaceAdvancesHalfTheHeightAndWTheWidest)
{
    auto font = setFontToDizEreviRazu().withHeight (40.0f);
    EXPECT_FLOAT_EQ (font.getStringWidthFloat (" "), 20.0f);
    EXPECT_FLOAT_EQ (font.getStringWidthFloat ("W"), 40.0f * 1.313f);
    EXPECT_FLOAT_EQ (font.getStringWidthFloat ("    "), 80.0f);
}

TEST (ZKFonts, KerningPairsTightenTheirPairs)
{
    auto font = setFontToDizEreviRazu().withHeight (50.0f);
    EXPECT_LT (font.getStringWidthFloat ("AV"), font.getStringWidthFloat ("A") + font.getStringWidthFloat ("V"));
    EXPECT_LT (font.getStringWidthFloat ("To"), font.getStringWidthFloat ("T") + font.getStringWidthFloat ("o"));
    EXPECT_FLOAT_EQ (font.getStringWidthFloat ("HH"), 2.0f * font.getStringWidthFloat ("H"));
}

TEST (ZKFonts, ControlCharactersDrawNothing)
{
    auto font = setFontToDizEreviRazu().withHeight (30.0f);
    auto typeface = font.getTypefacePtr();
    juce::String controls;
    for (juce::juce_wchar c = 1; c < 32; ++c)
    {
        juce::Path outline;
        outline.addRectangle (0.0f, 0.0f, 1.0f, 1.0f);
        EXPECT_TRUE (typeface->getOutlineForGlyph ((int) c, outline)) << c;
        EXPECT_TRUE (outline.isEmpty()) << c;
        controls += juce::String::charToString (c);
    }
    EXPECT_EQ (inkPixels (renderText (font, controls)), 0);
}

// The euro sign and the smiley are not in the typeface: each takes the glyph and the
// advance that the framework's fallback typeface gives it, and the A before and the B
// after them draw as they do alone.
TEST (ZKFonts, CharactersAboveTheTypefaceFallBackWithoutHarm)
{
    auto font = setFontToDizEreviRazu().withHeight (24.0f);
    const auto mixed = juce::String::fromUTF8 ("A\xe2\x82\xac\xe2\x98\xba"
                                               "B");
    juce::Array<int> glyphs;
    juce::Array<float> x;
    font.getGlyphPositions (mixed, glyphs, x);
    ASSERT_EQ (glyphs.size(), 4);
    EXPECT_EQ (glyphs[0], 'A');
    EXPECT_EQ (glyphs[3], 'B');
    EXPECT_FLOAT_EQ (x[1], font.getStringWidthFloat ("A"));

    const juce::Font fallback (juce::Font::getFallbackFontName(), juce::Font::getFallbackFontStyle(), 24.0f);
    for (int i : { 1, 2 })
    {
        juce::Array<int> fallbackGlyph;
        juce::Array<float> fallbackX;
        fallback.getGlyphPositions (mixed.substring (i, i + 1), fallbackGlyph, fallbackX);
        EXPECT_EQ (glyphs[i], fallbackGlyph[0]) << i;
        EXPECT_FLOAT_EQ (x[i + 1] - x[i], fallbackX[1]) << i;
    }

    const auto image = renderText (font, mixed);
    const auto a = renderText (font, "A");
    const auto b = renderText (font, "B", 400, 40, 4.0f + x[3]);
    EXPECT_GT (inkPixels (b), 20);
    const int aEnd = 4 + (int) x[1], bStart = 4 + (int) std::ceil (x[3]);
    for (int y = 0; y < 40; ++y)
    {
        for (int column = 0; column < aEnd; ++column)
            ASSERT_EQ (image.getPixelAt (column, y), a.getPixelAt (column, y)) << column << ", " << y;
        for (int column = bStart; column < 400; ++column)
            ASSERT_EQ (image.getPixelAt (column, y), b.getPixelAt (column, y)) << column << ", " << y;
    }
}

TEST (ZKFonts, TwoCallsBuildSeparateTypefacesThatRenderIdentically)
{
    auto first = setFontToDizEreviRazu().withHeight (24.0f);
    auto second = setFontToDizEreviRazu().withHeight (24.0f);
    EXPECT_NE (first.getTypefacePtr().get(), second.getTypefacePtr().get());

    auto a = renderText (first, sample, 900, 40);
    auto b = renderText (second, sample, 900, 40);
    EXPECT_GT (inkPixels (a), 500);
    EXPECT_TRUE (sameImages (a, b));
    guitest::saveResourcePng (a, "font_sample");
}

TEST (ZKFonts, GetZKCustomFontReadsAnyTypefaceData)
{
    juce::CustomTypeface source;
    source.setCharacteristics ("Probe", 0.75f, true, false, 'x');
    juce::Path box;
    box.addRectangle (0.0f, -0.5f, 0.4f, 0.5f);
    source.addGlyph ('x', box, 0.5f);
    juce::MemoryOutputStream out;
    source.writeToStream (out);

    auto font = getZKCustomFont (out.getData(), out.getDataSize());
    EXPECT_EQ (font.getTypefaceName(), "Probe");
    EXPECT_EQ (font.getTypefaceStyle(), "Bold");
    EXPECT_FLOAT_EQ (font.withHeight (10.0f).getStringWidthFloat ("xx"), 10.0f);
}

TEST (ZKFonts, TwoThreadsCallingAtOnceGetTheSameFont)
{
    const auto reference = renderText (setFontToDizEreviRazu().withHeight (20.0f), sample, 700, 30);
    std::atomic<int> ready{ 0 };
    std::atomic<int> mismatches{ 0 };

    auto work = [&]
    {
        ++ready;
        while (ready.load() < 2)
            std::this_thread::yield();
        for (int i = 0; i < 20; ++i)
        {
            auto font = setFontToDizEreviRazu();
            if (font.getTypefaceName() != "NewMedia" || font.getTypefaceStyle() != "Regular")
                ++mismatches;
            if (!sameImages (renderText (font.withHeight (20.0f), sample, 700, 30), reference))
                ++mismatches;
        }
    };

    std::thread one (work);
    std::thread two (work);
    one.join();
    two.join();
    EXPECT_EQ (mismatches.load(), 0);
}

// Each code in a cell of its own: ink in the cell of every code that carries an
// outline, none in the cells of the codes whose outlines are empty.
TEST (ZKFonts, CharacterChartRenders)
{
    auto font = setFontToDizEreviRazu().withHeight (36.0f);
    juce::Image chart (juce::Image::RGB, 16 * 48, 16 * 48, true, juce::SoftwareImageType());
    juce::Graphics g (chart);
    g.fillAll (juce::Colours::white);
    g.setFont (font);
    for (int code = 1; code < 256; ++code)
    {
        const int x = (code % 16) * 48, y = (code / 16) * 48;
        g.setColour (juce::Colours::lightgrey);
        g.drawRect (x, y, 48, 48);
        g.setColour (juce::Colours::black);
        g.drawSingleLineText (juce::String::charToString ((juce::juce_wchar) code), x + 4, y + 36);
    }
    guitest::saveResourcePng (chart, "font_chart");
    guitest::saveResourcePng (renderText (setFontToDizEreviRazu().withHeight (24.0f), "TORAVEL SYNTHESIS", 450, 30),
                              "font_title");

    const juce::Array<int> blankAbove160{ 173, 198, 208, 222, 230, 240, 254 };
    for (int code = 1; code < 256; ++code)
    {
        const bool blank = code <= 32 || (code >= 127 && code <= 160 && code != 133) || blankAbove160.contains (code);
        const juce::Rectangle<int> inside ((code % 16) * 48 + 1, (code / 16) * 48 + 1, 46, 46);
        const int ink = guitest::countPixels (chart, inside, [] (juce::Colour c) { return c.getRed() < 150; });
        EXPECT_EQ (ink > 0, !blank) << code;
    }
}
