// Every variant of the digit-product kernel that this processor runs gives the schoolbook product,
// on lengths either side of the kernel's widths and on all-9 factors (the largest column sums),
// whole or split into ranges of columns on threads of their own.
#include "digit_product.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace digit_product;

namespace {

using Digits = std::vector<uint8_t>;

// Column sums first, one carry pass after: the product by its definition.
Digits reference_product(const Digits &a, const Digits &b) {
    std::vector<uint64_t> columns(a.size() + b.size(), 0);
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j) columns[i + j] += a[i] * b[j];
    Digits product(columns.size());
    uint64_t carry = 0;
    for (size_t k = 0; k < columns.size(); ++k) {
        carry += columns[k];
        product[k] = static_cast<uint8_t>(carry % 10);
        carry /= 10;
    }
    return product;
}

// a * b by one variant in `ranges` ranges (0: as the product's size repays), the digits handed
// over as the bytes zero + value.
Digits product_with(Variant variant, Digits a, Digits b, uint8_t zero, unsigned ranges = 0) {
    for (auto &d : a) d = static_cast<uint8_t>(d + zero);
    for (auto &d : b) d = static_cast<uint8_t>(d + zero);
    // A byte of the same filling before the scratch, where the heap may hold a zero: a read before
    // the scratch gives a wrong product (one past its end is the sanitizers' to find).
    Digits product(a.size() + b.size(), 0xEE), scratch(1 + scratch_bytes(a.size(), b.size()), 0xEE);
    multiply_in_ranges(variant, ranges, a.data(), a.size(), b.data(), b.size(), zero,
                       scratch.data() + 1, product.data());
    for (auto &d : product) d = static_cast<uint8_t>(d - zero);
    return product;
}

const Variant variants[] = {Variant::portable, Variant::avx2, Variant::avx512, Variant::vnni};

uint64_t base_seed() {
    const char *seed = std::getenv("CALC_SEED");
    return seed ? std::strtoull(seed, nullptr, 10) : 20261208;
}

} // namespace

TEST(DigitProduct, EveryVariantGivesTheSchoolbookProduct) {
    // Vector widths (16 to 64 bytes), the short-factor limit and the column groups (64), a
    // factor's last group of four (65 to 68), the blocks of the group path (64 and 256 columns)
    // and the row block (512 columns), each side of them, odd and even.
    const size_t lengths[] = {1,  2,  3,  4,   16,  17,  31,  32,  33,  63,  64,  65,  66,
                              67, 68, 127, 128, 129, 255, 256, 257, 511, 512, 513};
    std::mt19937_64 random(base_seed());
    std::uniform_int_distribution<int> digit(0, 9);
    for (size_t la : lengths) {
        for (size_t lb : lengths) {
            Digits a(la), b(lb), nines_a(la, 9), nines_b(lb, 9);
            for (auto &d : a) d = static_cast<uint8_t>(digit(random));
            for (auto &d : b) d = static_cast<uint8_t>(digit(random));
            const Digits expected = reference_product(a, b);
            const Digits expected_nines = reference_product(nines_a, nines_b);
            for (Variant variant : variants) {
                if (!runs_here(variant)) continue;
                SCOPED_TRACE(testing::Message()
                             << "variant " << static_cast<int>(variant) << ", " << la << " x " << lb
                             << " digits, seed " << base_seed());
                EXPECT_EQ(product_with(variant, a, b, '0'), expected);
                EXPECT_EQ(product_with(variant, nines_a, nines_b, 0), expected_nines);
            }
        }
    }
}

// A column of more than 404 groups of 64 digit products has its 16-bit sums taken in two parts:
// all-9 factors fill every sum of the first part to its limit.
TEST(DigitProduct, LongColumnsOfNinesGiveTheirClosedForm) {
    const size_t n = 26000, m = 25900;
    // (10^n - 1)(10^m - 1), units first: 1, m - 1 zeros, n - m nines, 8, m - 1 nines.
    Digits expected(n + m, 9);
    std::fill(expected.begin(), expected.begin() + m, 0);
    expected[0] = 1;
    expected[n] = 8;
    for (Variant variant : variants) {
        if (!runs_here(variant)) continue;
        SCOPED_TRACE(testing::Message() << "variant " << static_cast<int>(variant));
        EXPECT_EQ(product_with(variant, Digits(n, 9), Digits(m, 9), 0), expected);
    }
}

