#pragma once

#include "al/Main.h"
#include "al/SphericalHarmonic.h"

// The library's load-time work: the run-loop record and the spherical-harmonic table
// are made during static initialisation, before any other code of the plug-in runs.
// Every unit that includes this header (directly, or through al/Drawable.h, which the
// moving source and its views include) takes part; the first does the work, the rest
// find it done. Referring to Main::get() here is also what keeps the run-loop unit in
// the link when the library is a static archive.
namespace al
{
namespace
{
[[maybe_unused]] const bool loadTimeWorkDone = (Main::get(), SphericalHarmonic<16>::createLUT(), true);
} // namespace
} // namespace al
