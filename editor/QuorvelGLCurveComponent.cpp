#include "QuorvelGLCurveComponent.h"

#include "LineSmoothing.h"
#include "PluginProcessor.h"
#include "QuorvelGLScreenshot.h"

QuorvelGLCurveComponent::QuorvelGLCurveComponent (QuorvelV2AudioProcessor* p) : processor (p)
{
    setSize (400, 400);
    openGLContext.setContinuousRepainting (false);
    setWantsKeyboardFocus (true);
    setVisible (true);
}

QuorvelGLCurveComponent::~QuorvelGLCurveComponent()
{
    shutdownOpenGL();
}

Agent& QuorvelGLCurveComponent::agent() const
{
    return processor->agents[0];
}

void QuorvelGLCurveComponent::initialise()
{
    using namespace juce::gl;

    axisMesh.primitive = GL_LINE_STRIP;
    axisMesh.vertices.append (al::Vec3f (-1, 0, 0));
    axisMesh.vertices.append (al::Vec3f (1, 0, 0));

    frameMesh.primitive = GL_LINE_STRIP;
    frameMesh.vertices.append (al::Vec3f (-1, 1, 0));
    frameMesh.vertices.append (al::Vec3f (1, 1, 0));
    frameMesh.vertices.append (al::Vec3f (1, -1, 0));
    frameMesh.vertices.append (al::Vec3f (-1, -1, 0));
    frameMesh.vertices.append (al::Vec3f (-1, 1, 0));

    smoothLines = !rendererDropsSmoothedSegments ((const char*) glGetString (GL_RENDERER));

    // Released for the reason the 3-D view's initialise gives: a context left current on
    // the render thread can be destroyed under it by the message thread.
    juce::OpenGLContext::deactivateCurrentContext();
}

void QuorvelGLCurveComponent::shutdown()
{
}

void QuorvelGLCurveComponent::render()
{
    allowLineSmoothing (smoothLines);
    drawCurveFrame();

    const auto screenshot = screenshotRequest.take();

    if (screenshot != juce::File())
        writeOpenGLScreenshot (
            *this, [this] { drawCurveFrame(); }, screenshot);
}

void QuorvelGLCurveComponent::drawCurveFrame()
{
    using namespace juce::gl;

    glClearColor (1.0f, 1.0f, 1.0f, 1.0f);
    glClear (GL_COLOR_BUFFER_BIT);

    glTranslatef (0.0f, 0.0f, -1.0f);
    glScalef (xZoom, yZoom, 1.0f);

    onDrawCurve();

    glLoadIdentity();
    glPushMatrix();
    glTranslatef (0.0f, 0.0f, 0.0f);
    glColor4f (0.0f, 0.0f, 0.0f, 0.5f);
    drawMesh (axisMesh);
    glColor4f (0.0f, 0.0f, 0.0f, 1.0f);
    drawMesh (frameMesh);
    glPopMatrix();
}

void QuorvelGLCurveComponent::paint (juce::Graphics& g)
{
    g.setColour (juce::Colours::black);
}

void QuorvelGLCurveComponent::timerCallback()
{
    repaint();
}

bool QuorvelGLCurveComponent::keyPressed (const juce::KeyPress&)
{
    return true;
}

void QuorvelGLCurveComponent::mouseDown (const juce::MouseEvent&)
{
}

void QuorvelGLCurveComponent::mouseDrag (const juce::MouseEvent&)
{
}

void QuorvelGLCurveComponent::mouseUp (const juce::MouseEvent&)
{
}

void QuorvelGLCurveComponent::mouseDoubleClick (const juce::MouseEvent&)
{
    xZoom = 1.0f;
    yZoom = 1.0f;
}

void QuorvelGLCurveComponent::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    yZoom = juce::jlimit (0.002f, 10.0f, yZoom + wheel.deltaY);
    xZoom = juce::jlimit (1.0f, 1000.0f, xZoom - wheel.deltaX);
}

void QuorvelGLCurveComponent::saveScreenshot (const juce::String& name)
{
    if (juce::OpenGLContext::getCurrentContext() == &openGLContext)
        return;

    screenshotRequest.request (juce::File (name + ".png"));
    openGLContext.triggerRepaint();
}

// Detaching here, before this class's part is gone, keeps a frame from reaching
// onDrawCurve while only the abstract base remains.
VelCurveComponent::~VelCurveComponent()
{
    shutdownOpenGL();
}

void VelCurveComponent::onDrawCurve()
{
    agent().onDrawVelCurve();
}

// Detaching here, before this class's part is gone, keeps a frame from reaching
// onDrawCurve while only the abstract base remains.
DopplerCurveComponent::~DopplerCurveComponent()
{
    shutdownOpenGL();
}

void DopplerCurveComponent::onDrawCurve()
{
    agent().onDrawModulator();
}

// Detaching here, before this class's part is gone, keeps a frame from reaching
// onDrawCurve while only the abstract base remains.
AttenCurveComponent::~AttenCurveComponent()
{
    shutdownOpenGL();
}

void AttenCurveComponent::onDrawCurve()
{
    agent().onDrawAttenuation();
}
