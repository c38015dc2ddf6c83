#include <JuceHeader.h>
#include <gtest/gtest.h>

#include "DizEreviRazu.h"
#include "GuiTestSupport.h"
#include "TRGraphics.h"
#include "ZKPresetMenu.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace
{
juce::MemoryBlock inflatedTypeface()
{
    juce::MemoryInputStream compressed (DizEreviRazu::dizerevirazu_ttf, (size_t) DizEreviRazu::dizerevirazu_ttfSize,
                                        false);
    juce::GZIPDecompressorInputStream inflater (compressed);
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    out.writeFromInputStream (inflater, -1);
    out.flush();
    return block;
}

struct ParsedGlyph
{
    int code = 0;
    float advance = 0.0f;
    juce::Path outline;
};

// Reads the inflated typeface field by field, independently of the framework's
// reader, so that layout faults show up as wrong fields rather than as a quietly
// truncated typeface.
struct ParsedTypeface
{
    explicit ParsedTypeface (const juce::MemoryBlock& block)
    {
        juce::MemoryInputStream in (block, false);
        name = in.readString();
        bold = in.readByte();
        italic = in.readByte();
        ascentBits = (juce::uint32) in.readInt();
        defaultCharacter = (juce::uint16) in.readShort();
        const int glyphCount = in.readInt();
        for (int i = 0; i < glyphCount && !in.isExhausted(); ++i)
        {
            ParsedGlyph glyph;
            glyph.code = (juce::uint16) in.readShort();
            glyph.advance = in.readFloat();
            glyph.outline.loadPathFromStream (in);
            glyphs.push_back (glyph);
        }
        const int pairCount = in.readInt();
        for (int i = 0; i < pairCount && !in.isExhausted(); ++i)
        {
            const int first = (juce::uint16) in.readShort();
            const int second = (juce::uint16) in.readShort();
            in.readFloat();
            pairs.emplace_back (first, second);
        }
        declaredPairs = pairCount;
        bytesLeft = in.getNumBytesRemaining();
    }

    juce::String name;
    char bold = -1, italic = -1;
    juce::uint32 ascentBits = 0;
    int defaultCharacter = 0;
    std::vector<ParsedGlyph> glyphs;
    std::vector<std::pair<int, int>> pairs;
    int declaredPairs = 0;
    juce::int64 bytesLeft = -1;
};

bool hasOutline (int code)
{
    if (code <= 32 || (code >= 127 && code <= 160 && code != 133))
        return false;
    for (int empty : { 173, 198, 208, 222, 230, 240, 254 })
        if (code == empty)
            return false;
    return true;
}

bool isKerningCharacter (int c)
{
    const bool ascii = c >= 33 && c <= 126;
    const bool latin1Sign = c >= 161 && c <= 191;
    const bool latin1Letter = c >= 192 && c <= 255 && c != 215 && c != 247;
    return ascii || latin1Sign || latin1Letter;
}
} // namespace

TEST (TypefaceResource, IsOneZlibStreamOfTheDeclaredSizes)
{
    ASSERT_EQ (DizEreviRazu::dizerevirazu_ttfSize, 24281);
    const auto* bytes = reinterpret_cast<const unsigned char*> (DizEreviRazu::dizerevirazu_ttf);
    EXPECT_EQ (bytes[0], 0x78);
    EXPECT_EQ (bytes[1], 0x9C);
    EXPECT_EQ (inflatedTypeface().getSize(), 65980u);
}

TEST (TypefaceResource, HeaderFieldsHoldTheFixedValues)
{
    ParsedTypeface face (inflatedTypeface());
    EXPECT_EQ (face.name, "NewMedia");
    EXPECT_EQ (face.bold, 0);
    EXPECT_EQ (face.italic, 0);
    EXPECT_EQ (face.ascentBits, 0x3F4CCD00u);
    EXPECT_EQ (face.defaultCharacter, 32);
}

TEST (TypefaceResource, CoversCodesOneTo255WithTheDeclaredOutlines)
{
    ParsedTypeface face (inflatedTypeface());
    ASSERT_EQ (face.glyphs.size(), 255u);
    for (int i = 0; i < 255; ++i)
    {
        const auto& glyph = face.glyphs[(size_t) i];
        const int code = i + 1;
        EXPECT_EQ (glyph.code, code);
        EXPECT_EQ (!glyph.outline.isEmpty(), hasOutline (code)) << "code " << code;
        EXPECT_GE (glyph.advance, 0.0f) << "code " << code;
        if (code != 'W')
        {
            EXPECT_LT (glyph.advance, 1.313f) << "code " << code;
        }
        if (!glyph.outline.isEmpty())
        {
            auto bounds = glyph.outline.getBounds();
            EXPECT_GT (bounds.getY(), -1.0f) << "code " << code;
            EXPECT_LT (bounds.getBottom(), 0.5f) << "code " << code;
        }
    }
    EXPECT_EQ (face.glyphs[31].advance, 0.5f);
    EXPECT_EQ (face.glyphs['W' - 1].advance, 1.313f);
}

