// The harness's own rules: escapes, the cases format, the oracle's reading of a clean stream and the
// generators' determinism (a seed must replay the same stream).
#include "data.hpp"
#include "oracle.hpp"
#include "streams.hpp"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

using namespace harness;

TEST(Escapes, RoundTripEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(unescape(escape(all)), all);
    EXPECT_EQ(unescape("a\\x20\\r\\n\\\\"), "a \r\n\\");
    EXPECT_EQ(unescape("Não"), "Não");
    EXPECT_EQ(unescape("1\\*3(0)\\n-\\*2(\\x41b)"), "1000\n-AbAb");
}

TEST(Cases, FileGivesHeadingsDefaultsAndErrors) {
    const char *path = "harness-cases.txt";
    std::ofstream(path) << "# sums\nin: 1\\n2\\n+\\n\nout: 3\\n\n\n# failures\nin: x\nout:\nexit: abort\nerr: boom\n";
    auto cases = read_cases(path);
    std::remove(path);
    ASSERT_EQ(cases.size(), 2u);
    EXPECT_EQ(cases[0].heading, "sums");
    EXPECT_EQ(cases[0].input, "1\n2\n+\n");
    EXPECT_EQ(cases[0].exit, "0");
    EXPECT_FALSE(cases[0].has_err);
    EXPECT_EQ(cases[1].heading, "failures");
    EXPECT_EQ(cases[1].output, "");
    EXPECT_EQ(cases[1].exit, "abort");
    EXPECT_EQ(cases[1].err, "boom");
}

TEST(Oracle, ZeroNeverSignedAndLastNewlineOptional) {
    EXPECT_EQ(expected_results("-0\n-0\n+\n-5\n5\n+\n0007\n-0003\n*"), "0\n0\n-21\n");
}

TEST(Streams, SeedReplaysTheSameStream) {
    std::mt19937_64 a(7), b(7);
    StreamShape shape{20, 100, 0.5};
    EXPECT_EQ(clean_stream(a, shape), clean_stream(b, shape));
    EXPECT_EQ(damaged_stream(a), damaged_stream(b));
}

TEST(Streams, CleanStreamsHoldOnlyTheCommonForm) {
    std::mt19937_64 random(11);
    std::string stream = clean_stream(random, StreamShape{200, 50, 0.5});
    EXPECT_EQ(stream.find_first_not_of("0123456789-+*\n"), std::string::npos);
    EXPECT_EQ(stream.find("\n\n"), std::string::npos);
    EXPECT_EQ(expected_results(stream).size() > 0, true);
}
