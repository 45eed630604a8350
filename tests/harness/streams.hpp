// Seeded calculation streams: clean ones that every calculator reads alike, and damaged ones.
#pragma once
#include <cstdint>
#include <random>
#include <string>

namespace harness {

struct StreamShape {
    int calculations = 100;  // calculations in the stream
    int max_digits = 5000;   // the longest operand, in digits (leading zeros included)
    double long_share = 0.1; // share of operands drawn up to max_digits; the rest have 1 to 40
};

// A stream of the common form: operand lines of digits with an optional "-" (leading zeros, "-0"
// and "0" included), operator lines "+", "-", "*"; the last operator line may lack its newline.
std::string clean_stream(std::mt19937_64 &random, const StreamShape &shape);

// A clean stream of short operands, then damaged: CR LF line ends, stray bytes, empty lines,
// invalid or empty operator lines, bytes after the operator, a cut at a random byte, or no bytes.
std::string damaged_stream(std::mt19937_64 &random);

} // namespace harness