TEST (TypefaceResource, EndsExactlyAfterTheKerningPairs)
{
    ParsedTypeface face (inflatedTypeface());
    EXPECT_EQ (face.declaredPairs, 243);
    ASSERT_EQ (face.pairs.size(), 243u);
    EXPECT_EQ (face.bytesLeft, 0);

    std::set<std::pair<int, int>> distinct (face.pairs.begin(), face.pairs.end());
    EXPECT_EQ (distinct.size(), face.pairs.size());
    for (auto [first, second] : face.pairs)
    {
        EXPECT_TRUE (isKerningCharacter (first)) << first;
        EXPECT_TRUE (isKerningCharacter (second)) << second;
    }
}

TEST (TypefaceResource, TheFrameworkReadsItAsTheSameTypeface)
{
    juce::MemoryInputStream stream (DizEreviRazu::dizerevirazu_ttf, (size_t) DizEreviRazu::dizerevirazu_ttfSize, false);
    juce::CustomTypeface typeface (stream);
    EXPECT_EQ (typeface.getName(), "NewMedia");
    EXPECT_EQ (typeface.getStyle(), "Regular");
    EXPECT_EQ (typeface.getAscent(), 0.8000030517578125f);

    juce::Path outline;
    EXPECT_TRUE (typeface.getOutlineForGlyph ('A', outline));
    EXPECT_FALSE (outline.isEmpty());
    EXPECT_TRUE (typeface.getOutlineForGlyph (255, outline));
    EXPECT_FALSE (outline.isEmpty());
    EXPECT_FLOAT_EQ (typeface.getStringWidth (" "), 0.5f);
    EXPECT_FLOAT_EQ (typeface.getStringWidth ("W"), 1.313f);
}

namespace
{
struct LabelImage
{
    const char* name;
    const char* data;
    int size;
    int width;
    int height;
    int bytes;
};

// The order in which the 3-D view loads them.
const LabelImage labelImages[] = {
    { "vx", TRGraphics::vx_png, TRGraphics::vx_pngSize, 26, 28, 3856 },
    { "vy", TRGraphics::vy_png, TRGraphics::vy_pngSize, 23, 30, 3917 },
    { "vz", TRGraphics::vz_png, TRGraphics::vz_pngSize, 23, 26, 3800 },
    { "Bx", TRGraphics::Bx_png, TRGraphics::Bx_pngSize, 28, 28, 4066 },
    { "By", TRGraphics::By_png, TRGraphics::By_pngSize, 30, 31, 4111 },
    { "Bz", TRGraphics::Bz_png, TRGraphics::Bz_pngSize, 27, 28, 4004 },
    { "fs", TRGraphics::fs_png, TRGraphics::fs_pngSize, 24, 29, 3679 },
    { "BW", TRGraphics::BW_png, TRGraphics::BW_pngSize, 42, 26, 4875 },
    { "fmx", TRGraphics::fmx_png, TRGraphics::fmx_pngSize, 39, 28, 4382 },
    { "fmy", TRGraphics::fmy_png, TRGraphics::fmy_pngSize, 36, 31, 4431 },
    { "fmz", TRGraphics::fmz_png, TRGraphics::fmz_pngSize, 37, 30, 4361 },
    { "rx", TRGraphics::rx_png, TRGraphics::rx_pngSize, 44, 59, 4864 },
    { "ry", TRGraphics::ry_png, TRGraphics::ry_pngSize, 46, 61, 5217 },
    { "rz", TRGraphics::rz_png, TRGraphics::rz_pngSize, 40, 59, 5108 },
    { "dfx", TRGraphics::dfx_png, TRGraphics::dfx_pngSize, 38, 26, 4252 },
    { "dfy", TRGraphics::dfy_png, TRGraphics::dfy_pngSize, 41, 29, 4414 },
    { "dfz", TRGraphics::dfz_png, TRGraphics::dfz_pngSize, 43, 29, 4355 },
    { "Ix", TRGraphics::Ix_png, TRGraphics::Ix_pngSize, 22, 25, 3721 },
    { "Iy", TRGraphics::Iy_png, TRGraphics::Iy_pngSize, 22, 28, 3804 },
    { "Iz", TRGraphics::Iz_png, TRGraphics::Iz_pngSize, 23, 25, 3743 },
    { "trail", TRGraphics::trail_png, TRGraphics::trail_pngSize, 49, 26, 4830 },
};

juce::uint32 bigEndian (const unsigned char* p)
{
    return ((juce::uint32) p[0] << 24) | ((juce::uint32) p[1] << 16) | ((juce::uint32) p[2] << 8) | p[3];
}

// The chunk types of a PNG file in order, or an empty list if its chunk lengths
// do not add up to the byte count.
std::vector<std::string> pngChunks (const unsigned char* data, int size)
{
    static const unsigned char signature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
    std::vector<std::string> chunks;
    if (size < 8 || std::memcmp (data, signature, 8) != 0)
        return {};
    int position = 8;
    while (position + 12 <= size)
    {
        const auto length = (int) bigEndian (data + position);
        chunks.emplace_back (reinterpret_cast<const char*> (data + position + 4), 4);
        position += 12 + length;
    }
    return position == size ? chunks : std::vector<std::string>();
}
} // namespace

