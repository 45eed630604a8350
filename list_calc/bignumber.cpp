#include "bignumber.hpp"

#include <cstdio>
#include <cstdlib>

namespace list_calc {

DigitNode *criar_lista() { return nullptr; }

void destruir_lista(DigitNode *list) {
    while (list != nullptr) {
        DigitNode *next = list->next;
        std::free(list);
        list = next;
    }
}

DigitNode *criarNo(DigitNode *list, std::int32_t value) {
    auto *node = static_cast<DigitNode *>(std::malloc(sizeof(DigitNode)));
    if (node == nullptr) {
        std::exit(1); // no message: the results written so far stay a clean prefix
    }
    node->value = value;
    node->next = list;
    return node;
}

DigitNode *inverte(DigitNode *tail, DigitNode *list) {
    DigitNode *previous = tail;
    while (list != nullptr) {
        DigitNode *next = list->next;
        list->next = previous;
        previous = list;
        list = next;
    }
    return previous;
}

DigitNode *FormatNum(DigitNode *list) {
    while (list != nullptr && list->value == 0) {
        DigitNode *next = list->next;
        std::free(list);
        list = next;
    }
    return list != nullptr ? list : criarNo(criar_lista(), 0);
}

// Writes the values of `list` as "%d" would, gathered in blocks: one library call per digit
// would make printing a long result several times slower than reading it.
static void escreverValores(const DigitNode *list) {
    char block[4096];
    std::size_t used = 0;
    for (; list != nullptr; list = list->next) {
        if (used > sizeof block - 16) {
            std::fwrite(block, 1, used, stdout);
            used = 0;
        }
        if (list->value >= 0 && list->value <= 9) {
            block[used++] = static_cast<char>('0' + list->value);
        } else {
            used += static_cast<std::size_t>(
                std::snprintf(block + used, sizeof block - used, "%d", list->value));
        }
    }
    block[used++] = '\n';
    std::fwrite(block, 1, used, stdout);
}

void imprimirLista(const DigitNode *list) { escreverValores(list); }

void printBigNumber(ListNumber number) {
    if (number.sign == 1) {
        std::putchar('-');
    }
    escreverValores(number.digits);
}

} // namespace list_calc
