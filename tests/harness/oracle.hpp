// The independent oracle: what a clean calculation stream must print, computed with GMP.
#pragma once
#include <string>

namespace harness {

// One result line per calculation of a clean stream (see clean_stream).
std::string expected_results(const std::string &clean_stream);

// The calculations of `stream` before its first line outside the common form (as --strict reads
// it), each line ended by one LF; `whole` is set when every line has the form and none is missing.
std::string common_form_prefix(const std::string &stream, bool &whole);

} // namespace harness
