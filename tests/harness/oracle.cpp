#include "oracle.hpp"

#include <algorithm>
#include <gmpxx.h>
#include <sstream>

namespace harness {

std::string expected_results(const std::string &clean_stream) {
    std::istringstream lines(clean_stream);
    std::string first, second, op, results;
    while (std::getline(lines, first) && std::getline(lines, second) && std::getline(lines, op)) {
        mpz_class a(first, 10), b(second, 10), r;
        if (op == "+") r = a + b;
        else if (op == "-") r = a - b;
        else r = a * b;
        results += r.get_str() + '\n';
    }
    return results;
}

std::string common_form_prefix(const std::string &stream, bool &whole) {
    auto operand = [](const std::string &line) {
        size_t digits = line.rfind('-', 0) == 0 ? 1 : 0;
        return line.size() > digits && line.find_first_not_of("0123456789", digits) == std::string::npos;
    };
    std::string complete, calculation;
    int part = 0; // the line of the calculation expected next: 0, 1 (operands) or 2 (operator)
    for (size_t at = 0; at < stream.size();) {
        size_t end = std::min(stream.find('\n', at), stream.size());
        std::string line = stream.substr(at, end - at);
        if (end < stream.size() && !line.empty() && line.back() == '\r') line.pop_back();
        at = end + 1;
        if (part == 0 && line.empty()) continue; // an empty line between calculations
        whole = part < 2 ? operand(line) : line == "+" || line == "-" || line == "*";
        if (!whole) return complete;
        calculation += line + '\n';
        if (++part == 3) complete += calculation, calculation.clear(), part = 0;
    }
    whole = part == 0;
    return complete;
}

} // namespace harness
