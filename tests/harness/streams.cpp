#include "streams.hpp"

namespace harness {
namespace {

int uniform(std::mt19937_64 &random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

bool chance(std::mt19937_64 &random, double p) { return std::bernoulli_distribution(p)(random); }

// Lengths either side of the widths of the multiplication kernel (common/digit_product.hpp): short
// factors and column groups of 64 digits, blocks of 512 columns; list_calc's blocks of 768 rows.
int edge_length(std::mt19937_64 &random, int max_digits) {
    static const int lengths[] = {63, 64, 65, 127, 128, 129, 511, 512, 513, 767, 768, 769};
    int length = lengths[uniform(random, 0, 11)];
    return length <= max_digits ? length : max_digits;
}

std::string operand(std::mt19937_64 &random, const StreamShape &shape) {
    std::string text;
    if (chance(random, 0.4)) text += '-';
    if (chance(random, 0.05)) return text + std::string(static_cast<size_t>(uniform(random, 1, 3)), '0');
    int digits = 0;
    if (chance(random, shape.long_share)) {
        digits = edge_length(random, shape.max_digits);
        if (chance(random, 0.5)) // all nines: the largest column sums a product can have
            return text + std::string(static_cast<size_t>(digits), '9');
    } else {
        digits = chance(random, shape.long_share) ? uniform(random, 1, shape.max_digits)
                                                  : uniform(random, 1, 40);
    }
    int zeros = chance(random, 0.1) ? uniform(random, 1, std::min(5, digits)) : 0;
    text.append(static_cast<size_t>(zeros), '0');
    for (int i = zeros; i < digits; ++i) {
        // Runs of nines and zeros make carries and borrows travel far.
        int kind = uniform(random, 0, 9);
        char digit = kind == 0 ? '9' : kind == 1 ? '0' : static_cast<char>('0' + uniform(random, 0, 9));
        text += (i == zeros && digit == '0') ? '1' : digit;
    }
    return text;
}

} // namespace

std::string clean_stream(std::mt19937_64 &random, const StreamShape &shape) {
    static const char operators[] = "+-*";
    std::string stream;
    for (int i = 0; i < shape.calculations; ++i) {
        stream += operand(random, shape) + '\n';
        stream += operand(random, shape) + '\n';
        stream += operators[uniform(random, 0, 2)];
        if (i + 1 < shape.calculations || chance(random, 0.7)) stream += '\n';
    }
    return stream;
}

std::string damaged_stream(std::mt19937_64 &random) {
    if (chance(random, 0.02)) return "";
    StreamShape shape{uniform(random, 1, 6), 60, 0.2};
    std::string clean = clean_stream(random, shape);
    if (chance(random, 0.05)) { // no structure at all
        std::string noise;
        for (int i = uniform(random, 1, 200); i > 0; --i) noise += static_cast<char>(uniform(random, 0, 255));
        return noise;
    }
    static const std::string stray = std::string("+- \t\r\x01\x7f\xff\xc3\xa9/.,a=", 16) + '\0';
    bool crlf = chance(random, 0.3);
    double stray_rate = chance(random, 0.5) ? 0.05 : 0.0;
    double blank_rate = chance(random, 0.3) ? 0.15 : 0.0;
    double operator_rate = chance(random, 0.3) ? 0.3 : 0.0;
    std::string damaged;
    bool line_start = true;
    for (size_t i = 0; i < clean.size(); ++i) {
        char c = clean[i];
        if (line_start && chance(random, blank_rate)) damaged += crlf ? "\r\n" : "\n";
        bool operator_line = (c == '+' || c == '*' || (c == '-' && (i + 1 == clean.size() || clean[i + 1] == '\n')));
        if (line_start && operator_line && chance(random, operator_rate)) {
            int kind = uniform(random, 0, 3);
            if (kind == 0) c = stray[static_cast<size_t>(uniform(random, 0, static_cast<int>(stray.size()) - 1))];
            else if (kind == 1) { line_start = false; continue; } // empty operator line
            else if (kind == 2) damaged += c, c = ' ';             // a blank after the operator
            else damaged += c, c = static_cast<char>(uniform(random, 33, 126));
        }
        if (chance(random, stray_rate))
            damaged += stray[static_cast<size_t>(uniform(random, 0, static_cast<int>(stray.size()) - 1))];
        if (c == '\n' && crlf) damaged += '\r';
        damaged += c;
        line_start = c == '\n';
    }
    if (chance(random, 0.3)) damaged.resize(static_cast<size_t>(uniform(random, 0, static_cast<int>(damaged.size()))));
    return damaged;
}

} // namespace harness
