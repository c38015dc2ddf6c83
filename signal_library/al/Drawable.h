#pragma once

#include "al/Graphics.h"
#include "al/LoadTime.h"

namespace al
{

// Something that draws itself.
class Drawable
{
public:
    virtual ~Drawable() = default;
    virtual void onDraw (Graphics& g) = 0;
};

} // namespace al
