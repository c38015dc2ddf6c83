#include "al/Spatializer.h"

namespace al
{

Spatializer::Spatializer (const SpeakerLayout& layout)
{
    for (const Speaker& s : layout.speakers())
        speakers.push_back (s);
}

Spatializer::~Spatializer() = default;

} // namespace al
