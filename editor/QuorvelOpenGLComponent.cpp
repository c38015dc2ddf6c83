#include "QuorvelOpenGLComponent.h"

#include "LineSmoothing.h"
#include "PluginProcessor.h"
#include "QuorvelGLScreenshot.h"
#include "QuorvelGLU.h"
#include "TRGraphics.h"
#include "ZKFonts.h"

namespace
{
const char* const fp = "%2.2f";

juce::String number (double value)
{
    return juce::String::formatted (fp, value);
}

// Bounds at the lower limit of the parameters read as no extent at all.
double displayedBound (double bound)
{
    const float b = (float) bound;
    return b > 0.1f ? (double) b : 0.0;
}
} // namespace

QuorvelOpenGLComponent::QuorvelOpenGLComponent (QuorvelV2AudioProcessor* p) : processor (p)
{
    setSize (400, 400);
    openGLContext.setContinuousRepainting (false);
    setWantsKeyboardFocus (true);

    trailImage = juce::ImageCache::getFromMemory (TRGraphics::trail_png, TRGraphics::trail_pngSize);
    trailImage.desaturate();
    bxImage = juce::ImageCache::getFromMemory (TRGraphics::Bx_png, TRGraphics::Bx_pngSize);
    byImage = juce::ImageCache::getFromMemory (TRGraphics::By_png, TRGraphics::By_pngSize);
    bzImage = juce::ImageCache::getFromMemory (TRGraphics::Bz_png, TRGraphics::Bz_pngSize);
    vxImage = juce::ImageCache::getFromMemory (TRGraphics::vx_png, TRGraphics::vx_pngSize);
    vyImage = juce::ImageCache::getFromMemory (TRGraphics::vy_png, TRGraphics::vy_pngSize);
    vzImage = juce::ImageCache::getFromMemory (TRGraphics::vz_png, TRGraphics::vz_pngSize);
    fsImage = juce::ImageCache::getFromMemory (TRGraphics::fs_png, TRGraphics::fs_pngSize);
    bwImage = juce::ImageCache::getFromMemory (TRGraphics::BW_png, TRGraphics::BW_pngSize);
    fmxImage = juce::ImageCache::getFromMemory (TRGraphics::fmx_png, TRGraphics::fmx_pngSize);
    fmyImage = juce::ImageCache::getFromMemory (TRGraphics::fmy_png, TRGraphics::fmy_pngSize);
    fmzImage = juce::ImageCache::getFromMemory (TRGraphics::fmz_png, TRGraphics::fmz_pngSize);
    rxImage = juce::ImageCache::getFromMemory (TRGraphics::rx_png, TRGraphics::rx_pngSize);
    ryImage = juce::ImageCache::getFromMemory (TRGraphics::ry_png, TRGraphics::ry_pngSize);
    rzImage = juce::ImageCache::getFromMemory (TRGraphics::rz_png, TRGraphics::rz_pngSize);
    dfxImage = juce::ImageCache::getFromMemory (TRGraphics::dfx_png, TRGraphics::dfx_pngSize);
    dfyImage = juce::ImageCache::getFromMemory (TRGraphics::dfy_png, TRGraphics::dfy_pngSize);
    dfzImage = juce::ImageCache::getFromMemory (TRGraphics::dfz_png, TRGraphics::dfz_pngSize);
    ixImage = juce::ImageCache::getFromMemory (TRGraphics::Ix_png, TRGraphics::Ix_pngSize);
    iyImage = juce::ImageCache::getFromMemory (TRGraphics::Iy_png, TRGraphics::Iy_pngSize);
    izImage = juce::ImageCache::getFromMemory (TRGraphics::Iz_png, TRGraphics::Iz_pngSize);
}

QuorvelOpenGLComponent::~QuorvelOpenGLComponent()
{
    shutdownOpenGL();
    stopTimer();
}

Agent& QuorvelOpenGLComponent::agent() const
{
    return processor->agents[0];
}

void QuorvelOpenGLComponent::initialise()
{
    using namespace juce::gl;

    xAxisMesh.primitive = GL_LINE_STRIP;
    xAxisMesh.vertices.append (al::Vec3f (-100, 0, 0));
    xAxisMesh.vertices.append (al::Vec3f (100, 0, 0));
    yAxisMesh.primitive = GL_LINE_STRIP;
    yAxisMesh.vertices.append (al::Vec3f (0, -100, 0));
    yAxisMesh.vertices.append (al::Vec3f (0, 100, 0));
    zAxisMesh.primitive = GL_LINE_STRIP;
    zAxisMesh.vertices.append (al::Vec3f (0, 0, -100));
    zAxisMesh.vertices.append (al::Vec3f (0, 0, 100));

    smoothLines = !rendererDropsSmoothedSegments ((const char*) glGetString (GL_RENDERER));

    // The framework makes a new context current on its shared render thread to
    // initialise it and, when that first frame then stops early (its wait for the
    // message thread cut short, as when the view is detached meanwhile), leaves it
    // current there. The message thread may then destroy the context, and the render
    // thread's next make-current uses freed memory. Every frame makes it current again.
    juce::OpenGLContext::deactivateCurrentContext();
}

