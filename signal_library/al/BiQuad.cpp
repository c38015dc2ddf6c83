#include "al/BiQuad.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace al
{

BiQuad::BiQuad (BIQUADTYPE type_, double sampleRate_) : type (type_), sampleRate (sampleRate_)
{
    set (10000.0, 1.9, 0.0);
}

namespace
{
bool same (double a, double b)
{
    return std::memcmp (&a, &b, sizeof a) == 0;
}
} // namespace

void BiQuad::set (double frequency, double bandwidth, double gainDb)
{
    if (last.valid && last.type == type && same (last.frequency, frequency) && same (last.bandwidth, bandwidth) &&
        same (last.gainDb, gainDb) && same (last.sampleRate, sampleRate) && same (last.b0, b0) && same (last.b1, b1) &&
        same (last.b2, b2) && same (last.a1, a1) && same (last.a2, a2))
        return;

    design (frequency, bandwidth, gainDb);

    last.valid = true;
    last.type = type;
    last.frequency = frequency;
    last.bandwidth = bandwidth;
    last.gainDb = gainDb;
    last.sampleRate = sampleRate;
    last.b0 = b0;
    last.b1 = b1;
    last.b2 = b2;
    last.a1 = a1;
    last.a2 = a2;
}

bool BiQuad::designsLike (const BiQuad& other) const
{
    return type == other.type && same (sampleRate, other.sampleRate) && same (b0, other.b0) && same (b1, other.b1) &&
           same (b2, other.b2) && same (a1, other.a1) && same (a2, other.a2);
}

void BiQuad::takeDesignOf (const BiQuad& other)
{
    b0 = other.b0;
    b1 = other.b1;
    b2 = other.b2;
    a1 = other.a1;
    a2 = other.a2;
    last = other.last;
}

void BiQuad::design (double frequency, double bandwidth, double gainDb)
{
    if (!(std::isfinite (sampleRate) && sampleRate > 0.0))
        return;

    const double A = std::pow (10.0, gainDb / 40.0);

    if (frequency > 20000.0)
        frequency = 20000.0;
    if (!(frequency > 20.0))
        frequency = 20.0;
    // At half the rate and above, sin w0 reaches zero and the design turns into NaN or
    // folds over, so such a request is designed at 0.49 of the rate instead. There the
    // bandwidth's correction for the bilinear transform's warping, w0 / sin w0, is about
    // 49 and would put a low-pass's corner near 0 Hz: silence. So that design takes the
    // bandwidth uncorrected, as the analogue prototype's (1.9 octaves give a Q of 0.71),
    // and a low-pass passes everything below its corner.
    const bool pastHalfTheRate = frequency >= 0.5 * sampleRate;
    if (pastHalfTheRate)
        frequency = 0.49 * sampleRate;

    const double w0 = 6.283185307179586 * frequency / sampleRate;
    const double sn = std::sin (w0);
    const double cs = std::cos (w0);
    // The bandwidth in octaves times ln 2 / 2: the argument of sinh.
    const double halfWidth = 0.34657359027997264 * bandwidth;
    double warpedHalfWidth = halfWidth;
    // Just below half the rate the correction still grows without bound: a low-pass's
    // Q falls towards 0 and takes its pass band with it, and from about 0.491 of the
    // rate the design is not even stable. So the warped bandwidth is held to the larger
    // of 4.05 octaves and the bandwidth times 4.05 / 1.9; wherever it stays within that,
    // the design is the usual one. 4.05 octaves is just above what the plug-in's widest
    // request, 1.9 octaves, warps to at 10 kHz and 32 kHz (4.038), so every design it
    // makes at 32 kHz and above stays as it was, and up to 1.9 octaves that is the whole
    // bound. A wider band has its correction never held below 4.05 / 1.9, the factor the
    // bound allows 1.9 octaves, so away from half the rate it keeps its full warping.
    // With 1.9 octaves a low-pass's -3 dB point stays above 0.126 of the rate for any
    // corner from 0.2 of the rate up to half of it.
    if (!pastHalfTheRate)
        warpedHalfWidth =
            std::min (halfWidth * w0 / sn, std::max (0.34657359027997264 * 4.05, halfWidth * (4.05 / 1.9)));
    const double alpha = sn * std::sinh (warpedHalfWidth);

    double nb0, nb1, nb2, na0, na1, na2;
    switch (type)
    {
        case BIQUAD_LOWPASS:
            nb0 = (1.0 - cs) / 2.0;
            nb1 = 1.0 - cs;
            nb2 = (1.0 - cs) / 2.0;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_HIGHPASS:
            nb0 = (1.0 + cs) / 2.0;
            nb1 = -(1.0 + cs);
            nb2 = (1.0 + cs) / 2.0;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_BANDPASS:
            nb0 = alpha;
            nb1 = 0.0;
            nb2 = -alpha;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_NOTCH:
            nb0 = 1.0;
            nb1 = -2.0 * cs;
            nb2 = 1.0;
            na0 = 1.0 + alpha;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha;
            break;
        case BIQUAD_PEAKING:
            nb0 = 1.0 + alpha * A;
            nb1 = -2.0 * cs;
            nb2 = 1.0 - alpha * A;
            na0 = 1.0 + alpha / A;
            na1 = -2.0 * cs;
            na2 = 1.0 - alpha / A;
            break;
        case BIQUAD_LOWSHELF:
        {
            const double beta = sn * std::sqrt (A + A);
            nb0 = A * ((A + 1.0) - (A - 1.0) * cs + beta);
            nb1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * cs);
            nb2 = A * ((A + 1.0) - (A - 1.0) * cs - beta);
            na0 = (A + 1.0) + (A - 1.0) * cs + beta;
            na1 = -2.0 * ((A - 1.0) + (A + 1.0) * cs);
            na2 = (A + 1.0) + (A - 1.0) * cs - beta;
            break;
        }
        case BIQUAD_HIGHSHELF:
        {
            const double beta = sn * std::sqrt (A + A);
            nb0 = A * ((A + 1.0) + (A - 1.0) * cs + beta);
            nb1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * cs);
            nb2 = A * ((A + 1.0) + (A - 1.0) * cs - beta);
            na0 = (A + 1.0) - (A - 1.0) * cs + beta;
            na1 = 2.0 * ((A - 1.0) - (A + 1.0) * cs);
            na2 = (A + 1.0) - (A - 1.0) * cs - beta;
            break;
        }
        default:
            return;
    }

    const double c0 = nb0 / na0, c1 = nb1 / na0, c2 = nb2 / na0, d1 = na1 / na0, d2 = na2 / na0;

    // The formulas give a stable filter for every positive bandwidth below half the rate;
    // a design that is not finite or not stable (a bandwidth of zero or less, NaN
    // arguments) would ring or blow up for good, so the running design stays instead.
    if (!std::isfinite (c0 + c1 + c2 + d1 + d2) || !(std::abs (d2) < 1.0 && std::abs (d1) < 1.0 + d2))
        return;

    b0 = c0;
    b1 = c1;
    b2 = c2;
    a1 = d1;
    a2 = d2;
}

