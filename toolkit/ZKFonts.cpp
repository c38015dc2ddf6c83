#include "ZKFonts.h"

#include "DizEreviRazu.h"

juce::Font getZKCustomFont (const void* data, size_t size)
{
    juce::MemoryInputStream stream (data, size, false);
    juce::Typeface::Ptr typeface (new juce::CustomTypeface (stream));
    return juce::Font (typeface);
}

juce::Font setFontToDizEreviRazu()
{
    return getZKCustomFont (DizEreviRazu::dizerevirazu_ttf, (size_t) DizEreviRazu::dizerevirazu_ttfSize);
}