TEST (LabelImages, AreOpaqueRgbaPngsOfTheDeclaredSizes)
{
    for (const auto& label : labelImages)
    {
        SCOPED_TRACE (label.name);
        EXPECT_EQ (label.size, label.bytes);
        const auto* bytes = reinterpret_cast<const unsigned char*> (label.data);

        auto chunks = pngChunks (bytes, label.size);
        ASSERT_FALSE (chunks.empty());
        EXPECT_EQ (chunks.front(), "IHDR");
        EXPECT_EQ (chunks.back(), "IEND");
        EXPECT_NE (std::find (chunks.begin(), chunks.end(), "iCCP"), chunks.end());
        EXPECT_NE (std::find (chunks.begin(), chunks.end(), "tEXt"), chunks.end());
        EXPECT_EQ ((int) bigEndian (bytes + 16), label.width);
        EXPECT_EQ ((int) bigEndian (bytes + 20), label.height);
        EXPECT_EQ (bytes[24], 8) << "bit depth";
        EXPECT_EQ (bytes[25], 6) << "RGBA colour type";
        EXPECT_EQ (bytes[28], 0) << "interlace";

        auto image = juce::ImageFileFormat::loadFrom (label.data, (size_t) label.size);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), label.width);
        EXPECT_EQ (image.getHeight(), label.height);
        guitest::saveResourcePng (image, juce::String ("label_") + label.name);

        int darkPixels = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                auto colour = image.getPixelAt (x, y);
                EXPECT_EQ (colour.getAlpha(), 255) << x << "," << y;
                if (colour.getBrightness() < 0.3f)
                    ++darkPixels;
            }
        EXPECT_GT (darkPixels, 8) << "the label shows letters";
        for (int x = 0; x < image.getWidth(); ++x)
        {
            EXPECT_EQ (image.getPixelAt (x, 0), juce::Colours::white) << "white border, column " << x;
            EXPECT_EQ (image.getPixelAt (x, image.getHeight() - 1), juce::Colours::white) << "column " << x;
        }
    }
}

namespace
{
struct Icon
{
    const char* name;
    const char* data;
    int size;
    int bytes;
};

const Icon icons[] = {
    { "save", ZKPresetMenu::saveButton_svg, ZKPresetMenu::saveButton_svgSize, 1084 },
    { "load", ZKPresetMenu::loadButton_svg, ZKPresetMenu::loadButton_svgSize, 827 },
    { "preset", ZKPresetMenu::presetButton_svg, ZKPresetMenu::presetButton_svgSize, 751 },
    { "previous", ZKPresetMenu::previousButton_svg, ZKPresetMenu::previousButton_svgSize, 629 },
    { "next", ZKPresetMenu::nextButton_svg, ZKPresetMenu::nextButton_svgSize, 759 },
    { "lock", ZKPresetMenu::lockButton_svg, ZKPresetMenu::lockButton_svgSize, 731 },
};

// Fraction of black pixels in a box of the icon drawn 200 x 200, one unit a pixel.
float inkIn (const juce::Image& image, juce::Rectangle<int> box)
{
    int dark = 0;
    for (int y = box.getY(); y < box.getBottom(); ++y)
        for (int x = box.getX(); x < box.getRight(); ++x)
            if (image.getPixelAt (x, y).getBrightness() < 0.5f)
                ++dark;
    return (float) dark / (float) (box.getWidth() * box.getHeight());
}
} // namespace

