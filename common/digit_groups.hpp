// Column sums of a schoolbook product on the vector units' byte multiply-adds: the digit products
// of a block of adjacent columns, summed over groups of four digits of one factor against windows
// of four digits of the other. Shared by the digit-product kernel (digit_product.hpp) and
// list_calc's block of rows. Header-only; it never allocates.
//
// A group is four adjacent digit values of the factor s, s[4g], s[4g + 1], s[4g + 2], s[4g + 3],
// held as the four bytes of one 32-bit value. A window is four digit values of the factor a in
// reverse, a[m], a[m - 1], a[m - 2], a[m - 3] (zero outside a). Byte t of window m times byte t of
// group g is a[m - t] * s[4g + t], a digit product of column m + 4g, whatever t: one multiply-add
// of a vector of V windows m to m + V - 1 against group g, the four byte products of each window
// summed, adds group g's share to V adjacent columns m + 4g to m + 4g + V - 1.
//
// A column block is R vectors of V adjacent columns: vector r holds columns c0 + V r to
// c0 + V r + V - 1 and meets group g in windows c0 + V r - 4g on. The groups are taken in P = V / 4
// phases: phase c holds the groups g = P q + c, H at a time (q = q0 to q0 + H - 1). For them the
// windows of vector r and group q0 + h start at c0 - 4c - V q0 + V (r - h): every pair (r, h) on
// a diagonal r - h = d reads the same V windows, so R + H - 1 loads feed R H multiply-adds.
//
// The vector units are x86-64's AVX2 and AVX-512: with byte multiply-adds that sum two byte
// products into 16 bits (AVX2, AVX-512BW), or four into 32 bits (AVX-512 VNNI). Each unit is a
// struct of operations compiled for it alone; the code that uses them is shared, and becomes one
// unit's code where a function compiled for that unit (gnu::target) flattens it (gnu::flatten).
// The operations take their vectors by reference, so that no vector crosses a function boundary
// by value where they are not inlined (a build without optimisation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(CALC_PORTABLE_KERNEL)
#define DIGIT_GROUPS_X86_UNITS 1
#include <immintrin.h>
#endif

namespace digit_groups {

// The largest product of two digits.
constexpr unsigned max_digit_product = 9 * 9;
// Digits in a group, and in a window.
constexpr std::size_t group_digits = 4;

// The group of the four digit values at p (each a byte zero + value), as one 32-bit value.
inline uint32_t group_at(const uint8_t *p, uint8_t zero) {
    uint32_t bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    // A byte at least `zero` never borrows from the next one.
    return bytes - 0x01010101u * zero;
}

// Window m of the factor a[0, la) (each digit a byte zero + value): a[m], a[m - 1], a[m - 2],
// a[m - 3] in its bytes, zero for a digit outside a. For 3 <= m < la, use window_inside.
inline uint32_t window_at(const uint8_t *a, std::ptrdiff_t la, std::ptrdiff_t m, uint8_t zero) {
    uint32_t w = 0;
    for (std::ptrdiff_t t = 3; t >= 0; --t) {
        const std::ptrdiff_t i = m - t;
        w = w << 8 | (i >= 0 && i < la ? static_cast<uint8_t>(a[i] - zero) : 0u);
    }
    return w;
}

// Window m of a, for 3 <= m < la: a[m - 3] to a[m] read as one value and its bytes reversed.
inline uint32_t window_inside(const uint8_t *a, std::ptrdiff_t m, uint8_t zero) {
    return __builtin_bswap32(group_at(a + m - 3, zero));
}

#ifdef DIGIT_GROUPS_X86_UNITS

// A unit's operations: clear, broadcast a group, load V windows, multiply-add windows by a group
// into sums, store sums; column_sum reads a column's sum from its 32-bit lane.

// AVX2: a 32-byte vector is V = 8 windows; vpmaddubsw sums byte products in pairs into 16-bit
// halves, two halves of one column per 32-bit lane.
struct Avx2 {
    using Vector = __m256i;
    static constexpr std::size_t columns = 8;       // V
    static constexpr std::size_t accumulators = 8;  // R: with H groups, a load and a product, 14
    static constexpr std::size_t groups_at_once = 4; // H                of the 16 registers
    // vpmaddubsw saturates a pair's sum at INT16_MAX, which two digit products never reach; a
    // half adds one pair per group, so 16 bits (added without saturation) hold 404 groups' worth.
    static constexpr std::size_t groups_per_flush = 404;
    static_assert(2 * max_digit_product <= INT16_MAX, "a pair of byte products saturates");
    static_assert(groups_per_flush * 2 * max_digit_product <= UINT16_MAX, "a half overflows");

