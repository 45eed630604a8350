// Schoolbook products of digit-value arrays on the vector units, shared by the calculators that
// multiply digit by digit. Header-only, so that each calculator stays one stand-alone program; it
// never allocates: the caller owns every buffer and its failure path.
//
// Every digit of one factor is multiplied by every digit of the other, as on paper, but the
// products are summed by output column and the carries are settled once per column, from the
// units up, instead of once per row. A column total and the carry are 64-bit: the carry into a
// column stays below 9 times the shorter length, so no length that memory can hold overflows them.
//
// The loops are plain C++ that the compiler vectorises. On x86-64 they are compiled once per
// vector unit (baseline SSE2, AVX2, AVX-512BW) and multiply picks the widest this processor runs;
// defining CALC_PORTABLE_KERNEL (or building elsewhere) leaves the baseline alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(CALC_PORTABLE_KERNEL)
#define DIGIT_PRODUCT_X86_VARIANTS 1
#endif

namespace digit_product {

// The compiled forms of the kernel; every one gives the same product.
enum class Variant { portable, avx2, avx512 };

// Bytes of scratch that multiply needs beside its operands: a copy of the shorter factor.
inline std::size_t scratch_bytes(std::size_t la, std::size_t lb) {
    return (la < lb ? la : lb) + 1;
}

namespace detail {

// A 16-bit sum of up to this many digit products cannot wrap: 81 * 808 < 65536.
constexpr std::size_t pairs_per_sum = 808;
// A factor this short is multiplied row by row into column sums (no scratch is used); a longer one
// column by column as dot products. Each path is the faster one on its side (bench/run.py).
constexpr std::size_t short_factor = 48;
// Columns summed together by the row path before their carries are settled.
constexpr std::size_t row_block = 512;

// Writes the digit of column total t plus the carry so far, and keeps the rest as the carry.
inline void settle(uint64_t t, uint64_t *carry, uint8_t *digit) {
    t += *carry;
    *carry = t / 10;
    *digit = static_cast<uint8_t>(t - 10 * *carry);
}

// ---- Row path: the short factor s (ls <= pairs_per_sum digits) times the long factor a ----

// Columns [k0, k0 + count) of a * s, row by row into 16-bit column sums, then settled.
[[gnu::always_inline]] inline void row_block_columns(const uint8_t *a, std::size_t la,
                                                     const uint8_t *s, std::size_t ls,
                                                     std::size_t k0, std::size_t count,
                                                     uint64_t *carry, uint8_t *product) {
    uint16_t sums[row_block] = {};
    for (std::size_t j = 0; j < ls; ++j) {
        // Row j adds s[j] * a[k - j] into column k, for the k of this block with 0 <= k - j < la.
        std::size_t first = j > k0 ? j - k0 : 0;
        std::size_t end = k0 < la + j ? la + j - k0 : 0;
        if (end > count) end = count;
        if (first >= end) continue;
        const uint8_t *row = a + (k0 + first - j);
        uint16_t *into = sums + first;
        const uint16_t digit = s[j];
        for (std::size_t c = 0; c < end - first; ++c)
            into[c] += static_cast<uint16_t>(digit * row[c]);
    }
    for (std::size_t c = 0; c < count; ++c) settle(sums[c], carry, product + k0 + c);
}

[[gnu::always_inline]] inline void multiply_by_rows(const uint8_t *a, std::size_t la,
                                                    const uint8_t *s, std::size_t ls,
                                                    uint8_t *product) {
    const std::size_t n = la + ls;
    uint64_t carry = 0;
    for (std::size_t k0 = 0; k0 < n; k0 += row_block) {
        std::size_t count = n - k0 < row_block ? n - k0 : row_block;
        row_block_columns(a, la, s, ls, k0, count, &carry, product);
    }
}

// ---- Column path: a column is a dot product of a with the other factor reversed ----
//
// The reversed factor s is laid out in 16-bit lanes of two digits, (s[2m], s[2m + 1]), with the
// lanes in reverse order: lane m sits at bytes 2 * (lanes - 1 - m) and 2 * (lanes - 1 - m) + 1.
// Reading a pair (a[i], a[i + 1]) and a lane (s[2m], s[2m + 1]) as 16-bit numbers x and y, the high
// byte of the 16-bit product x * y is a[i] * s[2m + 1] + a[i + 1] * s[2m]: two digit products that
// belong to the same column when i + 2m + 1 is that column, summed by one multiplication. The low
// byte, a[i] * s[2m] <= 81, never carries into it, and the sum <= 162 fits the byte.

// Lanes of the laid-out factor of length ls (an odd one ends in a lane with a zero on top).
inline std::size_t lanes(std::size_t ls) {
    return (ls + 1) / 2;
}

// Byte of the layout that holds s[j].
inline std::size_t layout_index(std::size_t j, std::size_t ls) {
    return 2 * (lanes(ls) - 1 - j / 2) + j % 2;
}

inline void lay_out(const uint8_t *s, std::size_t ls, uint8_t *layout) {
    layout[0] = 0; // the zero on top of an odd length's last lane; overwritten when ls is even
    for (std::size_t j = 0; j < ls; ++j) layout[layout_index(j, ls)] = s[j];
}

// The sum of a[i] * s[k - i] over i in [i0, i1), all of whose pairs are in column k; k - i0 must
// be odd and i1 - i0 even, so that the pairs fall on whole lanes of the layout.
[[gnu::always_inline]] inline uint64_t lane_sum(const uint8_t *a, const uint8_t *layout,
                                                std::size_t ls, std::size_t k, std::size_t i0,
                                                std::size_t i1) {
    uint64_t total = 0;
    // a[i0] meets s[k - i0], the top digit of lane (k - i0 - 1) / 2; the lanes then go down in
    // s and up in the layout, as i goes up.
    const uint8_t *y = layout + layout_index(k - i0, ls) - 1;
    const uint8_t *x = a + i0;
    for (std::size_t pairs = i1 - i0; pairs > 0;) {
        std::size_t chunk = pairs < pairs_per_sum ? pairs : pairs_per_sum;
        uint16_t sum = 0;
        for (std::size_t l = 0; l < chunk / 2; ++l) {
            uint16_t xl, yl;
            std::memcpy(&xl, x + 2 * l, 2);
            std::memcpy(&yl, y + 2 * l, 2);
            sum += static_cast<uint16_t>(static_cast<uint16_t>(xl * yl) >> 8);
        }
        total += sum;
        x += chunk;
        y += chunk;
        pairs -= chunk;
    }
    return total;
}

// Column k of a * s: the sum of a[i] * s[k - i] over the i with both digits in their factor.
[[gnu::always_inline]] inline uint64_t
column(const uint8_t *a, std::size_t la, const uint8_t *layout, std::size_t ls, std::size_t k) {
    std::size_t i0 = k >= ls ? k - ls + 1 : 0;
    std::size_t i1 = k < la ? k + 1 : la;
    if (i0 >= i1) return 0;
    uint64_t total = 0;
    if ((k - i0) % 2 == 0) { // a[i0] meets the low digit of a lane: take it alone
        total += a[i0] * layout[layout_index(k - i0, ls)];
        ++i0;
    }
    if ((i1 - i0) % 2 == 1) { // the last pair is left without a partner pair
        --i1;
        total += a[i1] * layout[layout_index(k - i1, ls)];
    }
    return total + lane_sum(a, layout, ls, k, i0, i1);
}

[[gnu::always_inline]] inline void multiply_by_columns(const uint8_t *a, std::size_t la,
                                                       const uint8_t *s, std::size_t ls,
                                                       uint8_t *layout, uint8_t *product) {
    lay_out(s, ls, layout);
    uint64_t carry = 0;
    for (std::size_t k = 0; k < la + ls; ++k)
        settle(column(a, la, layout, ls, k), &carry, product + k);
}

// a * s where s is the shorter factor (1 <= ls <= la).
[[gnu::always_inline]] inline void multiply_sorted(const uint8_t *a, std::size_t la,
                                                   const uint8_t *s, std::size_t ls,
                                                   uint8_t *scratch, uint8_t *product) {
    if (ls <= short_factor)
        multiply_by_rows(a, la, s, ls, product);
    else
        multiply_by_columns(a, la, s, ls, scratch, product);
}

// One function per variant, each the same loops compiled for its vector unit.
inline void multiply_portable(const uint8_t *a, std::size_t la, const uint8_t *s, std::size_t ls,
                              uint8_t *scratch, uint8_t *product) {
    multiply_sorted(a, la, s, ls, scratch, product);
}

#ifdef DIGIT_PRODUCT_X86_VARIANTS
[[gnu::target("avx2")]] inline void multiply_avx2(const uint8_t *a, std::size_t la,
                                                  const uint8_t *s, std::size_t ls,
                                                  uint8_t *scratch, uint8_t *product) {
    multiply_sorted(a, la, s, ls, scratch, product);
}

[[gnu::target("avx512bw")]] inline void multiply_avx512(const uint8_t *a, std::size_t la,
                                                        const uint8_t *s, std::size_t ls,
                                                        uint8_t *scratch, uint8_t *product) {
    multiply_sorted(a, la, s, ls, scratch, product);
}
#endif

} // namespace detail

// True when this build has the variant and this processor runs it.
inline bool runs_here(Variant variant) {
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (variant == Variant::avx2) return __builtin_cpu_supports("avx2");
    if (variant == Variant::avx512) return __builtin_cpu_supports("avx512bw");
#endif
    return variant == Variant::portable;
}

// The widest variant that runs here: the one multiply uses.
inline Variant chosen_variant() {
    if (runs_here(Variant::avx512)) return Variant::avx512;
    if (runs_here(Variant::avx2)) return Variant::avx2;
    return Variant::portable;
}

// product[0, la + lb) = a * b, every array digit values 0 to 9, units first; scratch holds
// scratch_bytes(la, lb) bytes of any content. The variant must run here.
inline void multiply_with(Variant variant, const uint8_t *a, std::size_t la, const uint8_t *b,
                          std::size_t lb, uint8_t *scratch, uint8_t *product) {
    if (la == 0 || lb == 0) {
        std::memset(product, 0, la + lb);
        return;
    }
    if (la < lb) {
        const uint8_t *t = a;
        a = b;
        b = t;
        std::size_t tl = la;
        la = lb;
        lb = tl;
    }
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (variant == Variant::avx512) return detail::multiply_avx512(a, la, b, lb, scratch, product);
    if (variant == Variant::avx2) return detail::multiply_avx2(a, la, b, lb, scratch, product);
#endif
    (void)variant;
    detail::multiply_portable(a, la, b, lb, scratch, product);
}

// multiply_with the chosen variant.
inline void multiply(const uint8_t *a, std::size_t la, const uint8_t *b, std::size_t lb,
                     uint8_t *scratch, uint8_t *product) {
    multiply_with(chosen_variant(), a, la, b, lb, scratch, product);
}

} // namespace digit_product