void BiQuad::processBuffer (float* samples, int count)
{
    for (int i = 0; i < count; ++i)
        samples[i] = (float) (*this) ((double) samples[i]);
}

BiQuadNX::BiQuadNX (int numStages_, BIQUADTYPE type, double sampleRate) : numStages (numStages_ > 0 ? numStages_ : 0)
{
    if (numStages == 0)
        return;
    stages = static_cast<BiQuad*> (::operator new (sizeof (BiQuad) * (size_t) numStages));
    for (int i = 0; i < numStages; ++i)
        new (stages + i) BiQuad (type, sampleRate);
}

BiQuadNX::~BiQuadNX()
{
    ::operator delete (stages);
}

void BiQuadNX::set (double frequency, double bandwidth, double gainDb)
{
    if (numStages == 0)
        return;
    // Sections that stood where the first one stood end where it ends: its design is
    // theirs, made once.
    const BiQuad first = stages[0];
    stages[0].set (frequency, bandwidth, gainDb);
    for (int i = 1; i < numStages; ++i)
    {
        if (stages[i].designsLike (first))
            stages[i].takeDesignOf (stages[0]);
        else
            stages[i].set (frequency, bandwidth, gainDb);
    }
}

void BiQuadNX::setSampleRate (double sampleRate)
{
    for (int i = 0; i < numStages; ++i)
        stages[i].sampleRate = sampleRate;
}

