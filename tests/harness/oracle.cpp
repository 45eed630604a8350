#include "oracle.hpp"

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

} // namespace harness
