// Schoolbook products of decimal digit arrays on the vector units, shared by the calculators that
// multiply digit by digit. Header-only, so that each calculator stays one stand-alone program; it
// never allocates: the caller owns every buffer and its failure path.
//
// Every digit of one factor is multiplied by every digit of the other, as on paper, but the
// products are summed by output column and the carries are settled once per column, from the
// units up, instead of once per row. A column total and the carry are 64-bit: the carry into a
// column stays below 9 times the shorter length, so no length that memory can hold overflows them.
//
// A digit is a byte zero + value, with zero chosen by the caller: 0 for digit values, '0' for
// digit characters. Reading characters as they are saves a calculator a converted copy of each
// factor, whose fresh pages cost a long times short product more than its multiplications.
//
// The loops are plain C++ that the compiler vectorises. On x86-64 they are compiled once per
// vector unit (baseline SSE2, AVX2, AVX-512BW) and multiply picks the widest this processor runs;
// defining CALC_PORTABLE_KERNEL (or building elsewhere) leaves the baseline alone.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(CALC_PORTABLE_KERNEL)
#define DIGIT_PRODUCT_X86_VARIANTS 1
#endif

namespace digit_product {

// The compiled forms of the kernel; every one gives the same product.
enum class Variant { portable, avx2, avx512 };

namespace detail {

// The two factors of a product, units first: a the longer, s the shorter (1 <= ls <= la).
struct Factors {
    const uint8_t *a;
    std::size_t la;
    const uint8_t *s;
    std::size_t ls;
    uint8_t zero; // the byte of digit 0, in the factors and in the product
};

// The largest product of two digits, from which every sum's bound below is derived.
constexpr unsigned max_digit_product = 9 * 9;

// A factor this short is multiplied row by row into column sums (no scratch is used); a longer one
// column by column as dot products. Each path is the faster one on its side.
constexpr std::size_t short_factor = 64;
// A row path column sum adds one digit product per digit of s, into 16 bits.
static_assert(short_factor * max_digit_product <= UINT16_MAX, "a row path column sum overflows");
// Columns summed together by the row path before their carries are settled.
constexpr std::size_t row_block = 512;

// True when each of the n bytes at p is a digit: zero + a value from 0 to 9. The largest value is
// taken without an early exit, a loop the compiler vectorises: batch_calc runs its checks in
// every build.
inline bool are_digits(const uint8_t *p, std::size_t n, uint8_t zero) {
    uint8_t largest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t value = static_cast<uint8_t>(p[i] - zero);
        largest = value > largest ? value : largest;
    }
    return largest <= 9;
}

// True when the n bytes at p and the m bytes at q have no byte in common.
inline bool disjoint(const uint8_t *p, std::size_t n, const uint8_t *q, std::size_t m) {
    const auto x = reinterpret_cast<std::uintptr_t>(p), y = reinterpret_cast<std::uintptr_t>(q);
    return n == 0 || m == 0 || x + n <= y || y + m <= x;
}

// Writes the digit of column total t plus the carry so far, and keeps the rest as the carry.
inline void settle(uint64_t t, uint64_t *carry, uint8_t zero, uint8_t *digit) {
    t += *carry;
    *carry = t / 10;
    *digit = static_cast<uint8_t>(zero + (t - 10 * *carry));
}

// ---- Row path: the short factor s (ls <= short_factor digits) times the long factor a ----

// Columns [k0, k0 + count) of a * s, row by row into 16-bit column sums, then settled.
[[gnu::always_inline]] inline void row_block_columns(const Factors &f, std::size_t k0,
                                                     std::size_t count, uint64_t *carry,
                                                     uint8_t *product) {
    assert(f.ls <= short_factor && count <= row_block && k0 + count <= f.la + f.ls);
    uint16_t sums[row_block] = {};
    for (std::size_t j = 0; j < f.ls; ++j) {
        // Row j adds s[j] * a[k - j] into column k, for the k of this block with 0 <= k - j < la.
        std::size_t first = j > k0 ? j - k0 : 0;
        std::size_t end = k0 < f.la + j ? f.la + j - k0 : 0;
        if (end > count) end = count;
        if (first >= end) continue;
        const uint8_t *row = f.a + (k0 + first - j);
        uint16_t *into = sums + first;
        const uint16_t digit = static_cast<uint8_t>(f.s[j] - f.zero);
        for (std::size_t c = 0; c < end - first; ++c)
            into[c] += static_cast<uint16_t>(digit * static_cast<uint8_t>(row[c] - f.zero));
    }
    for (std::size_t c = 0; c < count; ++c) settle(sums[c], carry, f.zero, product + k0 + c);
}

[[gnu::always_inline]] inline void multiply_by_rows(const Factors &f, uint8_t *product) {
    const std::size_t n = f.la + f.ls;
    uint64_t carry = 0;
    for (std::size_t k0 = 0; k0 < n; k0 += row_block) {
        std::size_t count = n - k0 < row_block ? n - k0 : row_block;
        row_block_columns(f, k0, count, &carry, product);
    }
}

// ---- Column path: a column is a dot product of a with the other factor reversed ----
//
// A pair is two adjacent digits of a factor, read as one 16-bit lane. The reversed factor s is laid
// out pair by pair, (s[2m], s[2m + 1]), with the pairs in reverse order: pair m sits at bytes
// 2 * (pairs - 1 - m) and 2 * (pairs - 1 - m) + 1. Reading a pair (a[i], a[i + 1]) and a pair
// (s[2m], s[2m + 1]) as 16-bit numbers x and y, the high byte of the 16-bit product x * y is
// a[i] * s[2m + 1] + a[i + 1] * s[2m]: two digit products that belong to the same column when
// i + 2m + 1 is that column, summed by one multiplication. The low byte, a[i] * s[2m], never
// carries into it, and their sum fits the byte.
//
// A column is summed in whole groups of 64 digit products (32 pairs of a against 32 pairs of s), a
// whole number of vectors on every unit, so that no column ends in a partial vector. The scratch
// holds the digit values of a and the layout of s with zeros around both, and a group that runs
// past the ends of the column reads only products with a zero factor: below its first pair either
// a[i] is before a's start or s[k - i] is past s's top, above its last pair either a[i] is past
// a's top or s[k - i] is below s's units.

// Digits in a pair.
constexpr std::size_t pair_digits = 2;
static_assert(max_digit_product < 256 && pair_digits * max_digit_product < 256,
              "a lane's low byte carries into its high byte, or the high byte overflows");
// Digit products in a group: it reads as many bytes of a and of the layout of s.
constexpr std::size_t group_products = 64;
// Pairs in a group, one 16-bit lane each.
constexpr std::size_t group_lanes = group_products / pair_digits;
// Groups whose sums a lane adds up before they go into the column total.
constexpr std::size_t groups_per_sum = 404;
// A lane adds the high byte of one product per group, at most pair_digits digit products.
static_assert(groups_per_sum * pair_digits * max_digit_product <= UINT16_MAX,
              "a lane sum overflows");

// Groups that read n digit products from a column's first pair; the last one reads past them.
constexpr std::size_t groups_over(std::size_t n) {
    return (n + group_products - 1) / group_products;
}

// Zero bytes before a's values: a column's pairs start at its first digit of a or, to meet the top
// digit of a pair of s, one digit early, and then at a[-1] when that first digit is a[0].
constexpr std::size_t zeros_before = 1;
static_assert(zeros_before >= pair_digits - 1, "a column's first pair starts before the zeros");
// Zero bytes after a's values: a column's groups_over(n) groups end groups_over(n) *
// group_products - n bytes past its last digit of a, the most when n = 1.
constexpr std::size_t zeros_after_a = 63;
static_assert(zeros_after_a >= groups_over(1) * group_products - 1,
              "a column's last group reads past the zeros after a");
// Zero bytes after the layout: a column's groups end no further past its last digit of s, and a
// whole number of pairs past the layout's end, as they read the layout from a pair's start.
constexpr std::size_t zeros_after_layout = 62;
static_assert(zeros_after_layout >=
                  (groups_over(1) * group_products - 1) / pair_digits * pair_digits,
              "a column's last group reads past the zeros after the layout");

// Pairs in the layout of a factor of length ls (an odd one ends in a pair with a zero on top).
inline std::size_t pairs(std::size_t ls) {
    return (ls + 1) / 2;
}

// The scratch of the column path: a's digit values and the layout of s, each with zeros around.
struct ColumnScratch {
    const uint8_t *a;      // a[-zeros_before, la + zeros_after_a), zero outside [0, la)
    const uint8_t *layout; // 2 * pairs(ls) bytes, then zeros_after_layout zero bytes
};

// Lays out the factors in scratch: the zeros before a, a, the zeros after it, the layout of s and
// the zeros after that.
inline ColumnScratch prepare(const Factors &f, uint8_t *scratch) {
    uint8_t *a = scratch + zeros_before;
    uint8_t *layout = a + f.la + zeros_after_a;
    const std::size_t layout_bytes = 2 * pairs(f.ls);
    std::memset(scratch, 0, zeros_before);
    for (std::size_t i = 0; i < f.la; ++i) a[i] = static_cast<uint8_t>(f.a[i] - f.zero);
    std::memset(a + f.la, 0, zeros_after_a);
    layout[1] = 0; // the zero on top of an odd length's last pair; overwritten when ls is even
    for (std::size_t j = 0; j < f.ls; ++j)
        layout[2 * (pairs(f.ls) - 1 - j / 2) + j % 2] = static_cast<uint8_t>(f.s[j] - f.zero);
    std::memset(layout + layout_bytes, 0, zeros_after_layout);
    return {a, layout};
}

// Lane l of a group: the sum of the two digit products of pair l at x and pair l at y.
[[gnu::always_inline]] inline uint16_t lane_product(const uint8_t *x, const uint8_t *y,
                                                    std::size_t l) {
    uint16_t xl, yl;
    std::memcpy(&xl, x + 2 * l, 2);
    std::memcpy(&yl, y + 2 * l, 2);
    return static_cast<uint16_t>(static_cast<uint16_t>(xl * yl) >> 8);
}

// The sum of the digit products of whole groups (1 <= groups <= groups_per_sum): the pairs at x
// against the pairs at y. The first group sets the lane sums rather than adding to zeros: a
// zero-filled array that the vector loop then reloads costs more than a group on some units.
[[gnu::always_inline]] inline uint64_t chunk_sum(const uint8_t *x, const uint8_t *y,
                                                 std::size_t groups) {
    assert(groups >= 1 && groups <= groups_per_sum);
    uint16_t sums[group_lanes];
    for (std::size_t l = 0; l < group_lanes; ++l) sums[l] = lane_product(x, y, l);
    for (std::size_t g = 1; g < groups; ++g) {
        const uint8_t *xg = x + g * group_products, *yg = y + g * group_products;
        for (std::size_t l = 0; l < group_lanes; ++l)
            sums[l] = static_cast<uint16_t>(sums[l] + lane_product(xg, yg, l));
    }
    uint64_t total = 0;
    for (std::size_t l = 0; l < group_lanes; ++l) total += sums[l];
    return total;
}

// The sum of the digit products of whole groups: the pairs at x against the pairs at y.
[[gnu::always_inline]] inline uint64_t group_sum(const uint8_t *x, const uint8_t *y,
                                                 std::size_t groups) {
    uint64_t total = 0;
    while (groups > 0) {
        std::size_t chunk = groups < groups_per_sum ? groups : groups_per_sum;
        total += chunk_sum(x, y, chunk);
        x += chunk * group_products;
        y += chunk * group_products;
        groups -= chunk;
    }
    return total;
}

// Column k of a * s: the sum of a[i] * s[k - i] over the i with both digits in their factor.
[[gnu::always_inline]] inline uint64_t column(ColumnScratch c, std::size_t la, std::size_t ls,
                                              std::size_t k) {
    assert(k < la + ls);
    std::size_t i0 = k >= ls ? k - ls + 1 : 0;
    std::size_t i1 = k < la ? k + 1 : la;
    if (i0 >= i1) return 0;
    // The pairs start where a digit of a meets the top digit of a pair of s: at i0, or one digit
    // early (then at a[-1] or at the zero on top of s).
    const std::size_t early = (k - i0) % 2 == 0 ? 1 : 0;
    const std::size_t top = k - i0 + early; // odd: the top digit of pair top / 2 of s
    const std::size_t groups = groups_over(i1 - i0 + early);
    return group_sum(c.a + i0 - early, c.layout + 2 * (pairs(ls) - 1 - top / 2), groups);
}

[[gnu::always_inline]] inline void multiply_by_columns(const Factors &f, uint8_t *scratch,
                                                       uint8_t *product) {
    const ColumnScratch c = prepare(f, scratch);
    uint64_t carry = 0;
    for (std::size_t k = 0; k < f.la + f.ls; ++k)
        settle(column(c, f.la, f.ls, k), &carry, f.zero, product + k);
}

[[gnu::always_inline]] inline void multiply_factors(const Factors &f, uint8_t *scratch,
                                                    uint8_t *product) {
    assert(f.ls >= 1 && f.ls <= f.la);
    if (f.ls <= short_factor)
        multiply_by_rows(f, product);
    else
        multiply_by_columns(f, scratch, product);
}

// One function per variant, each the same loops compiled for its vector unit.
inline void multiply_portable(const Factors &f, uint8_t *scratch, uint8_t *product) {
    multiply_factors(f, scratch, product);
}

#ifdef DIGIT_PRODUCT_X86_VARIANTS
[[gnu::target("avx2")]] inline void multiply_avx2(const Factors &f, uint8_t *scratch,
                                                  uint8_t *product) {
    multiply_factors(f, scratch, product);
}

[[gnu::target("avx512bw")]] inline void multiply_avx512(const Factors &f, uint8_t *scratch,
                                                        uint8_t *product) {
    multiply_factors(f, scratch, product);
}
#endif

} // namespace detail

