#include "media/YCbCrToXrgb.h"

#include <algorithm>
#include <cstring>

// SSE2 is always there on x86-64; AVX2 is asked of the processor at run time.
#if defined(__SSE2__)
#include <immintrin.h>
#define TAVRELO_X86_SIMD 1
#endif

namespace media {

namespace {

const std::uint8_t* row(const Plane& p, int r) {
    return p.data + static_cast<std::ptrdiff_t>(r) * p.stride;
}

void convertRowScalar(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      int xShift, std::uint32_t* out, int from, int to) {
    for (int x = from; x < to; ++x) out[x] = ycbcrToXrgb(y[x], cb[x >> xShift], cr[x >> xShift]);
}

#if TAVRELO_X86_SIMD
// Sixteen pixels sharing eight chroma pairs. 16-bit saturating arithmetic gives the exact result:
// only the blue sum can leave the 16-bit range, and only upwards, where it clamps to 255 anyway.
void convertRowHalfChromaSse2(const std::uint8_t* y, const std::uint8_t* cb,
                              const std::uint8_t* cr, std::uint32_t* out, int width) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i c16 = _mm_set1_epi16(16);
    const __m128i c128 = _mm_set1_epi16(128);
    const __m128i k74 = _mm_set1_epi16(74);
    const __m128i k129 = _mm_set1_epi16(129);
    const __m128i k25 = _mm_set1_epi16(25);
    const __m128i k52 = _mm_set1_epi16(52);
    const __m128i k102 = _mm_set1_epi16(102);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i luma8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        const __m128i cb8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x / 2));
        const __m128i cr8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x / 2));
        // Each chroma sample serves two neighbouring pixels.
        const __m128i cbWide = _mm_unpacklo_epi8(cb8, cb8);
        const __m128i crWide = _mm_unpacklo_epi8(cr8, cr8);
        __m128i result[2][3];
        for (int half = 0; half < 2; ++half) {
            const __m128i l = half == 0 ? _mm_unpacklo_epi8(luma8, zero) : _mm_unpackhi_epi8(luma8, zero);
            const __m128i u = _mm_sub_epi16(
                half == 0 ? _mm_unpacklo_epi8(cbWide, zero) : _mm_unpackhi_epi8(cbWide, zero), c128);
            const __m128i v = _mm_sub_epi16(
                half == 0 ? _mm_unpacklo_epi8(crWide, zero) : _mm_unpackhi_epi8(crWide, zero), c128);
            const __m128i lum = _mm_mullo_epi16(_mm_sub_epi16(l, c16), k74);
            const __m128i b = _mm_srai_epi16(_mm_adds_epi16(lum, _mm_mullo_epi16(u, k129)), 6);
            const __m128i g = _mm_srai_epi16(
                _mm_subs_epi16(_mm_subs_epi16(lum, _mm_mullo_epi16(u, k25)), _mm_mullo_epi16(v, k52)), 6);
            const __m128i r = _mm_srai_epi16(_mm_adds_epi16(lum, _mm_mullo_epi16(v, k102)), 6);
            result[half][0] = b;
            result[half][1] = g;
            result[half][2] = r;
        }
        const __m128i b8 = _mm_packus_epi16(result[0][0], result[1][0]);
        const __m128i g8 = _mm_packus_epi16(result[0][1], result[1][1]);
        const __m128i r8 = _mm_packus_epi16(result[0][2], result[1][2]);
        const __m128i bgLo = _mm_unpacklo_epi8(b8, g8);
        const __m128i bgHi = _mm_unpackhi_epi8(b8, g8);
        const __m128i r0Lo = _mm_unpacklo_epi8(r8, zero);
        const __m128i r0Hi = _mm_unpackhi_epi8(r8, zero);
        auto* o = reinterpret_cast<__m128i*>(out + x);
        _mm_storeu_si128(o + 0, _mm_unpacklo_epi16(bgLo, r0Lo));
        _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(bgLo, r0Lo));
        _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(bgHi, r0Hi));
        _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(bgHi, r0Hi));
    }
    convertRowScalar(y, cb, cr, 1, out, x, width);
}

// The same arithmetic as the SSE2 row, sixteen pixels per 256-bit step, for one luma row or for
// two rows sharing a chroma row (4:2:0), whose chroma products are then worked out once. The green
// terms are summed before subtracting: within the sample ranges no partial sum leaves 16 bits, so
// the result is that of the two saturating subtractions.
__attribute__((target("avx2"))) void convertRowsHalfChromaAvx2(const std::uint8_t* const y[2],
                                                               const std::uint8_t* cb,
                                                               const std::uint8_t* cr,
                                                               std::uint32_t* const out[2],
                                                               int rows, int width) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c16 = _mm256_set1_epi16(16);
    const __m256i c128 = _mm256_set1_epi16(128);
    const __m256i k74 = _mm256_set1_epi16(74);
    const __m256i k129 = _mm256_set1_epi16(129);
    const __m256i k25 = _mm256_set1_epi16(25);
    const __m256i k52 = _mm256_set1_epi16(52);
    const __m256i k102 = _mm256_set1_epi16(102);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i cb8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x / 2));
        const __m128i cr8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x / 2));
        const __m256i u = _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(cb8, cb8)), c128);
        const __m256i v = _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(cr8, cr8)), c128);
        const __m256i blueTerm = _mm256_mullo_epi16(u, k129);
        const __m256i greenTerm = _mm256_add_epi16(_mm256_mullo_epi16(u, k25), _mm256_mullo_epi16(v, k52));
        const __m256i redTerm = _mm256_mullo_epi16(v, k102);
        for (int row = 0; row < rows; ++row) {
            const __m256i l = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y[row] + x)));
            const __m256i lum = _mm256_mullo_epi16(_mm256_sub_epi16(l, c16), k74);
            const __m256i b = _mm256_srai_epi16(_mm256_adds_epi16(lum, blueTerm), 6);
            const __m256i g = _mm256_srai_epi16(_mm256_subs_epi16(lum, greenTerm), 6);
            const __m256i r = _mm256_srai_epi16(_mm256_adds_epi16(lum, redTerm), 6);
            // Packing works per 128-bit lane: pixels 0..7 sit in the lower lane, 8..15 in the upper.
            const __m256i b8 = _mm256_packus_epi16(b, zero);
            const __m256i g8 = _mm256_packus_epi16(g, zero);
            const __m256i r8 = _mm256_packus_epi16(r, zero);
            const __m256i bg = _mm256_unpacklo_epi8(b8, g8);
            const __m256i rz = _mm256_unpacklo_epi8(r8, zero);
            const __m256i first = _mm256_unpacklo_epi16(bg, rz);  // pixels 0..3 | 8..11
            const __m256i second = _mm256_unpackhi_epi16(bg, rz); // pixels 4..7 | 12..15
            auto* o = reinterpret_cast<__m256i*>(out[row] + x);
            _mm256_storeu_si256(o, _mm256_permute2x128_si256(first, second, 0x20));
            _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(first, second, 0x31));
        }
    }
    for (int row = 0; row < rows; ++row)
        convertRowHalfChromaSse2(y[row] + x, cb + x / 2, cr + x / 2, out[row] + x, width - x);
}
#endif