TEST (PresetStripIcons, AreSvgDocumentsOfOnePathInTheMiddleOfA200UnitBox)
{
    for (const auto& icon : icons)
    {
        SCOPED_TRACE (icon.name);
        EXPECT_EQ (icon.size, icon.bytes);
        auto text = juce::String::fromUTF8 (icon.data, icon.size);
        EXPECT_TRUE (text.startsWith ("<?xml"));
        EXPECT_TRUE (text.contains ("<!--"));
        EXPECT_TRUE (text.contains ("<!DOCTYPE svg"));

        auto xml = juce::parseXML (text);
        ASSERT_NE (xml, nullptr);
        EXPECT_TRUE (xml->hasTagName ("svg"));
        EXPECT_EQ (xml->getStringAttribute ("viewBox"), "0 0 200 200");
        EXPECT_EQ (xml->getStringAttribute ("version"), "1.1");
        ASSERT_EQ (xml->getNumChildElements(), 1);
        auto* group = xml->getChildElement (0);
        EXPECT_TRUE (group->hasTagName ("g"));
        ASSERT_EQ (group->getNumChildElements(), 1);
        EXPECT_TRUE (group->getChildElement (0)->hasTagName ("path"));
        EXPECT_FALSE (group->getChildElement (0)->hasAttribute ("fill"));

        auto fromSvg = juce::Drawable::createFromSVG (*xml);
        ASSERT_NE (fromSvg, nullptr);
        auto drawable = juce::Drawable::createFromImageData (icon.data, (size_t) icon.size);
        ASSERT_NE (drawable, nullptr);

        auto bounds = drawable->getDrawableBounds();
        EXPECT_GE (bounds.getX(), 60.0f);
        EXPECT_GE (bounds.getY(), 60.0f);
        EXPECT_LE (bounds.getRight(), 144.0f);
        EXPECT_LE (bounds.getBottom(), 144.0f);
        EXPECT_GT (bounds.getWidth(), 40.0f);
        EXPECT_GT (bounds.getHeight(), 40.0f);
    }
}

TEST (PresetStripIcons, ShowTheirShapes)
{
    std::map<juce::String, juce::Image> images;
    for (const auto& icon : icons)
    {
        auto drawable = juce::Drawable::createFromImageData (icon.data, (size_t) icon.size);
        ASSERT_NE (drawable, nullptr);
        juce::Image image (juce::Image::RGB, 200, 200, true);
        {
            juce::Graphics g (image);
            g.fillAll (juce::Colours::white);
            drawable->draw (g, 1.0f);
        }
        guitest::saveResourcePng (image, juce::String ("icon_") + icon.name);
        images[icon.name] = image;
    }
    const juce::Rectangle<int> centre (98, 98, 4, 4);

    // Filled shapes are black, not outlines.
    EXPECT_EQ (inkIn (images["save"], { 98, 70, 4, 20 }), 1.0f) << "the arrow's shaft";
    EXPECT_EQ (inkIn (images["save"], { 70, 125, 20, 10 }), 1.0f) << "the tray";
    EXPECT_EQ (inkIn (images["save"], { 99, 116, 2, 2 }), 0.0f) << "the tray dips under the arrow's tip";
    EXPECT_EQ (inkIn (images["save"], { 117, 129, 2, 2 }), 0.0f) << "a dot cut into the tray";

    EXPECT_EQ (inkIn (images["load"], { 66, 75, 16, 10 }), 1.0f) << "the tab";
    EXPECT_EQ (inkIn (images["load"], { 90, 74, 10, 4 }), 0.0f) << "beside the tab";

    EXPECT_EQ (inkIn (images["preset"], { 75, 110, 6, 6 }), 1.0f) << "the disc";
    EXPECT_EQ (inkIn (images["preset"], { 99, 108, 2, 2 }), 0.0f) << "the chevron cut out of it";
    EXPECT_EQ (inkIn (images["preset"], { 99, 125, 2, 2 }), 1.0f) << "below the chevron";

    // The chevrons point the way they lead: ink at the tip, not on the far side.
    EXPECT_GT (inkIn (images["previous"], { 80, 100, 4, 4 }), 0.9f);
    EXPECT_EQ (inkIn (images["previous"], { 120, 100, 4, 4 }), 0.0f);
    EXPECT_GT (inkIn (images["next"], { 116, 100, 4, 4 }), 0.9f);
    EXPECT_EQ (inkIn (images["next"], { 76, 100, 4, 4 }), 0.0f);

    EXPECT_EQ (inkIn (images["lock"], { 98, 70, 4, 3 }), 1.0f) << "the top of the shackle";
    EXPECT_EQ (inkIn (images["lock"], centre.withY (88)), 0.0f) << "inside the shackle";
    EXPECT_EQ (inkIn (images["lock"], { 80, 110, 40, 20 }), 1.0f) << "the body";
}
