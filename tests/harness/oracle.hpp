// The independent oracle: what a clean calculation stream must print, computed with GMP.
#pragma once
#include <string>

namespace harness {

// One result line per calculation of a clean stream (see clean_stream).
std::string expected_results(const std::string &clean_stream);

} // namespace harness