    [[gnu::target("avx2")]] static void clear(Vector &v) { v = _mm256_setzero_si256(); }
    [[gnu::target("avx2")]] static void broadcast(Vector &v, uint32_t group) {
        v = _mm256_set1_epi32(static_cast<int>(group));
    }
    [[gnu::target("avx2")]] static void load(Vector &v, const uint32_t *windows) {
        v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(windows));
    }
    [[gnu::target("avx2")]] static void multiply_add(Vector &sums, const Vector &windows,
                                                     const Vector &group) {
        sums = _mm256_add_epi16(sums, _mm256_maddubs_epi16(windows, group));
    }
    [[gnu::target("avx2")]] static void store(void *to, const Vector &sums) {
        _mm256_storeu_si256(static_cast<__m256i *>(to), sums);
    }
    // A lane holds its column's sum in two 16-bit halves.
    static uint32_t column_sum(uint32_t lane) { return (lane & 0xffff) + (lane >> 16); }
};

// AVX-512BW: the same as AVX2 on 64-byte vectors, V = 16 windows, and twice the registers.
struct Avx512 {
    using Vector = __m512i;
    static constexpr std::size_t columns = 16;
    static constexpr std::size_t accumulators = 16; // with H groups, a load and a product, 22 of 32
    static constexpr std::size_t groups_at_once = 4;
    static constexpr std::size_t groups_per_flush = Avx2::groups_per_flush;

    [[gnu::target("avx512bw")]] static void clear(Vector &v) { v = _mm512_setzero_si512(); }
    [[gnu::target("avx512bw")]] static void broadcast(Vector &v, uint32_t group) {
        v = _mm512_set1_epi32(static_cast<int>(group));
    }
    [[gnu::target("avx512bw")]] static void load(Vector &v, const uint32_t *windows) {
        v = _mm512_loadu_si512(windows);
    }
    [[gnu::target("avx512bw")]] static void multiply_add(Vector &sums, const Vector &windows,
                                                         const Vector &group) {
        sums = _mm512_add_epi16(sums, _mm512_maddubs_epi16(windows, group));
    }
    [[gnu::target("avx512bw")]] static void store(void *to, const Vector &sums) {
        _mm512_storeu_si512(to, sums);
    }
    static uint32_t column_sum(uint32_t lane) { return Avx2::column_sum(lane); }
};

// AVX-512 VNNI: vpdpbusd sums the four byte products of each window into its 32-bit lane.
struct Vnni {
    using Vector = __m512i;
    static constexpr std::size_t columns = 16;
    static constexpr std::size_t accumulators = 16; // with H groups and a load, 21 of 32
    static constexpr std::size_t groups_at_once = 4;
    // A lane adds four digit products per group: a signed 32-bit lane holds 2^22 groups' worth.
    static constexpr std::size_t groups_per_flush = std::size_t{1} << 22;
    static_assert(groups_per_flush * group_digits * max_digit_product <= INT32_MAX,
                  "a lane overflows");

    [[gnu::target("avx512bw,avx512vnni")]] static void clear(Vector &v) {
        v = _mm512_setzero_si512();
    }
    [[gnu::target("avx512bw,avx512vnni")]] static void broadcast(Vector &v, uint32_t group) {
        v = _mm512_set1_epi32(static_cast<int>(group));
    }
    [[gnu::target("avx512bw,avx512vnni")]] static void load(Vector &v, const uint32_t *windows) {
        v = _mm512_loadu_si512(windows);
    }
    [[gnu::target("avx512bw,avx512vnni")]] static void
    multiply_add(Vector &sums, const Vector &windows, const Vector &group) {
        sums = _mm512_dpbusd_epi32(sums, windows, group);
    }
    [[gnu::target("avx512bw,avx512vnni")]] static void store(void *to, const Vector &sums) {
        _mm512_storeu_si512(to, sums);
    }
    // A lane holds its column's sum whole.
    static uint32_t column_sum(uint32_t lane) { return lane; }
};

#endif

// The widest column block and the longest reach of any unit's loads, which fix the zeros that a
// factor's windows need around them (block_windows_before and _after).
constexpr std::size_t widest_block = 256;
constexpr std::size_t widest_reach = 16 * (16 + 4); // V (R + H) of the widest unit

// Columns of a block of `Unit`.
template <class Unit> constexpr std::size_t block_columns() {
    static_assert(Unit::columns % group_digits == 0, "a phase's groups step a whole vector");
    static_assert(Unit::columns * Unit::accumulators <= widest_block, "a block too wide");
    static_assert(Unit::columns * (Unit::accumulators + Unit::groups_at_once) <= widest_reach,
                  "loads reach past the zeros around the windows");
    return Unit::columns * Unit::accumulators;
}

