#pragma once

// Smoothing of the trail and the history curves. Mesa's software rasterisers give a
// smoothed segment shorter than a pixel next to no coverage, and the trail and a long
// history are strips of thousands of such segments: smoothed, they vanish. Each view
// decides once, from its context's renderer, and tells the drawing of every frame.

// True for a GL_RENDERER string of one of those rasterisers (llvmpipe, softpipe).
bool rendererDropsSmoothedSegments (const char* renderer);

// On the render thread, before a view draws its frame: whether the frame may smooth lines.
void allowLineSmoothing (bool allowed);

// Smoothed lines with the nicest hint where the frame allows them, plain ones otherwise;
// left in force afterwards.
void enableLineSmoothing();
