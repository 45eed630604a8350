// Feeds the program's byte reader from a string during a test.
#pragma once

#include "bignumber.hpp"

#include <cstdio>
#include <string>

namespace batch_calc {

// Routes next_byte to a temporary file holding `bytes` for as long as it lives.
struct test_input {
    FILE *file;
    explicit test_input(const std::string &bytes) : file(tmpfile()) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        rewind(file);
        read_input_from(file);
    }
    ~test_input() { fclose(file); }
};

} // namespace batch_calc
