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
// Three paths, by the shorter factor's length and the processor: a short factor is multiplied row
// by row into column sums; a longer one column by column, as dot products of 16-bit lanes (the
// baseline x86-64 unit, and other processors), or a block of columns at a time from groups of four
// digits on the vector units' byte multiply-adds (AVX2, AVX-512BW, AVX-512 VNNI; digit_groups.hpp).
// The loops are compiled once per vector unit and multiply picks the widest this processor runs;
// defining CALC_PORTABLE_KERNEL (or building elsewhere) leaves the baseline alone.
//
// A large product is split into ranges of columns, one thread each (parallel.hpp): each range is
// computed and its carries settled as if it were alone, and the carries out of the ranges are then
// added into the ranges above them in one pass, so every thread count gives the same digits.
#pragma once

#include "digit_groups.hpp"
#include "parallel.hpp"

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#ifdef DIGIT_GROUPS_X86_UNITS
#define DIGIT_PRODUCT_X86_VARIANTS 1
#endif

namespace digit_product {

// The compiled forms of the kernel; every one gives the same product.
enum class Variant { portable, avx2, avx512, vnni };

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

// Columns [begin, end) of a * s by the row path; returns the carry out of the last of them.
[[gnu::always_inline]] inline uint64_t rows_range(const Factors &f, std::size_t begin,
                                                  std::size_t end, uint8_t *product) {
    uint64_t carry = 0;
    for (std::size_t k0 = begin; k0 < end; k0 += row_block) {
        std::size_t count = end - k0 < row_block ? end - k0 : row_block;
        row_block_columns(f, k0, count, &carry, product);
    }
    return carry;
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

// Columns [begin, end) of a * s by the column path; returns the carry out of the last of them.
[[gnu::always_inline]] inline uint64_t columns_range(const Factors &f, ColumnScratch c,
                                                     std::size_t begin, std::size_t end,
                                                     uint8_t *product) {
    uint64_t carry = 0;
    for (std::size_t k = begin; k < end; ++k)
        settle(column(c, f.la, f.ls, k), &carry, f.zero, product + k);
    return carry;
}

// ---- Group path: a block of columns at a time, s in groups against the windows of a ----

// Groups of a factor of ls digits; the last one has zeros on top when ls is not a multiple of 4.
inline std::size_t groups_of(std::size_t ls) {
    return (ls + digit_groups::group_digits - 1) / digit_groups::group_digits;
}

// The 32-bit words of the group path's scratch: the windows of a with the zeros around them, then
// the groups of s and the zeros after them.
inline std::size_t group_words(std::size_t la, std::size_t ls) {
    using namespace digit_groups;
    return block_windows_before + la + 3 + block_windows_after + groups_of(ls) +
           block_groups_after;
}

// The group path aligns its words to a cache line, whatever the scratch's address.
constexpr std::size_t group_alignment = 64;

// The scratch of the group path.
struct GroupScratch {
    const uint32_t *windows; // windows[m]: window m of a, zero outside 0 <= m < la + 3
    const uint32_t *groups;  // groups[g]: group g of s, zero from groups_of(ls) on
};

// Writes the windows of a and the groups of s, with their zeros, into the scratch.
inline GroupScratch prepare_groups(const Factors &f, uint8_t *scratch) {
    using namespace digit_groups;
    const std::size_t skip = -reinterpret_cast<std::uintptr_t>(scratch) & (group_alignment - 1);
    auto *windows = reinterpret_cast<uint32_t *>(scratch + skip) + block_windows_before;
    const auto la = static_cast<std::ptrdiff_t>(f.la); // la >= ls > short_factor >= 3
    std::memset(windows - block_windows_before, 0, block_windows_before * sizeof(uint32_t));
    for (std::ptrdiff_t m = 0; m < 3; ++m) windows[m] = window_at(f.a, la, m, f.zero);
    for (std::ptrdiff_t m = 3; m < la; ++m) windows[m] = window_inside(f.a, m, f.zero);
    for (std::ptrdiff_t m = la; m < la + 3; ++m) windows[m] = window_at(f.a, la, m, f.zero);
    std::memset(windows + la + 3, 0, block_windows_after * sizeof(uint32_t));
    uint32_t *groups = windows + la + 3 + block_windows_after;
    const std::size_t whole = f.ls / group_digits, rest = f.ls % group_digits;
    for (std::size_t g = 0; g < whole; ++g) groups[g] = group_at(f.s + group_digits * g, f.zero);
    if (rest > 0) {
        uint8_t top[group_digits] = {f.zero, f.zero, f.zero, f.zero};
        std::memcpy(top, f.s + group_digits * whole, rest);
        groups[whole] = group_at(top, f.zero);
    }
    std::memset(groups + groups_of(f.ls), 0, block_groups_after * sizeof(uint32_t));
    return {windows, groups};
}

// Columns [begin, end) of a * s by the group path on `Unit`, begin a multiple of its block;
// returns the carry out of the last of them.
template <class Unit>
[[gnu::always_inline]] inline uint64_t groups_range(const Factors &f, GroupScratch w,
                                                    std::size_t begin, std::size_t end,
                                                    uint8_t *product) {
    constexpr std::size_t block = digit_groups::block_columns<Unit>();
    const std::size_t last_group = groups_of(f.ls) - 1;
    uint64_t carry = 0;
    for (std::size_t c0 = begin; c0 < end; c0 += block) {
        // The groups that meet a window of the block that is not all zeros: window m is all
        // zeros from m = la + 3 on, and group g meets windows c0 - 4g to c0 + block - 1 - 4g.
        const std::size_t first = c0 > f.la + 2 ? (c0 - f.la - 2 + 3) / 4 : 0;
        const std::size_t reach = (c0 + block - 1) / 4;
        const std::size_t last = reach < last_group ? reach : last_group;
        uint64_t totals[block] = {};
        if (first <= last)
            digit_groups::add_block<Unit>(w.windows, w.groups, c0, first, last, totals);
        const std::size_t count = end - c0 < block ? end - c0 : block;
        for (std::size_t i = 0; i < count; ++i)
            settle(totals[i], &carry, f.zero, product + c0 + i);
    }
    return carry;
}

// ---- One product: its path, its ranges of columns, their threads ----

// How a product is computed: by rows when the shorter factor is short, else by columns (the
// baseline unit) or by groups (the others).
enum class Path { rows, columns, groups };

// A product's path and the scratch that its path has laid out.
struct Prepared {
    Path path;
    ColumnScratch columns; // the column path's
    GroupScratch groups;   // the group path's
};

inline Prepared prepare_path(Variant variant, const Factors &f, uint8_t *scratch) {
    Prepared p{};
    if (f.ls <= short_factor)
        p.path = Path::rows;
    else if (variant == Variant::portable)
        p = Prepared{Path::columns, prepare(f, scratch), {}};
    else
        p = Prepared{Path::groups, {}, prepare_groups(f, scratch)};
    return p;
}

// Columns [begin, end) by each variant: the same loops, compiled for its vector unit; each returns
// the carry out of the range. The vector units' forms flatten the shared code into themselves,
// and so compile it for their unit.
inline uint64_t range_portable(const Factors &f, const Prepared &p, std::size_t begin,
                               std::size_t end, uint8_t *product) {
    if (p.path == Path::rows) return rows_range(f, begin, end, product);
    return columns_range(f, p.columns, begin, end, product);
}

#ifdef DIGIT_PRODUCT_X86_VARIANTS
[[gnu::target("avx2"), gnu::flatten]] inline uint64_t
range_avx2(const Factors &f, const Prepared &p, std::size_t begin, std::size_t end,
           uint8_t *product) {
    if (p.path == Path::rows) return rows_range(f, begin, end, product);
    return groups_range<digit_groups::Avx2>(f, p.groups, begin, end, product);
}

[[gnu::target("avx512bw"), gnu::flatten]] inline uint64_t
range_avx512(const Factors &f, const Prepared &p, std::size_t begin, std::size_t end,
             uint8_t *product) {
    if (p.path == Path::rows) return rows_range(f, begin, end, product);
    return groups_range<digit_groups::Avx512>(f, p.groups, begin, end, product);
}

[[gnu::target("avx512bw,avx512vnni"), gnu::flatten]] inline uint64_t
range_vnni(const Factors &f, const Prepared &p, std::size_t begin, std::size_t end,
           uint8_t *product) {
    if (p.path == Path::rows) return rows_range(f, begin, end, product);
    return groups_range<digit_groups::Vnni>(f, p.groups, begin, end, product);
}
#endif

// One range of a product's columns, for one thread.
struct RangeJob {
    Variant variant;
    const Factors *f;
    const Prepared *p;
    std::size_t begin, end; // the columns
    uint8_t *product;
    uint64_t carry; // set by run_range: the carry out of the range's last column
};

inline void run_range(RangeJob &job) {
    const Factors &f = *job.f;
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (job.variant == Variant::vnni)
        job.carry = range_vnni(f, *job.p, job.begin, job.end, job.product);
    if (job.variant == Variant::avx512)
        job.carry = range_avx512(f, *job.p, job.begin, job.end, job.product);
    if (job.variant == Variant::avx2)
        job.carry = range_avx2(f, *job.p, job.begin, job.end, job.product);
#endif
    if (job.variant == Variant::portable)
        job.carry = range_portable(f, *job.p, job.begin, job.end, job.product);
}

// Ranges start at multiples of this many columns: a multiple of the row path's block and of every
// group path's block, so that a range's blocks are the whole product's.
constexpr std::size_t range_step = row_block;
static_assert(range_step % digit_groups::widest_block == 0, "a range splits a block");

// Digit products in a thread's share of a product, at the least: fewer would not repay its start.
constexpr uint64_t products_per_thread = uint64_t{1} << 24;

// x (x + 1) / 2: the sum 1 + 2 + ... + x.
inline uint64_t triangle(uint64_t x) {
    return x * (x + 1) / 2;
}

// Digit products in the columns below k of a * s: column j has min(j + 1, ls, la + ls - 1 - j).
inline uint64_t products_below(const Factors &f, std::size_t k) {
    const std::size_t n = f.la + f.ls;
    uint64_t count = triangle(k < f.ls ? k : f.ls);
    if (k > f.ls) count += uint64_t{f.ls} * ((k < f.la ? k : f.la) - f.ls);
    if (k > f.la) count += triangle(f.ls - 1) - triangle(n - k - (k < n ? 1 : 0));
    return count;
}

// The ranges that a product of a * s is split into: as many as the threads allowed and the
// product's size repay, at most one per range_step columns.
inline unsigned ranges_for(const Factors &f) {
    const std::size_t n = f.la + f.ls;
    uint64_t count = parallel::threads;
    const uint64_t repaid = uint64_t{f.la} * f.ls / products_per_thread;
    if (count > repaid) count = repaid;
    if (count > (n + range_step - 1) / range_step) count = (n + range_step - 1) / range_step;
    return count < 1 ? 1 : static_cast<unsigned>(count);
}

// Splits the columns of a * s into `count` ranges of about equal work (ranges that start at the
// product's top are empty).
inline void split_into_ranges(const Factors &f, RangeJob *jobs, unsigned count) {
    const std::size_t n = f.la + f.ls;
    const uint64_t total = uint64_t{f.la} * f.ls;
    std::size_t k = 0;
    for (unsigned t = 0; t < count; ++t) {
        jobs[t].begin = k;
        // The next range starts where the products below reach the next share of them.
        while (k < n && (t + 1 == count || products_below(f, k) < total / count * (t + 1)))
            k = n - k < range_step ? n : k + range_step;
        jobs[t].end = k;
    }
}

// a * s in `count` ranges, each on a thread of its own (1 <= count <= most_threads).
inline void multiply_factors(Variant variant, const Factors &f, uint8_t *scratch,
                             uint8_t *product, unsigned count) {
    assert(f.ls >= 1 && f.ls <= f.la && count >= 1 && count <= parallel::most_threads);
    const Prepared p = prepare_path(variant, f, scratch);
    RangeJob jobs[parallel::most_threads];
    split_into_ranges(f, jobs, count);
    for (unsigned t = 0; t < count; ++t) {
        jobs[t].variant = variant;
        jobs[t].f = &f;
        jobs[t].p = &p;
        jobs[t].product = product;
    }
    parallel::run_jobs<RangeJob, run_range>(jobs, count);
    // Each range settled its carries as if it began the product: the carry out of the ranges below
    // goes into each range from its first column up, and what comes out of its top, with the
    // range's own carry out, into the next.
    uint64_t carry = jobs[0].carry;
    for (unsigned t = 1; t < count; ++t) {
        for (std::size_t k = jobs[t].begin; carry != 0 && k < jobs[t].end; ++k)
            settle(static_cast<uint8_t>(product[k] - f.zero), &carry, f.zero, product + k);
        carry += jobs[t].carry;
    }
    assert(carry == 0 && "a * s has la + ls digits");
}

} // namespace detail

// Bytes of scratch that multiply needs beside its factors: none for a short factor (one byte, so
// that it can be allocated), else the layout of the column path or the group path, whichever is
// larger (about four bytes per digit of the longer factor).
inline std::size_t scratch_bytes(std::size_t la, std::size_t lb) {
    using namespace detail;
    const std::size_t longer = la < lb ? lb : la, shorter = la < lb ? la : lb;
    if (shorter <= short_factor) return 1;
    const std::size_t columns =
        zeros_before + longer + zeros_after_a + 2 * pairs(shorter) + zeros_after_layout;
    const std::size_t groups = group_alignment - 1 + sizeof(uint32_t) * group_words(longer, shorter);
    return columns > groups ? columns : groups;
}

// True when this build has the variant and this processor runs it.
inline bool runs_here(Variant variant) {
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (variant == Variant::avx2) return __builtin_cpu_supports("avx2");
    if (variant == Variant::avx512) return __builtin_cpu_supports("avx512bw");
    if (variant == Variant::vnni)
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vnni");
#endif
    return variant == Variant::portable;
}

// The widest variant that runs here: the one multiply uses.
inline Variant chosen_variant() {
    if (runs_here(Variant::vnni)) return Variant::vnni;
    if (runs_here(Variant::avx512)) return Variant::avx512;
    if (runs_here(Variant::avx2)) return Variant::avx2;
    return Variant::portable;
}

// product[0, la + lb) = a * b, its columns split into `ranges` ranges (1 to most_threads), each
// computed on a thread of its own, or 0 for as many as the threads allowed and the product's size
// repay. Every array holds digits units first, each the byte zero + its value; scratch holds
// scratch_bytes(la, lb) bytes of any content; the product and the scratch overlap neither each
// other nor a factor. The variant must run here.
inline void multiply_in_ranges(Variant variant, unsigned ranges, const uint8_t *a, std::size_t la,
                               const uint8_t *b, std::size_t lb, uint8_t zero, uint8_t *scratch,
                               uint8_t *product) {
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
    const detail::Factors f{a, la, b, lb, zero};
    detail::multiply_factors(variant, f, scratch, product,
                             ranges != 0 ? ranges : detail::ranges_for(f));
}

// multiply_in_ranges with as many ranges as the product repays.
inline void multiply_with(Variant variant, const uint8_t *a, std::size_t la, const uint8_t *b,
                          std::size_t lb, uint8_t zero, uint8_t *scratch, uint8_t *product) {
    multiply_in_ranges(variant, 0, a, la, b, lb, zero, scratch, product);
}

// multiply_with the chosen variant.
inline void multiply(const uint8_t *a, std::size_t la, const uint8_t *b, std::size_t lb,
                     uint8_t zero, uint8_t *scratch, uint8_t *product) {
    multiply_with(chosen_variant(), a, la, b, lb, zero, scratch, product);
}

} // namespace digit_product
