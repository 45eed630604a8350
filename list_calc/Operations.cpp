// Dispatch: the sign rules of "+" and "-", and "*".
#include "Operations.hpp"

#include "Multiplicacao.hpp"
#include "Soma.hpp"
#include "Subtracao.hpp"

namespace list_calc {

ListNumber ChamaOperacao(ListNumber a, ListNumber b, char op) {
    if (op == '*') {
        return ChamarMult(a, b);
    }
    if (op == '-') {
        b.sign = b.sign == 0 ? 1 : 0; // a - b is a + (-b)
    }
    if (a.sign == b.sign) {
        return ChamarSoma(a, b);
    }
    return ChamarSub(a, b);
}

} // namespace list_calc
