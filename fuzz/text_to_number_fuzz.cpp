// Feeds arbitrary bytes to the text and number conversions and checks what must hold for any
// input: no crash or undefined behaviour, and results that agree with each other.
#include "services/text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Walks GBK units as RemoveAllSpaces does; true when none is a space it should have dropped.
bool HasNoSpaceUnits(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead == ' ') return false;
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return false;  // a cut character must have been dropped
        if (lead == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1) return false;
        i += 2;
    }
    return true;
}

// strtod agrees with TextToNumber on ASCII text, except for the forms TextToNumber refuses
// on purpose (hexadecimal, infinity, NaN). The fuzzer runs in the "C" locale.
void CheckAgainstStrtod(std::string_view input, double value) {
    const std::string text(input.substr(0, input.find('\0')));
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return;
    }
    std::size_t i = 0;
    while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) != nullptr) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && !IsDigit(text[i]) && text[i] != '.') return;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) return;
    const double expected = std::strtod(text.c_str(), nullptr);
    Require(std::memcmp(&expected, &value, sizeof value) == 0, "TextToNumber equals strtod");
}

bool IsPlainNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    if (text.empty()) return false;
    for (const char c : text) {
        if (!IsDigit(c) && c != '.') return false;
    }
    return true;
}

std::string WithoutCommas(std::string text) {
    std::string out;
    for (const char c : text) {
        if (c != ',') out.push_back(c);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string compact = RemoveAllSpaces(input);
    Require(compact.size() <= input.size(), "RemoveAllSpaces never grows the text");
    Require(HasNoSpaceUnits(compact), "RemoveAllSpaces leaves no space");
    Require(RemoveAllSpaces(compact) == compact, "RemoveAllSpaces is idempotent");

    const std::int32_t n = size > 0 ? static_cast<std::int32_t>(data[0]) - 64 : 0;
    const std::string left = TextLeft(input, n);
    const std::size_t expectedLeft = n <= 0 ? 0 : std::min(input.size(), static_cast<std::size_t>(n));
    Require(left.size() == expectedLeft, "TextLeft keeps n bytes");
    Require(input.substr(0, left.size()) == left, "TextLeft keeps the first bytes");
    Require(TextLength(input) == static_cast<std::int32_t>(size), "TextLength counts bytes");

    const double value = TextToNumber(input);
    Require(!std::isnan(value), "TextToNumber never gives NaN");
    CheckAgainstStrtod(input, value);

    const std::string text = RealToText(value);
    if (std::isfinite(value)) {
        Require(IsPlainNumber(text) || text.find('e') != std::string::npos, "RealToText is a number");
        const double back = TextToNumber(text);
        const double tolerance = std::fmax(std::fabs(value) * 1e-12, 1e-320);
        Require(std::fabs(back - value) <= tolerance, "RealToText reads back within rounding");
        const std::size_t e = text.find('e');
        if (e != std::string::npos) {
            const std::size_t digits = text.size() - e - 2;
            Require(digits >= 3, "exponent has at least three digits");
        }
    }

    (void)RealToInteger(value);
    (void)TruncateReal(value);
    (void)RealRemainder(value, 60);

    const int decimals = size > 1 ? static_cast<int>(static_cast<std::int8_t>(data[1])) : 1;
    const std::string formatted = FormatNumber(value, decimals, false);
    const std::string grouped = FormatNumber(value, decimals, true);
    Require(WithoutCommas(grouped) == formatted, "separators only add commas");
    if (decimals > 0 && IsPlainNumber(formatted)) {
        const std::size_t point = formatted.find('.');
        Require(point != std::string::npos && formatted.size() - point - 1 >= static_cast<std::size_t>(decimals),
                "FormatNumber pads to the decimals asked for");
    }
    const std::string unrounded = FormatNumber(value, std::nullopt, false);
    Require(unrounded == text, "FormatNumber without decimals is RealToText");

    const std::string_view firstHalf = input.substr(0, size / 2);
    const std::string_view secondHalf = input.substr(size / 2);
    const int order = CompareTexts(firstHalf, secondHalf);
    Require((order > 0) == (CompareTexts(secondHalf, firstHalf) < 0), "CompareTexts is antisymmetric");
    Require(CompareTexts(input, input) == 0, "a text equals itself");
    Require(JoinTexts({firstHalf, secondHalf}) == input, "JoinTexts concatenates");
    return 0;
}