#if defined(__SSE2__)
namespace
{
inline double low (__m128d v)
{
    return _mm_cvtsd_f64 (v);
}

inline double high (__m128d v)
{
    return _mm_cvtsd_f64 (_mm_unpackhi_pd (v, v));
}

// Runs 2 * Pairs sections over a block as a wavefront: in each step section k takes
// sample t - k, so the sections' recurrences, each a long chain of dependent
// multiplies and adds, run side by side instead of one after another. Two sections
// share one register of two doubles; every lane does exactly the arithmetic of
// BiQuad::operator() in the same order, and each section's output is narrowed to
// float before the next section reads it, as processBuffer does, so the samples are
// the same to the bit. The first and last steps, in which some sections have no
// sample yet or any more, go through the sections one by one. Needs count >= 2 * Pairs.
template <int Pairs>
void processWavefront (BiQuad* const* s, float* x, int count)
{
    constexpr int K = 2 * Pairs;

    // The first steps: section k starts at step k. Within a step the sections work on
    // different samples, so their chains still overlap.
    for (int t = 0; t < K - 1; ++t)
        for (int k = 0; k <= t; ++k)
            x[t - k] = (float) (*s[k]) ((double) x[t - k]);

    __m128d b0[Pairs], b1[Pairs], b2[Pairs], a1[Pairs], a2[Pairs];
    __m128d x1[Pairs], x2[Pairs], y1[Pairs], y2[Pairs];
    // The latest output of each section, narrowed to float and widened again: lane 0
    // for section 2m, lane 1 for section 2m + 1.
    __m128d out[Pairs];
    for (int m = 0; m < Pairs; ++m)
    {
        const BiQuad& e = *s[2 * m];
        const BiQuad& o = *s[2 * m + 1];
        b0[m] = _mm_set_pd (o.b0, e.b0);
        b1[m] = _mm_set_pd (o.b1, e.b1);
        b2[m] = _mm_set_pd (o.b2, e.b2);
        a1[m] = _mm_set_pd (o.a1, e.a1);
        a2[m] = _mm_set_pd (o.a2, e.a2);
        x1[m] = _mm_set_pd (o.x1, e.x1);
        x2[m] = _mm_set_pd (o.x2, e.x2);
        y1[m] = _mm_set_pd (o.y1, e.y1);
        y2[m] = _mm_set_pd (o.y2, e.y2);
        // Section k has written sample K - 2 - k so far; the last section's output
        // feeds nothing.
        const int odd = K - 3 - 2 * m;
        out[m] = _mm_set_pd (odd >= 0 ? (double) x[odd] : 0.0, (double) x[K - 2 - 2 * m]);
    }

    for (int t = K - 1; t < count; ++t)
    {
        __m128d in[Pairs];
        in[0] = _mm_unpacklo_pd (_mm_set_sd ((double) x[t]), out[0]);
        for (int m = 1; m < Pairs; ++m)
            in[m] = _mm_shuffle_pd (out[m - 1], out[m], 1);

        for (int m = 0; m < Pairs; ++m)
        {
            __m128d y = _mm_mul_pd (b0[m], in[m]);
            y = _mm_add_pd (y, _mm_mul_pd (b1[m], x1[m]));
            y = _mm_add_pd (y, _mm_mul_pd (b2[m], x2[m]));
            y = _mm_sub_pd (y, _mm_mul_pd (a1[m], y1[m]));
            y = _mm_sub_pd (y, _mm_mul_pd (a2[m], y2[m]));
            x2[m] = x1[m];
            x1[m] = in[m];
            y2[m] = y1[m];
            y1[m] = y;
            const __m128 narrowed = _mm_cvtpd_ps (y);
            out[m] = _mm_cvtps_pd (narrowed);
            if (m == Pairs - 1)
                x[t - (K - 1)] = _mm_cvtss_f32 (_mm_shuffle_ps (narrowed, narrowed, 1));
        }
    }

    for (int m = 0; m < Pairs; ++m)
    {
        BiQuad& e = *s[2 * m];
        BiQuad& o = *s[2 * m + 1];
        e.x1 = low (x1[m]), o.x1 = high (x1[m]);
        e.x2 = low (x2[m]), o.x2 = high (x2[m]);
        e.y1 = low (y1[m]), o.y1 = high (y1[m]);
        e.y2 = low (y2[m]), o.y2 = high (y2[m]);
        // Section k's last output is sample count - 1 - k, which the next section
        // still has to read from the block.
        x[count - 1 - 2 * m] = (float) low (out[m]);
        if (2 * m + 1 < K - 1)
            x[count - 2 - 2 * m] = (float) high (out[m]);
    }

    // The last steps: section k ends at step count - 1 + k.
    for (int t = count; t < count + K - 1; ++t)
        for (int k = t - count + 1; k < K; ++k)
            x[t - k] = (float) (*s[k]) ((double) x[t - k]);
}

#if defined(__GNUC__) && defined(__x86_64__)
#define TORAVEL_HAVE_AVX_WAVEFRONT 1

__attribute__ ((target ("avx"))) inline double lane (__m256d v, int i)
{
    alignas (32) double d[4];
    _mm256_store_pd (d, v);
    return d[i];
}

// The same wavefront four sections to a register, for processors with AVX. Lane i of
// register q holds section 4q + i; each section's input is the previous step's output
// of the section before it, one lane down.
template <int Quads>
__attribute__ ((target ("avx"))) void processWavefrontAvx (BiQuad* const* s, float* x, int count)
{
    constexpr int K = 4 * Quads;

    for (int t = 0; t < K - 1; ++t)
        for (int k = 0; k <= t; ++k)
            x[t - k] = (float) (*s[k]) ((double) x[t - k]);

    __m256d b0[Quads], b1[Quads], b2[Quads], a1[Quads], a2[Quads];
    __m256d x1[Quads], x2[Quads], y1[Quads], y2[Quads];
    __m256d out[Quads];
    for (int q = 0; q < Quads; ++q)
    {
        BiQuad* const* g = s + 4 * q;
        b0[q] = _mm256_set_pd (g[3]->b0, g[2]->b0, g[1]->b0, g[0]->b0);
        b1[q] = _mm256_set_pd (g[3]->b1, g[2]->b1, g[1]->b1, g[0]->b1);
        b2[q] = _mm256_set_pd (g[3]->b2, g[2]->b2, g[1]->b2, g[0]->b2);
        a1[q] = _mm256_set_pd (g[3]->a1, g[2]->a1, g[1]->a1, g[0]->a1);
        a2[q] = _mm256_set_pd (g[3]->a2, g[2]->a2, g[1]->a2, g[0]->a2);
        x1[q] = _mm256_set_pd (g[3]->x1, g[2]->x1, g[1]->x1, g[0]->x1);
        x2[q] = _mm256_set_pd (g[3]->x2, g[2]->x2, g[1]->x2, g[0]->x2);
        y1[q] = _mm256_set_pd (g[3]->y1, g[2]->y1, g[1]->y1, g[0]->y1);
        y2[q] = _mm256_set_pd (g[3]->y2, g[2]->y2, g[1]->y2, g[0]->y2);
        double latest[4];
        for (int i = 0; i < 4; ++i)
        {
            const int sample = K - 2 - (4 * q + i);
            latest[i] = sample >= 0 ? (double) x[sample] : 0.0;
        }
        out[q] = _mm256_set_pd (latest[3], latest[2], latest[1], latest[0]);
    }

    for (int t = K - 1; t < count; ++t)
    {
        __m256d in[Quads];
        for (int q = 0; q < Quads; ++q)
        {
            const __m256d before = q == 0 ? _mm256_set1_pd ((double) x[t]) : out[q - 1];
            const __m256d straddle = _mm256_permute2f128_pd (before, out[q], 0x21);
            in[q] = _mm256_shuffle_pd (straddle, out[q], 5);
        }

        for (int q = 0; q < Quads; ++q)
        {
            __m256d y = _mm256_mul_pd (b0[q], in[q]);
            y = _mm256_add_pd (y, _mm256_mul_pd (b1[q], x1[q]));
            y = _mm256_add_pd (y, _mm256_mul_pd (b2[q], x2[q]));
            y = _mm256_sub_pd (y, _mm256_mul_pd (a1[q], y1[q]));
            y = _mm256_sub_pd (y, _mm256_mul_pd (a2[q], y2[q]));
            x2[q] = x1[q];
            x1[q] = in[q];
            y2[q] = y1[q];
            y1[q] = y;
            const __m128 narrowed = _mm256_cvtpd_ps (y);
            out[q] = _mm256_cvtps_pd (narrowed);
            if (q == Quads - 1)
                x[t - (K - 1)] = _mm_cvtss_f32 (_mm_shuffle_ps (narrowed, narrowed, 3));
        }
    }

    for (int q = 0; q < Quads; ++q)
        for (int i = 0; i < 4; ++i)
        {
            BiQuad& g = *s[4 * q + i];
            g.x1 = lane (x1[q], i);
            g.x2 = lane (x2[q], i);
            g.y1 = lane (y1[q], i);
            g.y2 = lane (y2[q], i);
            if (4 * q + i < K - 1)
                x[count - 1 - (4 * q + i)] = (float) lane (out[q], i);
        }

    for (int t = count; t < count + K - 1; ++t)
        for (int k = t - count + 1; k < K; ++k)
            x[t - k] = (float) (*s[k]) ((double) x[t - k]);
}

// Two channels through chains of 2 * Pairs sections each, as one wavefront: register
// m holds sections 2m and 2m + 1 of both channels (left, right, left, right), so the
// step from one section to the next is a move by half a register.
template <int Pairs>
__attribute__ ((target ("avx"))) void processStereoAvx (BiQuad* const* ls, BiQuad* const* rs, float* l, float* r,
                                                        int count)
{
    constexpr int K = 2 * Pairs;

    __m256d b0[Pairs], b1[Pairs], b2[Pairs], a1[Pairs], a2[Pairs];
    __m256d x1[Pairs], x2[Pairs], y1[Pairs], y2[Pairs];
    __m256d out[Pairs];
    for (int m = 0; m < Pairs; ++m)
    {
        const BiQuad* g[4] = { ls[2 * m], rs[2 * m], ls[2 * m + 1], rs[2 * m + 1] };
        b0[m] = _mm256_set_pd (g[3]->b0, g[2]->b0, g[1]->b0, g[0]->b0);
        b1[m] = _mm256_set_pd (g[3]->b1, g[2]->b1, g[1]->b1, g[0]->b1);
        b2[m] = _mm256_set_pd (g[3]->b2, g[2]->b2, g[1]->b2, g[0]->b2);
        a1[m] = _mm256_set_pd (g[3]->a1, g[2]->a1, g[1]->a1, g[0]->a1);
        a2[m] = _mm256_set_pd (g[3]->a2, g[2]->a2, g[1]->a2, g[0]->a2);
        x1[m] = _mm256_set_pd (g[3]->x1, g[2]->x1, g[1]->x1, g[0]->x1);
        x2[m] = _mm256_set_pd (g[3]->x2, g[2]->x2, g[1]->x2, g[0]->x2);
        y1[m] = _mm256_set_pd (g[3]->y1, g[2]->y1, g[1]->y1, g[0]->y1);
        y2[m] = _mm256_set_pd (g[3]->y2, g[2]->y2, g[1]->y2, g[0]->y2);
        out[m] = _mm256_setzero_pd();
    }

    // Step t: section k works on sample t - k. In the first and last K - 1 steps some
    // sections have no sample; they compute on whatever their input holds and then
    // keep their state, so the steps need no scalar prologue or epilogue.
    const int steadyStart = std::min (K - 1, count);
    const int steadyEnd = std::max (steadyStart, count);
    // Three runs of steps, so that the steady middle carries no test for sections
    // without a sample.
    for (int part = 0; part < 3; ++part)
    {
        const bool edge = part != 1;
        const int begin = part == 0 ? 0 : part == 1 ? steadyStart : steadyEnd;
        const int end = part == 0 ? steadyStart : part == 1 ? steadyEnd : count + K - 1;
        for (int t = begin; t < end; ++t)
        {
            __m256d in[Pairs];
            const double left = t < count ? (double) l[t] : 0.0;
            const double right = t < count ? (double) r[t] : 0.0;
            in[0] = _mm256_insertf128_pd (_mm256_castpd128_pd256 (_mm_set_pd (right, left)),
                                          _mm256_castpd256_pd128 (out[0]), 1);
            // Unrolled, so that the registers of each pair stay registers rather than
            // slots of arrays indexed at run time.
#pragma GCC unroll 16
            for (int m = 1; m < Pairs; ++m)
                in[m] = _mm256_permute2f128_pd (out[m - 1], out[m], 0x21);

#pragma GCC unroll 16
            for (int m = 0; m < Pairs; ++m)
            {
                const int even = t - 2 * m, odd = t - 2 * m - 1;
                const bool evenActive = even >= 0 && even < count;
                const bool oddActive = odd >= 0 && odd < count;
                // A register whose sections both wait or both have finished has nothing
                // to do, and what it would leave behind is read by no working section.
                if (edge && !evenActive && !oddActive)
                    continue;
                __m256d y = _mm256_mul_pd (b0[m], in[m]);
                y = _mm256_add_pd (y, _mm256_mul_pd (b1[m], x1[m]));
                y = _mm256_add_pd (y, _mm256_mul_pd (b2[m], x2[m]));
                y = _mm256_sub_pd (y, _mm256_mul_pd (a1[m], y1[m]));
                y = _mm256_sub_pd (y, _mm256_mul_pd (a2[m], y2[m]));
                const __m128 narrowed = _mm256_cvtpd_ps (y);
                out[m] = _mm256_cvtps_pd (narrowed);
                if (edge)
                {
                    const int64_t e = evenActive ? -1 : 0;
                    const int64_t o = oddActive ? -1 : 0;
                    const __m256d active = _mm256_castsi256_pd (_mm256_set_epi64x (o, o, e, e));
                    x2[m] = _mm256_blendv_pd (x2[m], x1[m], active);
                    x1[m] = _mm256_blendv_pd (x1[m], in[m], active);
                    y2[m] = _mm256_blendv_pd (y2[m], y1[m], active);
                    y1[m] = _mm256_blendv_pd (y1[m], y, active);
                }
                else
                {
                    x2[m] = x1[m];
                    x1[m] = in[m];
                    y2[m] = y1[m];
                    y1[m] = y;
                }
                const int last = t - (K - 1);
                if (m == Pairs - 1 && last >= 0 && last < count)
                {
                    alignas (16) float finished[4];
                    _mm_store_ps (finished, narrowed);
                    l[last] = finished[2];
                    r[last] = finished[3];
                }
            }
        }
    }

    for (int m = 0; m < Pairs; ++m)
        for (int i = 0; i < 4; ++i)
        {
            const int k = 2 * m + i / 2;
            BiQuad& g = i % 2 == 0 ? *ls[k] : *rs[k];
            g.x1 = lane (x1[m], i);
            g.x2 = lane (x2[m], i);
            g.y1 = lane (y1[m], i);
            g.y2 = lane (y2[m], i);
        }
}

bool hasAvx()
{
    static const bool available = __builtin_cpu_supports ("avx");
    return available;
}
#endif
} // namespace
#endif

