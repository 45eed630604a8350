// Helpers for the unit tests: build digit lists from text and read them back.
#pragma once

#include <string>

#include "bignumber.hpp"

namespace list_calc::teste {

// The list of `text` as the driver builds an operand: the last character at the head.
inline DigitNode *unidadesPrimeiro(const std::string &text) {
    DigitNode *list = criar_lista();
    for (char c : text) list = criarNo(list, c - '0');
    return list;
}

// The list of `text` in reading order: the first character at the head.
inline DigitNode *maisSignificativoPrimeiro(const std::string &text) {
    DigitNode *list = criar_lista();
    for (auto it = text.rbegin(); it != text.rend(); ++it) list = criarNo(list, *it - '0');
    return list;
}

// The values of `list` in list order, each as its decimal text, separated by nothing.
inline std::string texto(const DigitNode *list) {
    std::string out;
    for (; list != nullptr; list = list->next) out += std::to_string(list->value);
    return out;
}

// An operand as the driver reads it: "-" in front marks it negative.
inline ListNumber operando(const std::string &text) {
    bool negativo = !text.empty() && text[0] == '-';
    return ListNumber{negativo ? 1 : 0, unidadesPrimeiro(negativo ? text.substr(1) : text)};
}

// A result as its line reads, without the newline; releases its list.
inline std::string linhaDe(ListNumber result) {
    std::string out = result.sign == 1 ? "-" : "";
    out += texto(result.digits);
    destruir_lista(result.digits);
    return out;
}

} // namespace list_calc::teste
