#pragma once

// The one GLU entry point the views use. GL/glu.h would drag the system GL headers
// in beside the framework's own juce::gl declarations, which clash; the target links
// libGLU, so a matching declaration is all that is needed.
extern "C" void gluPerspective (double fovy, double aspect, double zNear, double zFar);