namespace
{
bool allEnabled (BiQuad* const* s, int n)
{
    for (int i = 0; i < n; ++i)
        if (!s[i]->enabled)
            return false;
    return true;
}

// The sections in order over the block, as each one's processBuffer in turn would.
void processSections (BiQuad* const* s, int numSections, float* samples, int count, [[maybe_unused]] BiQuadSimd simd)
{
    int done = 0;
#if defined(__SSE2__)
    if (allEnabled (s, numSections))
    {
#if defined(TORAVEL_HAVE_AVX_WAVEFRONT)
        // Eight sections fill two registers of four; four alone in one register
        // wait on their own recurrence, and run faster as two pairs.
        if (simd == BiQuadSimd::widest && hasAvx())
            for (; numSections - done >= 8 && count >= 8; done += 8)
                processWavefrontAvx<2> (s + done, samples, count);
#endif
        // Groups of up to eight sections, each a wavefront over the whole block.
        while (numSections - done >= 2)
        {
            const int group = std::min (8, (numSections - done) & ~1);
            if (count < group)
                break;
            switch (group)
            {
                case 8:
                    processWavefront<4> (s + done, samples, count);
                    break;
                case 6:
                    processWavefront<3> (s + done, samples, count);
                    break;
                case 4:
                    processWavefront<2> (s + done, samples, count);
                    break;
                default:
                    processWavefront<1> (s + done, samples, count);
                    break;
            }
            done += group;
        }
    }
#endif
    for (int i = done; i < numSections; ++i)
        s[i]->processBuffer (samples, count);
}
} // namespace

