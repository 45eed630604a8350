// Digit lists: the node, the signed number and the list operations every module builds on.
#pragma once

#include <cstdint>

namespace list_calc {

// One decimal digit of a number. A list is a pointer to its first node; the empty list is null.
// Whoever holds a list owns all of its nodes and releases them with destruir_lista.
struct DigitNode {
    std::int32_t value; // the digit value: 0 to 9 (more in a product's unsettled running sum)
    DigitNode *next;    // the following node; null at the end of the list
};

// A signed number, passed and returned by value; the holder owns `digits`.
struct ListNumber {
    std::int32_t sign; // 1 when the number is negative, 0 otherwise
    DigitNode *digits; // the first node of the digit list
};

// The empty list.
DigitNode *criar_lista();
// Frees every node of `list` (possibly empty).
void destruir_lista(DigitNode *list);
// Frees the head node of `list` (possibly empty) and returns the rest of the list.
DigitNode *liberarCabeca(DigitNode *list);
// Gives all node memory back to the heap; only once no list is left, at the end of a run.
void devolver_nos_guardados();
// A new node holding `value` in front of `list`; exits with status 1 when memory runs out.
DigitNode *criarNo(DigitNode *list, std::int32_t value);
// Reverses `list` in place, hangs `tail` behind its old head and returns the new head.
DigitNode *inverte(DigitNode *tail, DigitNode *list);
// Frees the 0 nodes at the head of `list`; returns the first other node, or a new lone node 0.
DigitNode *FormatNum(DigitNode *list);
// Writes every value of `list` in list order, then a newline; no sign.
void imprimirLista(const DigitNode *list);
// Writes "-" when `number` is negative, then its digits in list order, then a newline.
void printBigNumber(ListNumber number);

} // namespace list_calc