// Bytes of scratch that multiply needs beside its factors: the values of the longer one and a
// layout of the shorter one, with zeros around them.
inline std::size_t scratch_bytes(std::size_t la, std::size_t lb) {
    const std::size_t longer = la < lb ? lb : la, shorter = la < lb ? la : lb;
    return detail::zeros_before + longer + detail::zeros_after_a + 2 * detail::pairs(shorter) +
           detail::zeros_after_layout;
}

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

// product[0, la + lb) = a * b. Every array holds digits units first, each the byte zero + its
// value; scratch holds scratch_bytes(la, lb) bytes of any content; the product and the scratch
// overlap neither each other nor a factor. The variant must run here.
inline void multiply_with(Variant variant, const uint8_t *a, std::size_t la, const uint8_t *b,
                          std::size_t lb, uint8_t zero, uint8_t *scratch, uint8_t *product) {
    assert(detail::are_digits(a, la, zero) && detail::are_digits(b, lb, zero));
    [[maybe_unused]] const std::size_t n = la + lb, scratch_n = scratch_bytes(la, lb);
    assert(detail::disjoint(product, n, a, la) && detail::disjoint(product, n, b, lb));
    assert(detail::disjoint(scratch, scratch_n, a, la) &&
           detail::disjoint(scratch, scratch_n, b, lb));
    assert(detail::disjoint(scratch, scratch_n, product, n));
    if (la == 0 || lb == 0) {
        std::memset(product, zero, la + lb);
        return;
    }
    if (la < lb) { // the shorter factor goes second
        std::swap(a, b);
        std::swap(la, lb);
    }
    const detail::Factors f = {a, la, b, lb, zero};
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (variant == Variant::avx512) return detail::multiply_avx512(f, scratch, product);
    if (variant == Variant::avx2) return detail::multiply_avx2(f, scratch, product);
#endif
    (void)variant;
    detail::multiply_portable(f, scratch, product);
}

// multiply_with the chosen variant.
inline void multiply(const uint8_t *a, std::size_t la, const uint8_t *b, std::size_t lb,
                     uint8_t zero, uint8_t *scratch, uint8_t *product) {
    multiply_with(chosen_variant(), a, la, b, lb, zero, scratch, product);
}

} // namespace digit_product
