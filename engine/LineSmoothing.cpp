#include "LineSmoothing.h"

#include <JuceHeader.h>

#include <cstring>

namespace
{
// Per thread, since the views draw on the framework's render thread and each sets it
// before it draws.
thread_local bool smoothingAllowed = true;
} // namespace

bool rendererDropsSmoothedSegments (const char* renderer)
{
    return renderer != nullptr &&
           (std::strstr (renderer, "llvmpipe") != nullptr || std::strstr (renderer, "softpipe") != nullptr);
}

void allowLineSmoothing (bool allowed)
{
    smoothingAllowed = allowed;
}

void enableLineSmoothing()
{
    using namespace juce::gl;

    glHint (GL_LINE_SMOOTH_HINT, GL_NICEST);

    if (smoothingAllowed)
        glEnable (GL_LINE_SMOOTH);
    else
        glDisable (GL_LINE_SMOOTH);
}
