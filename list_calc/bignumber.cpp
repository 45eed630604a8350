// Digit lists: where nodes come from and go back to, the list operations and the printer.
#include "bignumber.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The sanitizer build poisons the nodes the pool holds (see below); elsewhere nothing is poisoned
// and the sanitizer's interface is not needed.
#if defined(__SANITIZE_ADDRESS__)
#define LIST_CALC_POISON_NODES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LIST_CALC_POISON_NODES 1
#endif
#endif

#if defined(LIST_CALC_POISON_NODES)
#include <sanitizer/asan_interface.h>
#endif

namespace list_calc {

namespace {

// Nodes are carved from large blocks, and released nodes wait to be handed out again with no
// cap, so a digit costs no trip through the allocator and a long calculation reuses its operands'
// nodes for its result. A released list is kept whole, as it is linked, so releasing it costs
// nothing per node. The blocks go back to the heap at the end of the run. In the sanitizer build
// every node the pool holds (released, or not carved yet) is poisoned, so that a use of it is
// reported where it happens instead of showing later as a wrong result; the pool itself lifts the
// poison from a node before it reads the node's link or hands it out.

// Forbids every use of the `count` nodes at `nodes` (sanitizer build; nothing elsewhere).
void envenenar([[maybe_unused]] DigitNode *nodes, [[maybe_unused]] std::size_t count) {
#if defined(LIST_CALC_POISON_NODES)
    ASAN_POISON_MEMORY_REGION(nodes, count * sizeof(DigitNode));
#endif
}

// Allows the use of the `count` nodes at `nodes` again (sanitizer build; nothing elsewhere).
void desenvenenar([[maybe_unused]] DigitNode *nodes, [[maybe_unused]] std::size_t count) {
#if defined(LIST_CALC_POISON_NODES)
    ASAN_UNPOISON_MEMORY_REGION(nodes, count * sizeof(DigitNode));
#endif
}

// Poisons every node of `list` (sanitizer build; elsewhere the list is not even walked).
void envenenarLista([[maybe_unused]] DigitNode *list) {
#if defined(LIST_CALC_POISON_NODES)
    while (list != nullptr) {
        DigitNode *next = list->next;
        envenenar(list, 1);
        list = next;
    }
#endif
}

constexpr std::size_t kNosPorBloco = 65535; // a block of about 1 MiB

struct Bloco {
    Bloco *anterior;             // the block allocated before this one; null for the first
    DigitNode nos[kNosPorBloco]; // the nodes, handed out in order
};

Bloco *ultimoBloco = nullptr;            // the newest block, head of the chain of blocks
std::size_t nosEntregues = kNosPorBloco; // nodes of the newest block handed out so far
DigitNode *nosLivres = nullptr;          // released nodes, handed out from the head
DigitNode **listasLivres = nullptr;      // released lists waiting for nosLivres to run out
std::size_t quantasListas = 0;           // lists in listasLivres
std::size_t capacidadeListas = 0;        // room in listasLivres, in lists

// Memory for `bytes`, as realloc of `old` gives it; a failure ends the run with no message, so
// the results written so far stay a clean prefix.
void *reservar(void *old, std::size_t bytes) {
    void *memory = std::realloc(old, bytes);
    if (memory == nullptr) {
        std::exit(1);
    }
    return memory;
}

// The head of the released nodes `list`, ready to hand out; the rest of the list waits in
// nosLivres.
DigitNode *tirarCabeca(DigitNode *list) {
    desenvenenar(list, 1);
    nosLivres = list->next;
    return list;
}

// A node when no released one is at hand: from the next list kept, or else from a block.
[[gnu::noinline]] DigitNode *noSemLivres() {
    if (quantasListas > 0) {
        return tirarCabeca(listasLivres[--quantasListas]);
    }
    if (nosEntregues == kNosPorBloco) {
        auto *bloco = static_cast<Bloco *>(reservar(nullptr, sizeof(Bloco)));
        bloco->anterior = ultimoBloco;
        ultimoBloco = bloco;
        nosEntregues = 0;
        envenenar(bloco->nos, kNosPorBloco);
    }
    DigitNode *node = &ultimoBloco->nos[nosEntregues++];
    desenvenenar(node, 1);
    return node;
}

// Short, so that it is inlined where digits are made; the rest waits in noSemLivres.
inline DigitNode *novoNo() {
    if (nosLivres == nullptr) {
        return noSemLivres();
    }
    return tirarCabeca(nosLivres);
}

// Doubles the room in listasLivres; a size no byte count can hold takes the failure path.
void crescerListas() {
    if (capacidadeListas > SIZE_MAX / 2 / sizeof(DigitNode *)) {
        std::exit(1);
    }
    capacidadeListas = capacidadeListas == 0 ? 64 : 2 * capacidadeListas;
    listasLivres =
        static_cast<DigitNode **>(reservar(listasLivres, capacidadeListas * sizeof(DigitNode *)));
}

// Keeps the non-empty `list` whole to hand its nodes out again.
void guardarLista(DigitNode *list) {
    envenenarLista(list);
    if (nosLivres == nullptr) {
        nosLivres = list;
        return;
    }
    if (quantasListas == capacidadeListas) {
        crescerListas();
    }
    listasLivres[quantasListas++] = list;
}

// The longest text "%d" writes for a value: "-2147483648".
constexpr std::size_t kMaiorValor = 11;

// Writes `value` as "%d" would at `out`, which has room for kMaiorValor + 1 bytes; returns the
// number of characters written.
std::size_t escreverValor(char *out, std::int32_t value) {
    if (value >= 0 && value <= 9) {
        *out = static_cast<char>('0' + value);
        return 1;
    }
    return static_cast<std::size_t>(std::snprintf(out, kMaiorValor + 1, "%d", value));
}

// Writes the values of `list`, then a newline, gathered in blocks: one library call per digit
// would make printing a long result several times slower than reading it.
void escreverValores(const DigitNode *list) {
    char block[4096];
    std::size_t used = 0;
    for (; list != nullptr; list = list->next) {
        if (sizeof block - used < kMaiorValor + 1) { // keeps room for one more value and "\n"
            std::fwrite(block, 1, used, stdout);
            used = 0;
        }
        used += escreverValor(block + used, list->value);
    }
    block[used++] = '\n';
    std::fwrite(block, 1, used, stdout);
}

} // namespace

DigitNode *criar_lista() {
    return nullptr;
}

void destruir_lista(DigitNode *list) {
    if (list != nullptr) {
        guardarLista(list);
    }
}

DigitNode *liberarCabeca(DigitNode *list) {
    if (list == nullptr) {
        return list;
    }
    DigitNode *next = list->next;
    list->next = nosLivres;
    nosLivres = list;
    envenenar(list, 1);
    return next;
}

void devolver_nos_guardados() {
    while (ultimoBloco != nullptr) {
        Bloco *anterior = ultimoBloco->anterior;
        desenvenenar(ultimoBloco->nos, kNosPorBloco);
        std::free(ultimoBloco);
        ultimoBloco = anterior;
    }
    std::free(listasLivres);
    listasLivres = nullptr;
    quantasListas = capacidadeListas = 0;
    nosEntregues = kNosPorBloco;
    nosLivres = nullptr;
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
        list = liberarCabeca(list);
    }
    return list != nullptr ? list : criarNo(criar_lista(), 0);
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
