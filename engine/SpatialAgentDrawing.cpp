#include "SpatialAgent.h"

#include "LineSmoothing.h"

#include <JuceHeader.h>

#include <algorithm>
#include <cmath>

using namespace juce::gl;

void Agent::onAnimate (double)
{
    // Cleared before the length is read: a request that arrives meanwhile stays
    // pending and is applied at the next frame.
    if (!trailResizePending.exchange (false, std::memory_order_acq_rel))
        return;
    const int points = std::max (1, trailLength.load (std::memory_order_relaxed));
    trailGuard.enter();
    trail.resize (points, al::Vec3f());
    trailAlpha.resize (points, 0.0f);
    trailGuard.leave();
}

void Agent::onDraw (al::Graphics&)
{
    onDraw();
}

void Agent::onDraw()
{
    const float fade = std::sqrt (envValue.load (std::memory_order_relaxed));
    const bool attenuationFade = visAtten.load (std::memory_order_relaxed);

    const auto alphas = trailAlpha.snapshot();
    const auto points = trail.snapshot();
    glBegin (GL_LINE_STRIP);
    for (int i = 0; i < points.count; ++i)
    {
        float c = 1.0f;
        if (attenuationFade && i < alphas.count)
        {
            const float g = trailAlpha.read (alphas, i);
            c = g * g * g;
        }
        glColor4f (0.0f, 0.0f, 0.0f, c * fade);
        const al::Vec3f p = trail.read (points, i);
        glVertex3f (p[0], p[1], p[2]);
    }
    glEnd();

    if (!showPoints.load (std::memory_order_relaxed))
        return;

    glEnable (GL_POLYGON_SMOOTH);
    glHint (GL_POLYGON_SMOOTH_HINT, GL_NICEST);

    glPushMatrix();
    glTranslatef ((float) shown.center[0].load(), (float) shown.center[1].load(), (float) shown.center[2].load());
    glColor4f (0.0f, 0.0f, 0.0f, 0.5f);
    drawMesh (centerSphere);
    glPopMatrix();

    if ((double) envValue.load (std::memory_order_relaxed) > 0.01)
    {
        glPushMatrix();
        glTranslatef ((float) shown.position[0].load(), (float) shown.position[1].load(),
                      (float) shown.position[2].load());
        glColor4f (1.0f, 0.1f, 0.1f, 0.5f);
        drawMesh (sourceSphere);
        glPopMatrix();
    }
}

void Agent::drawHistory (const FloatHistory& history)
{
    glEnable (GL_BLEND);
    glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    enableLineSmoothing();
    glLineWidth (2.0f);

    const auto s = history.snapshot();
    const int n = s.count;
    glBegin (GL_LINE_STRIP);
    for (int i = 0; i < n; ++i)
    {
        const float x = (float) i / (float) n * 2.0f - 1.0f;
        const float y = (float) ((double) history.read (s, i) * 0.9);
        glColor4f (0.0f, 0.0f, 0.0f, 1.0f);
        glVertex3f (x, y, 0.0f);
    }
    glEnd();
}

void Agent::onDrawModulator()
{
    drawHistory (modulatorHistory);
}

void Agent::onDrawAttenuation()
{
    drawHistory (attenuationHistory);
}

void Agent::onDrawVelCurve()
{
    drawHistory (velocityHistory);
}

void drawMesh (const al::Mesh& mesh)
{
    const int n = mesh.vertices.count;
    if (n == 0)
        return;
    const int indexCount = mesh.indices.count;
    const int m = indexCount > 0 ? indexCount : n;
    if (m <= 0)
        return;

    glEnableClientState (GL_VERTEX_ARRAY);
    glVertexPointer (3, GL_FLOAT, 0, mesh.vertices.elements.data());

    if (mesh.normals.count >= n)
    {
        glEnableClientState (GL_NORMAL_ARRAY);
        glNormalPointer (GL_FLOAT, 0, mesh.normals.elements.data());
    }

    if (mesh.colors.count >= n)
    {
        glEnableClientState (GL_COLOR_ARRAY);
        glColorPointer (4, GL_FLOAT, 0, mesh.colors.elements.data());
    }
    else if (mesh.coloris.count >= n)
    {
        glEnableClientState (GL_COLOR_ARRAY);
        glColorPointer (4, GL_UNSIGNED_BYTE, 0, mesh.coloris.elements.data());
    }
    else if (mesh.colors.count > 0)
    {
        glColor4fv ((const GLfloat*) mesh.colors.elements.data());
    }
    else if (mesh.coloris.count > 0)
    {
        glColor3ubv ((const GLubyte*) mesh.coloris.elements.data());
    }

    const bool textured = mesh.texCoord2s.count > 0 || mesh.texCoord3s.count > 0;
    if (textured)
    {
        glEnableClientState (GL_TEXTURE_COORD_ARRAY);
        if (mesh.texCoord2s.count >= n)
            glTexCoordPointer (2, GL_FLOAT, 0, mesh.texCoord2s.elements.data());
        if (mesh.texCoord3s.count >= n)
            glTexCoordPointer (3, GL_FLOAT, 0, mesh.texCoord3s.elements.data());
    }

    if (indexCount > 0)
        glDrawElements ((GLenum) mesh.primitive, m, GL_UNSIGNED_INT, mesh.indices.elements.data());
    else
        glDrawArrays ((GLenum) mesh.primitive, 0, n);

    glDisableClientState (GL_VERTEX_ARRAY);
    if (mesh.normals.count > 0)
        glDisableClientState (GL_NORMAL_ARRAY);
    if (mesh.colors.count > 0 || mesh.coloris.count > 0)
        glDisableClientState (GL_COLOR_ARRAY);
    if (textured)
        glDisableClientState (GL_TEXTURE_COORD_ARRAY);
}
