// Benchmark peer: the calculation stream evaluated with GMP, with whole-buffer input and output.
// It reads clean streams only (operand lines of digits with an optional "-", operator lines).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gmp.h>
#include <string>

namespace {

std::string read_all() {
    std::string data;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, n);
    return data;
}

// Takes the next line, without its newline, as a NUL-terminated string inside `data`.
char *next_line(std::string &data, size_t &at) {
    if (at >= data.size()) return nullptr;
    char *line = &data[at];
    size_t end = data.find('\n', at);
    if (end == std::string::npos) end = data.size();
    data[end] = '\0';
    at = end + 1;
    return line;
}

} // namespace

int main() {
    std::string data = read_all();
    data.push_back('\0');
    size_t at = 0;
    mpz_t a, b, r;
    mpz_inits(a, b, r, nullptr);
    std::string out;
    char *first, *second, *op;
    while ((first = next_line(data, at)) && (second = next_line(data, at)) && (op = next_line(data, at))) {
        if (*first == '\0' || mpz_set_str(a, first, 10) != 0 || mpz_set_str(b, second, 10) != 0) break;
        if (*op == '+') mpz_add(r, a, b);
        else if (*op == '-') mpz_sub(r, a, b);
        else mpz_mul(r, a, b);
        size_t start = out.size();
        out.resize(start + mpz_sizeinbase(r, 10) + 2);
        mpz_get_str(&out[start], 10, r);
        out.resize(start + std::strlen(&out[start]));
        out.push_back('\n');
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    mpz_clears(a, b, r, nullptr);
    return 0;
}