struct Layout {
    int xShift = 0;
    int yShift = 0;
    bool valid = false;
};

// Subsampling from the plane sizes; the area asked for must lie inside every plane.
Layout layoutOf(const Plane& y, const Plane& cb, const Plane& cr, int width, int height) {
    Layout l;
    if (!y.data || !cb.data || !cr.data || width <= 0 || height <= 0) return l;
    if (width > y.width || height > y.height) return l;
    l.xShift = cb.width < y.width ? 1 : 0;
    l.yShift = cb.height < y.height ? 1 : 0;
    const int chromaWidth = ((width - 1) >> l.xShift) + 1;
    const int chromaHeight = ((height - 1) >> l.yShift) + 1;
    l.valid = chromaWidth <= cb.width && chromaWidth <= cr.width && chromaHeight <= cb.height &&
              chromaHeight <= cr.height;
    return l;
}

} // namespace

void convertYCbCrToXrgbReference(const Plane& y, const Plane& cb, const Plane& cr,
                                 std::uint8_t* dest, int pitch, int width, int height) {
    const Layout l = layoutOf(y, cb, cr, width, height);
    if (!l.valid) return;
    for (int r = 0; r < height; ++r) {
        auto* out = reinterpret_cast<std::uint32_t*>(dest + static_cast<std::ptrdiff_t>(r) * pitch);
        const std::uint8_t* yr = row(y, r);
        const std::uint8_t* cbr = row(cb, r >> l.yShift);
        const std::uint8_t* crr = row(cr, r >> l.yShift);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t texel = ycbcrToXrgb(yr[x], cbr[x >> l.xShift], crr[x >> l.xShift]);
            std::memcpy(out + x, &texel, 4);
        }
    }
}

std::vector<ConversionPath> availableConversionPaths() {
    std::vector<ConversionPath> paths{ConversionPath::Portable};
#if TAVRELO_X86_SIMD
    paths.push_back(ConversionPath::Sse2);
    if (__builtin_cpu_supports("avx2")) paths.push_back(ConversionPath::Avx2);
#endif
    return paths;
}

void convertYCbCrToXrgb(const Plane& y, const Plane& cb, const Plane& cr, std::uint8_t* dest,
                        int pitch, int width, int height) {
    static const ConversionPath fastest = availableConversionPaths().back();
    convertYCbCrToXrgb(y, cb, cr, dest, pitch, width, height, fastest);
}

void convertYCbCrToXrgb(const Plane& y, const Plane& cb, const Plane& cr, std::uint8_t* dest,
                        int pitch, int width, int height, ConversionPath path) {
    const Layout l = layoutOf(y, cb, cr, width, height);
    if (!l.valid) return;
    auto outRow = [&](int r) {
        return reinterpret_cast<std::uint32_t*>(dest + static_cast<std::ptrdiff_t>(r) * pitch);
    };
#if TAVRELO_X86_SIMD
    if (l.xShift == 1 && path == ConversionPath::Avx2) {
        // Rows that share a chroma row go through together.
        const int step = l.yShift == 1 ? 2 : 1;
        for (int r = 0; r < height; r += step) {
            const int rows = std::min(step, height - r);
            const std::uint8_t* const luma[2] = {row(y, r), row(y, r + rows - 1)};
            std::uint32_t* const out[2] = {outRow(r), outRow(r + rows - 1)};
            convertRowsHalfChromaAvx2(luma, row(cb, r >> l.yShift), row(cr, r >> l.yShift), out, rows, width);
        }
        return;
    }
#endif
    for (int r = 0; r < height; ++r) {
        std::uint32_t* out = outRow(r);
        const std::uint8_t* yr = row(y, r);
        const std::uint8_t* cbr = row(cb, r >> l.yShift);
        const std::uint8_t* crr = row(cr, r >> l.yShift);
#if TAVRELO_X86_SIMD
        if (l.xShift == 1 && path == ConversionPath::Sse2) {
            convertRowHalfChromaSse2(yr, cbr, crr, out, width);
            continue;
        }
#endif
        convertRowScalar(yr, cbr, crr, l.xShift, out, 0, width);
    }
}

} // namespace media
