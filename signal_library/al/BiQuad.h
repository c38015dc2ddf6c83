#pragma once

namespace al
{

enum BIQUADTYPE : int
{
    BIQUAD_LOWPASS = 0,
    BIQUAD_HIGHPASS = 1,
    BIQUAD_BANDPASS = 2,
    BIQUAD_NOTCH = 3,
    BIQUAD_PEAKING = 4,
    BIQUAD_LOWSHELF = 5,
    BIQUAD_HIGHSHELF = 6
};

// Second-order section in direct form I, designed by the standard cookbook formulas
// with the bandwidth in octaves. Design and filtering are in double precision.
class BiQuad
{
public:
    BiQuad (BIQUADTYPE type, double sampleRate);
    ~BiQuad() {}

    // The frequency is limited to 20..20000 Hz. A frequency that still reaches half the
    // sample rate, where the coefficients turn into NaN or the response folds over, is
    // designed at 0.49 of the rate with the bandwidth taken unwarped; below half the
    // rate the warped bandwidth is held to the larger of 4.05 octaves and the
    // bandwidth times 4.05 / 1.9, and is the usual warped one wherever that stays within
    // the bound. A rate that is not a finite positive number, or a design that would
    // not be finite and stable, keeps the previous coefficients.
    void set (double frequency, double bandwidth, double gainDb);

    double operator() (double x)
    {
        if (!enabled)
            return x;
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    void processBuffer (float* samples, int count);

    // True when a design would turn out the same for both: the same type, rate and
    // coefficients.
    bool designsLike (const BiQuad& other) const;
    // Takes the other's coefficients and what it knows of their design.
    void takeDesignOf (const BiQuad& other);

    BIQUADTYPE type;
    double b0 = 1.0, b1 = 0.0, b2 = 0.0;
    double a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0;
    double y1 = 0.0, y2 = 0.0;
    double sampleRate;
    bool enabled = true;

private:
    void design (double frequency, double bandwidth, double gainDb);

    // The arguments, rate and type of the latest design and the coefficients it left.
    // The design is a function of these alone (a rejected design keeps the
    // coefficients it found), so asking again for the same while the coefficients
    // are still that outcome changes nothing and is skipped: the owner re-designs the
    // tracking filters at every block, mostly with unchanged arguments.
    struct LastDesign
    {
        bool valid = false;
        BIQUADTYPE type = BIQUAD_LOWPASS;
        double frequency = 0.0, bandwidth = 0.0, gainDb = 0.0, sampleRate = 0.0;
        double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    } last;
};

// The vector instructions that the filtering of several sections may use: the widest
// the processor has, or at most SSE2, which is what runs on a processor without AVX.
// Both give the same samples to the bit; the second lets that path run anywhere.
enum class BiQuadSimd
{
    widest,
    sse2
};

// A cascade of identical sections, each with its own state.
class BiQuadNX
{
public:
    BiQuadNX (int numStages, BIQUADTYPE type, double sampleRate);
    ~BiQuadNX();

    BiQuadNX (const BiQuadNX&) = delete;
    BiQuadNX& operator= (const BiQuadNX&) = delete;

    void set (double frequency, double bandwidth, double gainDb);

    // Only the rate changes; the responses move with it until the next set.
    void setSampleRate (double sampleRate);

    void processBuffer (float* samples, int count, BiQuadSimd simd = BiQuadSimd::widest);

    int numStages;
    BiQuad* stages = nullptr;
};

// Two channels, each through its own chain of numSections sections in order, the
// same samples to the bit as each section's processBuffer in turn; the two chains
// are worked on together, which keeps more of the arithmetic in flight at once.
void processStereoChains (BiQuad* const* left, BiQuad* const* right, int numSections, float* leftSamples,
                          float* rightSamples, int count, BiQuadSimd simd = BiQuadSimd::widest);

} // namespace al
