#include "bignumber.hpp"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace list_calc {

DigitNode *criar_lista() {
    return nullptr;
}

// Released nodes wait in this stack to be handed out again: a short calculation then costs no
// trip through the allocator's bookkeeping per digit. The stack is bounded, so a long
// calculation still gives its memory back. The sanitizer build keeps none, so that a node used
// after its release is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define LIST_CALC_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LIST_CALC_SANITIZED 1
#endif
#endif
#if defined(LIST_CALC_SANITIZED)
constexpr std::size_t kNosGuardadosMax = 0;
#else
constexpr std::size_t kNosGuardadosMax = std::size_t{1} << 16;
#endif
static DigitNode *nosGuardados = nullptr;
static std::size_t quantosGuardados = 0;

static void liberarNo(DigitNode *node) {
    if (quantosGuardados < kNosGuardadosMax) {
        node->next = nosGuardados;
        nosGuardados = node;
        ++quantosGuardados;
    } else {
        std::free(node);
    }
}

static DigitNode *novoNo() {
    if (nosGuardados != nullptr) {
        DigitNode *node = nosGuardados;
        nosGuardados = node->next;
        --quantosGuardados;
        return node;
    }
    auto *node = static_cast<DigitNode *>(std::malloc(sizeof(DigitNode)));
    if (node == nullptr) {
        std::exit(1); // no message: the results written so far stay a clean prefix
    }
    return node;
}

void devolver_nos_guardados() {
    while (nosGuardados != nullptr) {
        DigitNode *next = nosGuardados->next;
        std::free(nosGuardados);
        nosGuardados = next;
    }
    quantosGuardados = 0;
}

void destruir_lista(DigitNode *list) {
    while (list != nullptr) {
        DigitNode *next = list->next;
        liberarNo(list);
        list = next;
    }
}

DigitNode *criarNo(DigitNode *list, std::int32_t value) {
    DigitNode *node = novoNo();
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
        liberarNo(list);
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

void imprimirLista(const DigitNode *list) {
    escreverValores(list);
}

void printBigNumber(ListNumber number) {
    if (number.sign == 1) {
        std::putchar('-');
    }
    escreverValores(number.digits);
}

} // namespace list_calc
