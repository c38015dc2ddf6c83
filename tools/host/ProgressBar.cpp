#include "ProgressBar.h"

#include <unistd.h>

#include <cstdio>

namespace
{
constexpr juce::uint32 quietMilliseconds = 400;
constexpr juce::uint32 redrawMilliseconds = 100;
constexpr int width = 40;
} // namespace

ProgressBar::ProgressBar (juce::String labelToShow)
    : label (std::move (labelToShow)), enabled (isatty (STDERR_FILENO) != 0),
      started (juce::Time::getMillisecondCounter())
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update (double fraction)
{
    if (!enabled)
        return;
    const auto now = juce::Time::getMillisecondCounter();
    if (now - started < quietMilliseconds || (drawn && now - lastDrawn < redrawMilliseconds && fraction < 1.0))
        return;

    fraction = juce::jlimit (0.0, 1.0, fraction);
    const int filled = (int) (fraction * width);
    std::fprintf (stderr, "\r%s [%s%s] %3d%%", label.toRawUTF8(),
                  juce::String::repeatedString ("#", filled).toRawUTF8(),
                  juce::String::repeatedString (".", width - filled).toRawUTF8(), (int) (fraction * 100.0));
    std::fflush (stderr);
    drawn = true;
    lastDrawn = now;
}

void ProgressBar::finish()
{
    if (drawn)
        std::fputs ("\n", stderr);
    drawn = false;
    enabled = false;
}
