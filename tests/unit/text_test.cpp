#include "services/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

std::string Hex(const std::string& text) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
        out += ' ';
    }
    return out;
}

// Switches to a locale whose decimal point is not "." for the life of the object, if the
// machine has one.
class CommaDecimalLocale {
public:
    CommaDecimalLocale() {
        const char* saved = std::setlocale(LC_ALL, nullptr);
        saved_ = saved ? saved : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "ru_RU.UTF-8", "German_Germany.1252"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                active_ = std::string(std::localeconv()->decimal_point) != ".";
                if (active_) return;
            }
        }
        std::setlocale(LC_ALL, saved_.c_str());
    }
    ~CommaDecimalLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

}  // namespace

TEST(GbkLiterals, NarrowLiteralsAreCodePage936) {
    const std::string name = "新任务1.kpx";
    EXPECT_EQ(name.size(), 11u);
    EXPECT_EQ(Hex("新"), "D0 C2 ");
    EXPECT_EQ(TextLength(name), 11);
}

TEST(TextIntegerToText, Table) {
    const struct { std::int32_t value; const char* text; } cases[] = {
        {0, "0"}, {1234, "1234"}, {-5, "-5"},
        {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IntegerToText(c.value), c.text);
    }
}

TEST(TextRealToText, Table) {
    const struct { double value; const char* text; } cases[] = {
        {0.1 * 3, "0.3"},
        {7 * 0.1, "0.7"},
        {1234.0, "1234"},
        {1500.0, "1500"},
        {-2.5, "-2.5"},
        {1.0 / 3, "0.3333333333333"},
        {2.0 / 3, "0.6666666666667"},
        {3.14159265358979, "3.14159265359"},
        {0.0001, "0.0001"},
        {0.00001, "1e-005"},
        {1000000000000.0, "1000000000000"},
        {10000000000000.0, "1e+013"},
        {123456789012345.0, "1.234567890123e+014"},
        // Exponents that already have three digits, and the extremes of a double.
        {1e100, "1e+100"},
        {-1.5e-300, "-1.5e-300"},
        {1.7976931348623157e308, "1.797693134862e+308"},
        {4.9406564584124654e-324, "4.940656458412e-324"},
        // Rounding to 13 digits can carry into a new exponent.
        {9999999999999.5, "1e+013"},
        {0.0, "0"},
        {kInf, "inf"},
        {-kInf, "-inf"},
        {kNaN, "nan"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RealToText(c.value), c.text);
    }
}

TEST(TextRealToText, WholeRealMatchesIntegerText) {
    // Event sections named by a real counter must be found under their integer names.
    for (const int i : {1, 2, 10, 99, 12345, -7}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(RealToText(static_cast<double>(i)), IntegerToText(i));
    }
    EXPECT_EQ(RealToText(2.0), "2");
}

TEST(TextRealToText, PointIsDotInEveryLocale) {
    CommaDecimalLocale locale;
    if (!locale.active()) GTEST_SKIP() << "no locale with a comma decimal point installed";
    EXPECT_EQ(RealToText(-2.5), "-2.5");
    EXPECT_EQ(RealToText(123456789012345.0), "1.234567890123e+014");
    EXPECT_EQ(TextToNumber("12.5"), 12.5);
    EXPECT_EQ(FormatNumber(1234.5, 1, true), "1,234.5");
}

