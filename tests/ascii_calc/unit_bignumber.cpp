#include "BigNumber.hpp"
#include "calc_io.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace ascii_calc;

namespace {

// A record from its written form ("-0042"), leading zeros kept, as the reader would leave it.
CharNumber *numero(const std::string &escrito) {
    CharNumber *n = novo_bignumber();
    const bool negativo = escrito[0] == '-';
    const std::string digitos = escrito.substr(negativo ? 1 : 0);
    n->digits = static_cast<char *>(malloc(digitos.size() + 1));
    for (size_t i = 0; i < digitos.size(); ++i) n->digits[i] = digitos[digitos.size() - 1 - i];
    n->digits[digitos.size()] = '\0';
    n->length = static_cast<int32_t>(digitos.size());
    n->sign = negativo ? -1 : 1;
    return n;
}

// The written form of a record, as imprimir_big_number would print it without the newline.
std::string escrito(const CharNumber *n) {
    std::string s(n->sign == -1 ? "-" : "");
    for (int32_t i = n->length - 1; i >= 0; --i) s += n->digits[i];
    return s;
}

// Points standard input at the given bytes.
void entrada(const std::string &bytes) {
    char caminho[] = "/tmp/ascii_calc_unitXXXXXX";
    const int fd = mkstemp(caminho);
    ASSERT_NE(fd, -1);
    FILE *f = fdopen(fd, "w");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    ASSERT_NE(freopen(caminho, "r", stdin), nullptr);
    calc_io::read_standard_input();
    remove(caminho);
}

std::string operar(CharNumber *(*operacao)(CharNumber **, CharNumber **), const char *x,
                   const char *y) {
    CharNumber *a = numero(x);
    CharNumber *b = numero(y);
    a = remover_zero_esquerda(&a);
    b = remover_zero_esquerda(&b);
    a = operacao(&a, &b);
    const std::string resultado = escrito(a);
    liberar_bignumber(a);
    liberar_bignumber(b);
    return resultado;
}

std::string ler_escrito() {
    CharNumber *n = ler_bignumber(novo_bignumber());
    const std::string s = n->length == -1 ? "<fim>" : escrito(n);
    liberar_bignumber(n);
    return s;
}

} // namespace

TEST(Leitura, LinesOfAnyLengthAreReadWholeAcrossBufferGrowth) {
    for (size_t tamanho : {1, 9, 10, 11, 62, 63, 64, 65, 127, 128, 129, 1000}) {
        std::string linha;
        for (size_t i = 0; i < tamanho; ++i) linha += static_cast<char>('1' + i % 9);
        entrada(linha + "\n7\n");
        EXPECT_EQ(ler_escrito(), linha) << tamanho;
        EXPECT_EQ(ler_escrito(), "7") << tamanho;
    }
}

TEST(Leitura, MinusAnywhereNegatesAndOtherBytesAreIgnored) {
    entrada(std::string("12-3\n--5\n+1 2\t3x\n4\r5\n-\0"
                        "9\n",
                        25));
    EXPECT_EQ(ler_escrito(), "-123");
    EXPECT_EQ(ler_escrito(), "-5");
    EXPECT_EQ(ler_escrito(), "123");
    EXPECT_EQ(ler_escrito(), "45");
    EXPECT_EQ(ler_escrito(), "-9");
}

TEST(Leitura, LinesWithoutDigitsOrWithoutNewlineAreTheEndRecord) {
    entrada("\n-\nabc\n5\n123");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ler_escrito(), "<fim>") << i;
    EXPECT_EQ(ler_escrito(), "5");
    EXPECT_EQ(ler_escrito(), "<fim>"); // cut off by the end of input
    EXPECT_EQ(ler_escrito(), "<fim>");
}

TEST(Leitura, CarriageReturnBeforeNewlineFoldsIntoOneNewline) {
    entrada("45\r\n+\r\n\r\r\n");
    EXPECT_EQ(ler_escrito(), "45");
    EXPECT_EQ(proximo_byte(), '+');
    EXPECT_EQ(proximo_byte(), '\n');
    EXPECT_EQ(proximo_byte(), '\r'); // a lone CR is an ordinary byte
    EXPECT_EQ(proximo_byte(), '\n');
    EXPECT_EQ(proximo_byte(), EOF);
}

TEST(Ordem, LargerMagnitudeEndsFirstWhateverTheSigns) {
    // {first, second, the one that must end first}
    const char *casos[][3] = {{"5", "123", "123"},   {"123", "5", "123"},     {"-19", "21", "21"},
                              {"21", "-19", "21"},   {"120", "-121", "-121"}, {"901", "900", "901"},
                              {"900", "901", "901"}, {"-77", "77", "-77"}};
    for (auto &caso : casos) {
        CharNumber *a = numero(caso[0]);
        CharNumber *b = numero(caso[1]);
        CharNumber *original = a;
        ordenar_por_magnitude(&a, &b);
        EXPECT_EQ(escrito(a), caso[2]) << caso[0] << " " << caso[1];
        const bool fica = std::strcmp(caso[0], caso[2]) == 0; // also when the magnitudes are equal
        EXPECT_EQ(a == original, fica) << caso[0] << " " << caso[1];
        liberar_bignumber(a);
        liberar_bignumber(b);
    }
}

