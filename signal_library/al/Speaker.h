#pragma once

#include <vector>

namespace al
{

// One loudspeaker: the output channel it plays and where it stands. Azimuth 0 is
// straight ahead (negative z), -90 left, +90 right; positive elevation is up.
struct Speaker
{
    int deviceChannel;
    float gain; // set by layouts; no panner reads it
    float azimuth;
    float elevation;
    float radius;

    Speaker (int channel = 0, float az = 0.0f, float el = 0.0f, float rad = 1.0f, float g = 1.0f)
        : deviceChannel (channel), gain (g), azimuth (az), elevation (el), radius (rad)
    {
    }
};

// Speakers in the order they were added.
class SpeakerLayout
{
public:
    void addSpeaker (const Speaker& s) { mSpeakers.push_back (s); }
    const std::vector<Speaker>& speakers() const { return mSpeakers; }
    int numSpeakers() const { return int (mSpeakers.size()); }

private:
    std::vector<Speaker> mSpeakers;
};

} // namespace al
