#pragma once

#include <JuceHeader.h>

#include "QuorvelGLScreenshot.h"
#include "SpatialAgent.h"

class QuorvelV2AudioProcessor;

// A white OpenGL plot of one of the agent's history rings, with a zero line, a black
// frame and a per-axis zoom. Subclasses say which history they draw. Renders only
// when the editor triggers it; each such frame runs under the message-thread lock,
// which is how the zoom factors reach the render thread.
class QuorvelGLCurveComponent : public juce::OpenGLAppComponent, public juce::Timer
{
public:
    explicit QuorvelGLCurveComponent (QuorvelV2AudioProcessor* processor);
    ~QuorvelGLCurveComponent() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;

    void initialise() override;
    void shutdown() override;
    void render() override;

    void timerCallback() override;

    virtual void onDrawCurve() = 0;

    // Asks for name + ".png"; the render thread writes it with its next frame.
    void saveScreenshot (const juce::String& name);

    float getXZoom() const noexcept { return xZoom; }
    float getYZoom() const noexcept { return yZoom; }

protected:
    Agent& agent() const;

    QuorvelV2AudioProcessor* processor;

private:
    void drawCurveFrame();

    al::Mesh axisMesh;
    al::Mesh frameMesh;
    float xZoom = 1.0f;
    float yZoom = 1.0f;
    // Decided by initialise from the renderer; read by render, on the same thread.
    bool smoothLines = true;
    GLScreenshotRequest screenshotRequest;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvelGLCurveComponent)
};

class VelCurveComponent : public QuorvelGLCurveComponent
{
public:
    explicit VelCurveComponent (QuorvelV2AudioProcessor* p) : QuorvelGLCurveComponent (p) {}
    ~VelCurveComponent() override;

    void onDrawCurve() override;
};

class DopplerCurveComponent : public QuorvelGLCurveComponent
{
public:
    explicit DopplerCurveComponent (QuorvelV2AudioProcessor* p) : QuorvelGLCurveComponent (p) {}
    ~DopplerCurveComponent() override;

    void onDrawCurve() override;
};

class AttenCurveComponent : public QuorvelGLCurveComponent
{
public:
    explicit AttenCurveComponent (QuorvelV2AudioProcessor* p) : QuorvelGLCurveComponent (p) {}
    ~AttenCurveComponent() override;

    void onDrawCurve() override;
};