TEST(SomaAuxiliar, EachSignRowGivesItsMagnitudeAndRestoresTheSigns) {
    const char *linhas[][3] = {
        {"5", "3", "8"}, {"5", "-3", "2"}, {"-5", "3", "-2"}, {"-5", "-3", "-8"}};
    for (auto &linha : linhas) {
        CharNumber *a = numero(linha[0]);
        CharNumber *b = numero(linha[1]);
        const int16_t sinal_b = b->sign;
        a = auxiliar_soma(&a, &b);
        EXPECT_EQ(escrito(a), linha[2]);
        EXPECT_EQ(b->sign, sinal_b);
        liberar_bignumber(a);
        liberar_bignumber(b);
    }
}

TEST(SomaAuxiliar, CarryRipplesThroughNinesIntoANewDigit) {
    EXPECT_EQ(operar(somar_bignumbers, "999", "1"), "1000");
    EXPECT_EQ(operar(somar_bignumbers, "1", "9999999999"), "10000000000");
    EXPECT_EQ(operar(somar_bignumbers, "-999", "-1"), "-1000");
    EXPECT_EQ(operar(somar_bignumbers, "9899", "1"), "9900");
}

TEST(SomaAuxiliar, BorrowRunsOverZerosAndLeadingZerosGo) {
    EXPECT_EQ(operar(subtrair_bignumbers, "1000", "1"), "999");
    EXPECT_EQ(operar(subtrair_bignumbers, "100", "99"), "1");
    EXPECT_EQ(operar(somar_bignumbers, "10001", "-9999"), "2");
    EXPECT_EQ(operar(somar_bignumbers, "19", "-21"), "-2");
}

TEST(SomaAuxiliar, EqualMagnitudesOfOppositeSignGiveZeroNeverNegative) {
    EXPECT_EQ(operar(somar_bignumbers, "5", "-5"), "0");
    EXPECT_EQ(operar(somar_bignumbers, "-5", "5"), "0");
    EXPECT_EQ(operar(subtrair_bignumbers, "-123456789", "-123456789"), "0");
    EXPECT_EQ(operar(subtrair_bignumbers, "-000", "-0"), "0");
}

TEST(Subtracao, IsAdditionOfTheNegatedSecondOperand) {
    EXPECT_EQ(operar(subtrair_bignumbers, "3", "5"), "-2");
    EXPECT_EQ(operar(subtrair_bignumbers, "-3", "-5"), "2");
    EXPECT_EQ(operar(subtrair_bignumbers, "-3", "5"), "-8");
    CharNumber *a = numero("3");
    CharNumber *b = numero("5");
    CharNumber *segundo = b;
    a = subtrair_bignumbers(&a, &b);
    EXPECT_EQ(segundo->sign, -1); // the second operand keeps its negated sign
    liberar_bignumber(a);
    liberar_bignumber(b);
}

TEST(ZerosEsquerda, DropsLeadingZerosAndTurnsAnyZeroIntoPlainZero) {
    const char *casos[][2] = {{"00120", "120"}, {"-0042", "-42"}, {"000", "0"},  {"-000", "0"},
                              {"-0", "0"},      {"7", "7"},       {"-70", "-70"}};
    for (auto &caso : casos) {
        CharNumber *n = numero(caso[0]);
        n = remover_zero_esquerda(&n);
        EXPECT_EQ(escrito(n), caso[1]) << caso[0];
        EXPECT_EQ(n->digits[n->length], '\0') << caso[0];
        liberar_bignumber(n);
    }
}

TEST(Produto, FillsTheBufferToItsLastPosition) {
    EXPECT_EQ(operar(multiplicar_bignumbers, "99999999", "99999999"), "9999999800000001");
    EXPECT_EQ(operar(multiplicar_bignumbers, "9", "9"), "81");
    const std::string noves(300, '9');
    // (10^300 - 1)^2 = 10^600 - 2 * 10^300 + 1
    EXPECT_EQ(operar(multiplicar_bignumbers, noves.c_str(), noves.c_str()),
              std::string(299, '9') + "8" + std::string(299, '0') + "1");
}

TEST(Produto, SignFollowsTheOperandsAndZeroHasNone) {
    EXPECT_EQ(operar(multiplicar_bignumbers, "0", "-7"), "0");
    EXPECT_EQ(operar(multiplicar_bignumbers, "-7", "000"), "0");
    EXPECT_EQ(operar(multiplicar_bignumbers, "-12", "12"), "-144");
    EXPECT_EQ(operar(multiplicar_bignumbers, "-12", "-12"), "144");
    EXPECT_EQ(operar(multiplicar_bignumbers, "1020", "-304"), "-310080");
}

TEST(Produto, ReplacesTheFirstOperandAndLeavesTheSecond) {
    CharNumber *a = numero("-25");
    CharNumber *b = numero("4");
    CharNumber *retorno = multiplicar_bignumbers(&a, &b);
    EXPECT_EQ(retorno, a);
    EXPECT_EQ(escrito(a), "-100");
    EXPECT_EQ(escrito(b), "4");
    liberar_bignumber(a);
    liberar_bignumber(b);
}

TEST(Impressao, PrintsMostSignificantFirstAcrossLongNumbers) {
    std::string longo("-8");
    for (int i = 0; i < 10000; ++i) longo += static_cast<char>('0' + (i * 7 + 3) % 10);
    for (const std::string &texto : {std::string("-42"), std::string("0"), longo}) {
        CharNumber *n = numero(texto);
        testing::internal::CaptureStdout();
        imprimir_big_number(n);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), texto + "\n");
        liberar_bignumber(n);
    }
}
