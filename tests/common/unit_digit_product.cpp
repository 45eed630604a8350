// Every variant of the digit-product kernel that this processor runs gives the schoolbook product,
// on lengths either side of the kernel's widths and on all-9 factors (the largest column sums).
#include "digit_product.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

// a * b by one variant, the digits handed over as the bytes zero + value.
Digits product_with(Variant variant, Digits a, Digits b, uint8_t zero) {
    for (auto &d : a) d = static_cast<uint8_t>(d + zero);
    for (auto &d : b) d = static_cast<uint8_t>(d + zero);
    // A byte of the same filling before the scratch, where the heap may hold a zero: a read before
    // the scratch gives a wrong product (one past its end is the sanitizers' to find).
    Digits product(a.size() + b.size(), 0xEE), scratch(1 + scratch_bytes(a.size(), b.size()), 0xEE);
    multiply_with(variant, a.data(), a.size(), b.data(), b.size(), zero, scratch.data() + 1,
                  product.data());
    for (auto &d : product) d = static_cast<uint8_t>(d - zero);
    return product;
}

const Variant variants[] = {Variant::portable, Variant::avx2, Variant::avx512};

uint64_t base_seed() {
    const char *seed = std::getenv("CALC_SEED");
    return seed ? std::strtoull(seed, nullptr, 10) : 20261208;
}

} // namespace

TEST(DigitProduct, EveryVariantGivesTheSchoolbookProduct) {
    // Vector widths (16 to 64 bytes), the short-factor limit and the column groups (64), the row
    // block (512 columns), each side of them, odd and even.
    const size_t lengths[] = {1,  2,  3,  16,  17,  31,  32,  33,  63,
                              64, 65, 66, 127, 128, 129, 511, 512, 513};
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