TEST(TextToNumber, Table) {
    const struct { const char* text; double value; } cases[] = {
        {"", 0},
        {"3.5", 3.5},
        {"-7", -7},
        {"  12abc", 12},
        {"\t42", 42},
        {"１２", 12},
        {"１２．５", 12.5},
        {"－５", -5},
        {"　８", 8},
        {"１２３ ４", 123},
        {"abc", 0},
        {"1,234", 1},
        {"0x1A", 0},
        {".5", 0.5},
        {"1e3", 1000},
        // strtod's white space, signs and incomplete parts.
        {"\n\v\f\r 7", 7},
        {"+3", 3},
        {"-.5", -0.5},
        {"5.", 5},
        {".", 0},
        {"-", 0},
        {".e5", 0},
        {"1e", 1},
        {"1e+", 1},
        {"2E-2", 0.02},
        {"１ｅ３", 1000},
        {"＋５", 5},
        // Forms strtod would read but no task file means.
        {"inf", 0},
        {"-infinity", 0},
        {"nan", 0},
        {"0X10", 0},
        // A character that is not full-width stops the reading; a cut character ends the text.
        {"新12", 0},
        {"12\xA3", 12},
        {"\xA3", 0},
        {"\xA3\xB1\xA3", 1},
        // Out of range: strtod's infinity and zero.
        {"1e400", kInf},
        {"-1e400", -kInf},
        {"1e99999999999999999999", kInf},
        {"1e-400", 0},
        {"0e99999", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToNumber(c.text), c.value);
    }
    EXPECT_TRUE(std::signbit(TextToNumber("-1e-400")));
    EXPECT_TRUE(std::signbit(TextToNumber("-0")));
}

TEST(TextToNumber, RoundsLikeStrtod) {
    // Inputs where a naive digit-by-digit reading rounds wrongly; the process runs in the "C"
    // locale, so strtod is the reference.
    const char* cases[] = {
        "0.1",
        "0.30000000000000004",
        "9007199254740993",
        "1.00000000000000011102230246251565404236316680908203125",
        "1.00000000000000011102230246251565404236316680908203126",
        "2.2250738585072011e-308",
        "2.2250738585072014e-308",
        "4.9406564584124654e-324",
        "2.4703282292062327e-324",
        "2.4703282292062328e-324",
        "1.7976931348623157e308",
        "1.7976931348623158e308",
        "1.7976931348623159e308",
        "123456789012345678901234567890e-20",
        "0.000000000000000000000000000000000000001234567",
        "7.038531e-26",
        "1234.5678e2",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(TextToNumber(text), std::strtod(text, nullptr));
    }
}

TEST(TextRealToInteger, Table) {
    const struct { double value; std::int32_t integer; } cases[] = {
        {12.9, 12},
        {-12.9, -12},
        {0.5, 0},
        {-0.5, 0},
        {2147483647.0, 2147483647},
        {2147483648.0, -2147483647 - 1},
        {4294967297.0, 1},
        {-2147483649.0, 2147483647},
        {1e20, 0},
        {-1e20, 0},
        // The edges of the 64-bit range: 2^63 is outside, -2^63 inside.
        {9223372036854775808.0, 0},
        {9223372036854774784.0, -1024},
        {-9223372036854775808.0, 0},
        {-9223372036854773760.0, 2048},
        {kInf, 0},
        {-kInf, 0},
        {kNaN, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RealToInteger(c.value), c.integer);
    }
}

