#include "bigNumber.hpp"

#include <cstdio>

// Reads calculations until the input ends and prints one result line for each.
int main() {
    using namespace string_calc;
    for (;;) {
        NumberText *a = readNumber();
        if (a == nullptr) return endOfRun();
        NumberText *b = readNumber();
        if (b == nullptr) {
            liberaMemoria(a);
            return endOfRun();
        }
        NumberText *result = verificaOperacao(a, b);
        if (result == nullptr) {
            // No operator: at end of input the calculation is dropped; anything else ends the run.
            liberaMemoria(a);
            liberaMemoria(b);
            return inputEnded() ? endOfRun() : 1;
        }
        std::puts(result->digits);
        liberaMemoria(a);
        liberaMemoria(b);
        liberaMemoria(result);
        nextByte(); // the newline that ends the operator line
    }
}
