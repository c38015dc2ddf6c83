#pragma once

#include <JuceHeader.h>

#include "QuorvelGLScreenshot.h"
#include "SpatialAgent.h"

class QuorvelV2AudioProcessor;

// The editor's OpenGL view of the moving source: the agent's trail and markers under
// a perspective camera whose angles and zoom live in the processor, optional axis
// lines, and a painted information overlay. Renders only when asked (the editor
// triggers it every 33 ms); every such frame runs under the message-thread lock, so
// the camera values and the flags below pass between the threads under that lock.
class QuorvelOpenGLComponent : public juce::OpenGLAppComponent, public juce::Timer
{
public:
    explicit QuorvelOpenGLComponent (QuorvelV2AudioProcessor* processor);
    ~QuorvelOpenGLComponent() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;

    void initialise() override;
    void shutdown() override;
    void render() override;

    void timerCallback() override;

    void enableDrawInfo (bool on);
    // Asks for path + ".png"; the render thread writes it with its next frame.
    void saveScreenshot (const juce::String& path);

    // The overlay's text for one axis's extents below and above the centre.
    static juce::String boundsText (double lower, double upper);

    bool autoRotate = false;
    bool dragCentre = false;
    juce::String overlayPresetName;
    bool showPresetName = true;
    bool drawAxes = false;
    bool drawInfo = false;

private:
    Agent& agent() const;
    void drawScene();

    QuorvelV2AudioProcessor* processor;

    al::Mesh xAxisMesh, yAxisMesh, zAxisMesh;

    juce::Image vxImage, vyImage, vzImage, bxImage, byImage, bzImage, fsImage, bwImage, fmxImage, fmyImage, fmzImage,
        rxImage, ryImage, rzImage, dfxImage, dfyImage, dfzImage, ixImage, iyImage, izImage, trailImage;

    float lastMouseX = -1.0f;
    float lastMouseY = -1.0f;
    bool isDragging = false;
    // Decided by initialise from the renderer; read by render, on the same thread.
    bool smoothLines = true;

    GLScreenshotRequest screenshotRequest;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvelOpenGLComponent)
};