void QuorvelOpenGLComponent::shutdown()
{
}

void QuorvelOpenGLComponent::render()
{
    allowLineSmoothing (smoothLines);
    drawScene();

    const auto screenshot = screenshotRequest.take();

    if (screenshot != juce::File())
        writeOpenGLScreenshot (
            *this, [this] { drawScene(); }, screenshot);

    // Once a frame, after the screenshot: a screenshot frame draws the scene twice,
    // and both drawings show the same view.
    if (autoRotate)
    {
        processor->theta = (float) ((double) processor->theta + 0.15);
        processor->phi = (float) ((double) processor->phi + 0.12);
    }
}

void QuorvelOpenGLComponent::drawScene()
{
    using namespace juce::gl;

    glClearColor (1.0f, 1.0f, 1.0f, 1.0f);
    glClear (GL_COLOR_BUFFER_BIT);

    glMatrixMode (GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective (45.0, (double) (1.0f / 0.86f), 0.1, 100.0);

    glMatrixMode (GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef (0.0f, 0.02f, -1.0f);
    glRotatef (processor->theta, 0.0f, 1.0f, 0.0f);
    glRotatef (processor->phi, 1.0f, 0.0f, 0.0f);
    glScalef (processor->scale, processor->scale, processor->scale);

    glEnable (GL_BLEND);
    glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    enableLineSmoothing();
    glLineWidth (2.0f);

    agent().onAnimate (0.0);
    agent().onDraw();

    if (drawAxes || isDragging)
    {
        glPushMatrix();
        glTranslatef (0.0f, 0.0f, 0.0f);
        glColor4f (1.0f, 0.4f, 0.0f, 0.6f);
        drawMesh (xAxisMesh);
        glColor4f (0.0f, 1.0f, 1.0f, 0.6f);
        drawMesh (yAxisMesh);
        glColor4f (1.0f, 0.0f, 1.0f, 0.6f);
        drawMesh (zAxisMesh);
        glPopMatrix();
    }

    glMatrixMode (GL_PROJECTION);
    glPopMatrix();
    glMatrixMode (GL_MODELVIEW);
    glPopMatrix();
}

void QuorvelOpenGLComponent::paint (juce::Graphics& g)
{
    if (!drawInfo)
        return;

    const int w = getWidth();
    const int h = getHeight();

    g.setColour (juce::Colours::white);
    g.fillRect (0, 0, w, 100);
    g.fillRect (0, h - 130, w, 130);

    if (showPresetName)
    {
        g.setColour (juce::Colours::black);
        auto font = setFontToDizEreviRazu();
        font.setHeight (20.0f);
        g.setFont (font);

        if (overlayPresetName.isNotEmpty())
            g.drawText ("\"" + overlayPresetName + "\"", w - 200, 10, 200, 22, juce::Justification::left, true);
    }

    g.setColour (juce::Colours::black);
    g.setFont (juce::Font (juce::Font::getDefaultSansSerifFontName(), 16.0f, juce::Font::plain));

    const auto image = [&g] (const juce::Image& img, int x, int y, int width, int height)
    { g.drawImage (img, x, y, width, height, 0, 0, img.getWidth(), img.getHeight()); };
    const auto text = [&g] (const juce::String& s, int x, int y, int width, int height)
    { g.drawText (s, x, y, width, height, juce::Justification::left, true); };

    auto& a = agent();
    const double velocity[3] = { a.shownVelocity (0), a.shownVelocity (1), a.shownVelocity (2) };
    const double lower[3] = { a.shownLowerBound (0), a.shownLowerBound (1), a.shownLowerBound (2) };
    const double upper[3] = { a.shownUpperBound (0), a.shownUpperBound (1), a.shownUpperBound (2) };

    image (vxImage, 133, 7, 19, 20);
    text (" = " + number (velocity[0]) + " m/s", 152, 7, 160, 20);
    image (vyImage, 133, 42, 19, 20);
    text (" = " + number (velocity[1]) + " m/s", 152, 42, 160, 20);
    image (vzImage, 133, 77, 19, 20);
    text (" = " + number (velocity[2]) + " m/s", 152, 77, 160, 20);

    image (bxImage, 293, 7, 19, 20);
    text (boundsText (lower[0], upper[0]), 312, 7, 160, 20);
    image (byImage, 293, 42, 19, 20);
    text (boundsText (lower[1], upper[1]), 312, 42, 160, 20);
    image (bzImage, 293, 77, 19, 20);
    text (boundsText (lower[2], upper[2]), 312, 77, 160, 20);

    text (" = " + number (processor->getScaledParameter (1)) + " sec", 45, 7, 160, 20);
    image (trailImage, 5, 7, 42, 20);

    image (fsImage, 5, h - 120, 21, 25);
    text (" = " + number (a.shownFrequency()) + " hz", 26, h - 120, 160, 20);
    image (bwImage, 5, h - 85, 26, 18);
    text ("= " + number (processor->bandwidth) + " hz", 31, h - 85, 160, 20);

    image (fmxImage, 133, h - 120, 35, 25);
    text (" = " + number (processor->modFreq[0]) + " hz", 168, h - 120, 160, 20);
    image (fmyImage, 133, h - 77, 35, 25);
    text (" = " + number (processor->modFreq[1]) + " hz", 168, h - 77, 160, 20);
    image (fmzImage, 133, h - 34, 35, 25);
    text (" = " + number (processor->modFreq[2]) + " hz", 168, h - 34, 160, 20);

    image (rxImage, 293, h - 130, 35, 43);
    text (" = " + number (processor->getScaledParameter (3)), 328, h - 120, 160, 20);
    image (ryImage, 293, h - 87, 35, 43);
    text (" = " + number (processor->getScaledParameter (4)), 328, h - 77, 160, 20);
    image (rzImage, 293, h - 44, 35, 43);
    text (" = " + number (processor->getScaledParameter (5)), 328, h - 34, 160, 20);

    image (dfxImage, 453, h - 120, 35, 25);
    text (" = " + number (processor->modDepth[0]) + " hz", 488, h - 120, 240, 20);
    image (dfyImage, 453, h - 77, 35, 25);
    text (" = " + number (processor->modDepth[1]) + " hz", 488, h - 77, 240, 20);
    image (dfzImage, 453, h - 34, 35, 25);
    text (" = " + number (processor->modDepth[2]) + " hz", 488, h - 34, 240, 20);

    image (ixImage, 613, h - 120, 20, 25);
    text (" = " + number (processor->modIndex[0]), 633, h - 120, 240, 20);
    image (iyImage, 613, h - 77, 20, 25);
    text (" = " + number (processor->modIndex[1]), 633, h - 77, 240, 20);
    image (izImage, 613, h - 34, 20, 25);
    text (" = " + number (processor->modIndex[2]), 633, h - 34, 240, 20);
}

juce::String QuorvelOpenGLComponent::boundsText (double lower, double upper)
{
    return " = [-" + number (displayedBound (lower)) + ", " + number (displayedBound (upper)) + "] m";
}

void QuorvelOpenGLComponent::enableDrawInfo (bool on)
{
    drawInfo = on;

    if (on)
    {
        startTimer (50);
    }
    else
    {
        stopTimer();
        repaint();
    }
}

void QuorvelOpenGLComponent::timerCallback()
{
    repaint();
}

bool QuorvelOpenGLComponent::keyPressed (const juce::KeyPress& key)
{
    switch (key.getTextCharacter())
    {
        case 'a':
            drawAxes = !drawAxes;
            break;
        case 'i':
            enableDrawInfo (!drawInfo);
            break;
        case 'n':
            showPresetName = !showPresetName;
            break;
        case 'p':
            agent().showPoints = !agent().showPoints.load();
            break;
        default:
            break;
    }

    return true;
}

void QuorvelOpenGLComponent::mouseDown (const juce::MouseEvent&)
{
    lastMouseX = -1.0f;
    lastMouseY = -1.0f;
    isDragging = true;
}

void QuorvelOpenGLComponent::mouseUp (const juce::MouseEvent&)
{
    isDragging = false;
}

void QuorvelOpenGLComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (dragCentre)
    {
        const float x = e.position.x / (float) getWidth();
        const float y = 1.0f - e.position.y / (float) getHeight();
        const float s = processor->scale;
        agent().targetCenter = (al::Vec3d ((2.0f * x - 1.0f) / s, (2.0f * y - 1.0f) / s, 0.0));
        return;
    }

    const auto screen = e.getScreenPosition().toFloat();

    if (lastMouseX > 0.0f && lastMouseY > 0.0f)
    {
        processor->theta = (float) ((double) processor->theta + (double) (screen.x - lastMouseX) * 0.5);
        processor->phi = (float) ((double) processor->phi + (double) (screen.y - lastMouseY) * 0.5);
    }

    lastMouseX = screen.x;
    lastMouseY = screen.y;
}

void QuorvelOpenGLComponent::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    processor->scale = juce::jlimit (0.003f, 20.0f, processor->scale + wheel.deltaY);
}

void QuorvelOpenGLComponent::saveScreenshot (const juce::String& path)
{
    if (juce::OpenGLContext::getCurrentContext() == &openGLContext)
        return;

    screenshotRequest.request (juce::File (path + ".png"));
    openGLContext.triggerRepaint();
}
