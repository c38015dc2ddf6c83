#pragma once

namespace al
{

// The drawing context handed to al::Drawable. Only its polygon-face names are used
// here; their values are OpenGL's.
class Graphics
{
public:
    enum Face
    {
        FRONT = 1028,
        BACK = 1029,
        FRONT_AND_BACK = 1032
    };
};

} // namespace al