TEST(TextTruncateReal, Table) {
    const struct { double value; std::int32_t integer; } cases[] = {
        {1.0000000000000002, 1},
        {0.9999999999995, 1},
        {1.9999999999999, 2},
        {2.9999999, 2},
        {0.99999, 0},
        {0.0, 0},
        {2147483648.0, -2147483647 - 1},
        {kInf, 0},
        {kNaN, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(TruncateReal(c.value), c.integer);
    }
}

TEST(TextRealRemainder, KeepsSignOfDividendAndIsExact) {
    EXPECT_EQ(RealRemainder(7.5, 60), 7.5);
    EXPECT_EQ(RealRemainder(60.00000000000001, 60), 7.105427357601002e-15);
    EXPECT_EQ(RealRemainder(-7.5, 60), -7.5);
    EXPECT_EQ(RealRemainder(999.9000000000001, 60), 999.9000000000001 - 960);
}

TEST(TextFormatNumber, Table) {
    const std::optional<int> none;
    const struct { double x; std::optional<int> decimals; bool separators; const char* text; } cases[] = {
        {1234, none, true, "1,234"},
        {5, none, true, "5"},
        {1234567, none, true, "1,234,567"},
        {-1234567, none, true, "-1,234,567"},
        {1e15, none, true, "1e+015"},
        {6.000000000000001, 1, false, "6.0"},
        {7.5, 1, false, "7.5"},
        {0.35, 1, false, "0.4"},
        {59.95, 1, false, "60.0"},
        {1.005, 2, false, "1.01"},
        {1234.5, 1, true, "1,234.5"},
        {2.5, 0, false, "3"},
        {-2.5, 0, false, "-3"},
        // Too large for the nudge to register: an exact half still rounds away from zero.
        {16384.5, 0, false, "16385"},
        {1250, -2, false, "1300"},
        {0, 1, false, "0.0"},
        // Padding only appends; separators never go into the fraction or before the first digit.
        {6, 1, false, "6.0"},
        {0.5, 3, false, "0.500"},
        {123, none, true, "123"},
        {-123, none, true, "-123"},
        {1234.56789, none, true, "1,234.56789"},
        {1234, none, false, "1234"},
        // Without decimals nothing is rounded.
        {2.675, none, false, "2.675"},
        // Exponent notation and non-numbers stay as they are.
        {1e15, 1, true, "1e+015"},
        {0.00001, 5, false, "1e-005"},
        {kInf, 2, true, "inf"},
        {kNaN, 1, false, "nan"},
        // Scales beyond a double's range neither overflow into infinity nor give NaN.
        {1e300, 20, false, "1e+300"},
        {123, -400, false, "0"},
        {1.7976931348623157e308, -308, false, "1.797693134862e+308"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatNumber(c.x, c.decimals, c.separators), c.text);
    }
}

TEST(TextFormatNumber, HugeDecimalCountStaysBounded) {
    const std::string text = FormatNumber(1.5, 2147483647, false);
    EXPECT_EQ(text.substr(0, 4), "1.50");
    EXPECT_LT(text.size(), 1000u);
}

TEST(TextLengthAndLeft, CountsBytes) {
    const std::string fileName = "新任务1.kpx";
    EXPECT_EQ(TextLeft(fileName, TextLength(fileName) - 4), "新任务1");
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("新"), 2);

    const struct { const char* text; std::int32_t n; const char* left; } cases[] = {
        {"abc", 2, "ab"},
        {"abc", 3, "abc"},
        {"abc", 99, "abc"},
        {"abc", 0, ""},
        {"abc", -1, ""},
        {"", 5, ""},
        // A count inside a character keeps its lead byte alone.
        {"新任务", 3, "\xD0\xC2\xC8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + "/" + std::to_string(c.n));
        EXPECT_EQ(TextLeft(c.text, c.n), c.left);
    }
}

TEST(TextRemoveAllSpaces, Table) {
    const struct { const char* text; const char* result; } cases[] = {
        {" my task ", "mytask"},
        {"新任务　1", "新任务1"},
        {"a\tb", "a\tb"},
        {"   ", ""},
        {"", ""},
        {"　 　", ""},
        // Other blanks stay.
        {"a\r\n\v\fb", "a\r\n\v\fb"},
        // The bytes A1 A1 across two characters (啊 B0 A1, “ A1 B0) are not a space.
        {"啊“", "啊“"},
        // A pair is kept whole even when its second byte is 0x20.
        {"\x81\x20x", "\x81\x20x"},
        // A lead byte at the very end is dropped.
        {"ab\xA3", "ab"},
        {"\xA1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.text));
        EXPECT_EQ(RemoveAllSpaces(c.text), c.result);
    }
}

TEST(TextCompareTexts, UnsignedBytesAndPrefixes) {
    const struct { const char* a; const char* b; int sign; } cases[] = {
        {"", "", 0},
        {"abc", "abc", 0},
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"A", "a", -1},
        {"\x80", "a", 1},
        {"新", "a", 1},
        {"新任务1", "新任务2", -1},
        {"", "a", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const int result = CompareTexts(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
    }
}

TEST(TextJoinTexts, ConcatenatesInOrder) {
    EXPECT_EQ(JoinTexts({"C:\\run", "\\", "新任务1", ".kpx"}), "C:\\run\\新任务1.kpx");
    EXPECT_EQ(JoinTexts({"", "a", ""}), "a");
    EXPECT_EQ(JoinTexts({"", ""}), "");
}