void BiQuadNX::processBuffer (float* samples, int count, BiQuadSimd simd)
{
    // Pointers to the sections, a bounded number at a time, so that nothing allocates.
    constexpr int chunk = 16;
    BiQuad* list[chunk];
    for (int first = 0; first < numStages; first += chunk)
    {
        const int n = std::min (chunk, numStages - first);
        for (int i = 0; i < n; ++i)
            list[i] = stages + first + i;
        processSections (list, n, samples, count, simd);
    }
}

void processStereoChains (BiQuad* const* left, BiQuad* const* right, int numSections, float* leftSamples,
                          float* rightSamples, int count, BiQuadSimd simd)
{
#if defined(TORAVEL_HAVE_AVX_WAVEFRONT)
    if (simd == BiQuadSimd::widest && numSections >= 1 && numSections <= 12 && count >= 1 && hasAvx() &&
        allEnabled (left, numSections) && allEnabled (right, numSections))
    {
        int first = 0;
        if (numSections % 2 != 0)
        {
            // An odd first section runs alone; the two channels still overlap.
            for (int i = 0; i < count; ++i)
            {
                leftSamples[i] = (float) (*left[0]) ((double) leftSamples[i]);
                rightSamples[i] = (float) (*right[0]) ((double) rightSamples[i]);
            }
            first = 1;
        }
        BiQuad* const* l = left + first;
        BiQuad* const* r = right + first;
        switch ((numSections - first) / 2)
        {
            case 6:
                processStereoAvx<6> (l, r, leftSamples, rightSamples, count);
                break;
            case 5:
                processStereoAvx<5> (l, r, leftSamples, rightSamples, count);
                break;
            case 4:
                processStereoAvx<4> (l, r, leftSamples, rightSamples, count);
                break;
            case 3:
                processStereoAvx<3> (l, r, leftSamples, rightSamples, count);
                break;
            case 2:
                processStereoAvx<2> (l, r, leftSamples, rightSamples, count);
                break;
            case 1:
                processStereoAvx<1> (l, r, leftSamples, rightSamples, count);
                break;
            default:
                break;
        }
        return;
    }
#endif
    processSections (left, numSections, leftSamples, count, simd);
    processSections (right, numSections, rightSamples, count, simd);
}

} // namespace al