// Zero windows that add_block may read before window 0 and after the last nonzero window, and the
// zero groups after the last group. The lowest window read: the last group's diagonals start
// V R - 1 windows below the block's first column, and a phase's last H groups may run H - 1 groups
// (V (H - 1) windows) past it; the highest: the block's last column, V R - 1 windows after the
// first group's. Those H - 1 groups of a phase are up to P (H - 1) groups past the last group.
constexpr std::size_t block_windows_before = widest_reach;
constexpr std::size_t block_windows_after = widest_block;
constexpr std::size_t block_groups_after = 4 * 4; // P (H - 1) <= 4 * 3 for every unit

// totals[0, V) += the column sums that `sums` holds, one a 32-bit lane.
template <class Unit>
[[gnu::always_inline]] inline void add_into(uint64_t *totals, const typename Unit::Vector &sums) {
    uint32_t lanes[Unit::columns];
    Unit::store(lanes, sums);
    for (std::size_t i = 0; i < Unit::columns; ++i) totals[i] += Unit::column_sum(lanes[i]);
}

// Adds into sums[0, R) the products of `blocks` runs of H groups of one phase (the groups `at`,
// at + P, ..., each run P H groups after the last) against the windows from `windows` on: the
// windows of vector r and run group h start V (r - h) windows from `windows`, and each run
// V H windows below the last.
template <class Unit>
[[gnu::always_inline]] inline void add_diagonals(typename Unit::Vector *sums,
                                                 const uint32_t *windows, const uint32_t *at,
                                                 std::size_t blocks) {
    constexpr std::ptrdiff_t V = Unit::columns, R = Unit::accumulators, H = Unit::groups_at_once;
    constexpr std::ptrdiff_t P = V / group_digits;
    typename Unit::Vector group[H], window;
    for (; blocks > 0; --blocks, windows -= V * H, at += P * H) {
        // Most of a run's windows were loaded by the run before, V H windows higher; an empty
        // asm hides that from the compiler, which would otherwise keep them in registers from one
        // run to the next and move the sums out to memory to make room.
        __asm__("" : "+r"(windows));
#pragma GCC unroll 16
        for (std::ptrdiff_t h = 0; h < H; ++h) Unit::broadcast(group[h], at[P * h]);
#pragma GCC unroll 32
        for (std::ptrdiff_t d = 1 - H; d < R; ++d) {
            Unit::load(window, windows + V * d);
#pragma GCC unroll 16
            for (std::ptrdiff_t h = 0; h < H; ++h)
                if (d + h >= 0 && d + h < R) Unit::multiply_add(sums[d + h], window, group[h]);
        }
    }
}

// Adds into totals[0, V R) the digit products of columns c0 to c0 + V R - 1 that the groups
// first to last (inclusive) hold: windows[m] is window m (with the zeros around them that
// block_windows_before and _after count), groups[g] is group g (with block_groups_after zeros
// after the last). The vector sums go into the 64-bit totals before they can overflow, and once
// at the end.
template <class Unit>
[[gnu::always_inline]] inline void add_block(const uint32_t *windows, const uint32_t *groups,
                                             std::size_t c0, std::size_t first, std::size_t last,
                                             uint64_t *totals) {
    constexpr std::size_t V = Unit::columns, R = Unit::accumulators, H = Unit::groups_at_once;
    constexpr std::size_t P = V / group_digits, runs_per_flush = Unit::groups_per_flush / H;
    static_assert(block_columns<Unit>() == V * R);
    typename Unit::Vector sums[R];
#pragma GCC unroll 16
    for (std::size_t r = 0; r < R; ++r) Unit::clear(sums[r]);
    std::size_t room = runs_per_flush; // runs that the sums take before they must be flushed
    for (std::size_t c = 0; c < P; ++c) {
        const std::size_t q_first = (first + P - 1 - c) / P; // the first q with P q + c >= first
        if (last < c || P * q_first + c > last) continue;
        std::size_t runs = ((last - c) / P - q_first + H) / H;
        const uint32_t *w = windows + (static_cast<std::ptrdiff_t>(c0 - group_digits * c) -
                                       static_cast<std::ptrdiff_t>(V * q_first));
        const uint32_t *at = groups + P * q_first + c;
        while (runs > 0) {
            const std::size_t now = runs < room ? runs : room;
            add_diagonals<Unit>(sums, w, at, now);
            w -= V * H * now;
            at += P * H * now;
            runs -= now;
            room -= now;
            if (room > 0) continue;
#pragma GCC unroll 16
            for (std::size_t r = 0; r < R; ++r) {
                add_into<Unit>(totals + V * r, sums[r]);
                Unit::clear(sums[r]);
            }
            room = runs_per_flush;
        }
    }
#pragma GCC unroll 16
    for (std::size_t r = 0; r < R; ++r) add_into<Unit>(totals + V * r, sums[r]);
}

} // namespace digit_groups
