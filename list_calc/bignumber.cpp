// Digit lists: where nodes come from and go back to, the list operations and the printer.
#include "bignumber.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace list_calc {

namespace {

// Nodes are carved from large blocks, and released nodes wait to be handed out again with no
// cap, so a digit costs no trip through the allocator and a long calculation reuses its operands'
// nodes for its result. A released list is kept whole, as it is linked, so releasing it costs
// nothing per node. The blocks go back to the heap at the end of the run. The sanitizer build
// gives every node its own allocation instead, so that a node used after its release is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kNoAvulso = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kNoAvulso = true;
#else
constexpr bool kNoAvulso = false;
#endif
#else
constexpr bool kNoAvulso = false;
#endif

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

// A node when no released one is at hand: from the next list kept, or else from a block.
[[gnu::noinline]] DigitNode *noSemLivres() {
    if (quantasListas > 0) {
        DigitNode *node = listasLivres[--quantasListas];
        nosLivres = node->next;
        return node;
    }
    if (nosEntregues == kNosPorBloco) {
        auto *bloco = static_cast<Bloco *>(reservar(nullptr, sizeof(Bloco)));
        bloco->anterior = ultimoBloco;
        ultimoBloco = bloco;
        nosEntregues = 0;
    }
    return &ultimoBloco->nos[nosEntregues++];
}

// Short, so that it is inlined where digits are made; the rest waits in noSemLivres.
inline DigitNode *novoNo() {
    if (kNoAvulso) {
        return static_cast<DigitNode *>(reservar(nullptr, sizeof(DigitNode)));
    }
    DigitNode *node = nosLivres;
    if (node == nullptr) {
        return noSemLivres();
    }
    nosLivres = node->next;
    return node;
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

// Keeps the non-empty `list` whole to hand its nodes out again (never in the sanitizer build).
void guardarLista(DigitNode *list) {
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
    if (!kNoAvulso && list != nullptr) {
        guardarLista(list);
        return;
    }
    while (list != nullptr) {
        list = liberarCabeca(list);
    }
}

DigitNode *liberarCabeca(DigitNode *list) {
    if (list == nullptr) {
        return list;
    }
    DigitNode *next = list->next;
    if (kNoAvulso) {
        std::free(list);
    } else {
        list->next = nosLivres;
        nosLivres = list;
    }
    return next;
}

void devolver_nos_guardados() {
    while (ultimoBloco != nullptr) {
        Bloco *anterior = ultimoBloco->anterior;
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