// A product split into ranges of columns, each settled on its own, carries out of one range into
// the next: all-9 factors carry through whole ranges of nines. Each path: rows, columns or groups.
TEST(DigitProduct, RangesOnThreadsGiveTheWholeProduct) {
    std::mt19937_64 random(base_seed());
    std::uniform_int_distribution<int> digit(0, 9);
    const std::pair<size_t, size_t> shapes[] = {{2100, 1900}, {3700, 70}, {4000, 40}};
    for (const auto &[la, lb] : shapes) {
        Digits a(la), b(lb);
        for (auto &d : a) d = static_cast<uint8_t>(digit(random));
        for (auto &d : b) d = static_cast<uint8_t>(digit(random));
        const Digits expected = reference_product(a, b);
        const Digits expected_nines = reference_product(Digits(la, 9), Digits(lb, 9));
        for (Variant variant : variants) {
            if (!runs_here(variant)) continue;
            for (unsigned ranges : {1u, 2u, 3u, 7u}) {
                SCOPED_TRACE(testing::Message() << "variant " << static_cast<int>(variant) << ", "
                                                << la << " x " << lb << " digits in " << ranges
                                                << " ranges, seed " << base_seed());
                EXPECT_EQ(product_with(variant, a, b, '0', ranges), expected);
                EXPECT_EQ(product_with(variant, Digits(la, 9), Digits(lb, 9), 0, ranges),
                          expected_nines);
            }
        }
    }
}

namespace {

// The vector units' operations in plain C++ on the widest units' shape (16 columns a vector,
// 16 vectors, 4 groups at a time): the group path's shared code as the AVX-512 forms run it, on
// any processor. Halves: the column sums in two 16-bit halves (AVX-512BW), else whole (VNNI).
template <bool halves> struct PlainUnit {
    struct Vector {
        uint8_t bytes[64];
    };
    static constexpr size_t columns = 16, accumulators = 16, groups_at_once = 4;
    static constexpr size_t groups_per_flush = halves ? 404 : size_t{1} << 22;
    static constexpr size_t lane = halves ? 2 : 4; // bytes of a lane

    static void clear(Vector &v) { v = Vector{}; }
    static void broadcast(Vector &v, uint32_t group) {
        for (size_t i = 0; i < 64; i += 4) std::memcpy(v.bytes + i, &group, 4);
    }
    static void load(Vector &v, const uint32_t *windows) { std::memcpy(v.bytes, windows, 64); }
    static void multiply_add(Vector &sums, const Vector &windows, const Vector &group) {
        for (size_t i = 0; i < 64; i += lane) {
            uint32_t sum = 0;
            std::memcpy(&sum, sums.bytes + i, lane);
            for (size_t t = i; t < i + lane; ++t) sum += windows.bytes[t] * group.bytes[t];
            std::memcpy(sums.bytes + i, &sum, lane);
        }
    }
    static void store(void *to, const Vector &sums) { std::memcpy(to, sums.bytes, 64); }
    static uint32_t column_sum(uint32_t lane) {
        return halves ? (lane & 0xffff) + (lane >> 16) : lane;
    }
};

template <class Unit> Digits product_by_groups(const Digits &a, const Digits &b) {
    const detail::Factors f{a.data(), a.size(), b.data(), b.size(), 0};
    Digits scratch(scratch_bytes(a.size(), b.size())), product(a.size() + b.size());
    const detail::GroupScratch w = detail::prepare_groups(f, scratch.data());
    EXPECT_EQ(detail::groups_range<Unit>(f, w, 0, product.size(), product.data()), 0u);
    return product;
}

} // namespace

// The group path's loops on the widest units' shape: products of 16R +- 1 columns and a flush of
// the 16-bit halves (more than 404 groups), where this processor cannot run those units.
TEST(DigitProduct, GroupPathOnTheWidestUnitsShape) {
    std::mt19937_64 random(base_seed());
    std::uniform_int_distribution<int> digit(0, 9);
    const std::pair<size_t, size_t> shapes[] = {{190, 65}, {191, 66}, {192, 67}, {1700, 1650}};
    for (const auto &[la, lb] : shapes) {
        Digits a(la), b(lb);
        for (auto &d : a) d = static_cast<uint8_t>(digit(random));
        for (auto &d : b) d = static_cast<uint8_t>(digit(random));
        SCOPED_TRACE(testing::Message() << la << " x " << lb << " digits, seed " << base_seed());
        EXPECT_EQ(product_by_groups<PlainUnit<true>>(a, b), reference_product(a, b));
        EXPECT_EQ(product_by_groups<PlainUnit<false>>(a, b), reference_product(a, b));
        const Digits nines_a(la, 9), nines_b(lb, 9);
        EXPECT_EQ(product_by_groups<PlainUnit<true>>(nines_a, nines_b),
                  reference_product(nines_a, nines_b));
    }
}
