#include "services/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <system_error>

// Compiled by clang for fuzzing too, which cannot turn literals into GBK: every non-ASCII
// byte in this file is written as an escape.

namespace {

constexpr unsigned char kIdeographicSpaceLead = 0xA1;
constexpr unsigned char kIdeographicSpaceTrail = 0xA1;

unsigned char ByteAt(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The white space that strtod skips in the "C" locale.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Full-width digits, signs, point and letters become their ASCII forms so that numbers typed
// with a Chinese input method read the same as ASCII ones.
std::string FoldFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = ByteAt(text, i);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) break;  // a lead byte without its trail byte
        const unsigned char trail = ByteAt(text, i + 1);
        if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            out.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out.push_back('*');
        } else if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else {
            out.push_back(static_cast<char>(lead));
            out.push_back(static_cast<char>(trail));
        }
        i += 2;
    }
    return out;
}

// Decimal exponent of the leading nonzero digit of a validated number body; tells an overflow
// from an underflow when from_chars reports the value out of range.
long long LeadingDigitExponent(std::string_view body) {
    constexpr long long kCap = 1'000'000'000;  // far beyond any double; keeps the sums in range
    std::size_t i = 0;
    long long intDigits = 0;
    long long firstNonzero = -1;  // position among all mantissa digits
    long long position = 0;
    for (; i < body.size() && IsDigit(body[i]); ++i, ++position, ++intDigits) {
        if (firstNonzero < 0 && body[i] != '0') firstNonzero = position;
    }
    if (i < body.size() && body[i] == '.') {
        for (++i; i < body.size() && IsDigit(body[i]); ++i, ++position) {
            if (firstNonzero < 0 && body[i] != '0') firstNonzero = position;
        }
    }
    long long exponent = 0;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) negative = body[i++] == '-';
        for (; i < body.size() && IsDigit(body[i]); ++i) {
            exponent = std::min(kCap, exponent * 10 + (body[i] - '0'));
        }
        if (negative) exponent = -exponent;
    }
    if (firstNonzero < 0) return std::numeric_limits<long long>::min();
    return intDigits - 1 - std::min(firstNonzero, kCap) + exponent;
}

// strtod's reading of a decimal number in the "C" locale, without its hexadecimal, infinity
// and NaN forms, which no task file or typed count means.
double ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t start = i;

    std::size_t digits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < n && IsDigit(text[j])) ++j, ++digits;
        if (digits > 0) i = j;
    }
    if (digits == 0) return 0.0;

    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t exponentStart = j;
        while (j < n && IsDigit(text[j])) ++j;
        if (j > exponentStart) i = j;
    }

    const std::string_view body = text.substr(start, i - start);
    double value = 0.0;
    const auto result =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = LeadingDigitExponent(body) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

// Exact for the exponents a double holds exactly, so that rounding to a few decimals does not
// depend on the C runtime's pow.
double PowerOfTen(int exponent) {
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (exponent >= 0 && exponent < static_cast<int>(std::size(kExact))) return kExact[exponent];
    return std::pow(10.0, exponent);
}

// Half away from zero, nudged by 1e-12 so that values like 1.005 that print as a half round up.
double RoundToDecimals(double x, int decimals) {
    if (x == 0.0 || !std::isfinite(x)) return x;
    const double magnitude = std::fabs(x);
    const double scale = PowerOfTen(decimals < 0 ? -decimals : decimals);
    const double y = decimals > 0 ? magnitude * scale : decimals == 0 ? magnitude : magnitude / scale;
    const double nudged = y + 0.000000000001;
    if (!std::isfinite(nudged)) return x;  // too large to have digits at that place
    double whole = std::trunc(nudged);
    if (nudged - whole >= 0.5) whole += 1.0;
    double rounded = whole;
    if (decimals > 0) {
        rounded = whole / scale;
    } else if (decimals < 0) {
        rounded = whole == 0.0 ? 0.0 : whole * scale;
    }
    if (!std::isfinite(rounded)) return x;
    return std::signbit(x) ? -rounded : rounded;
}

// "-", digits and "." only: the texts that take padding and separators.
bool IsPlainNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    if (text.empty()) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == '.'; });
}

void PadDecimals(std::string& text, int decimals) {
    const std::size_t point = text.find('.');
    std::size_t have = 0;
    if (point == std::string::npos) {
        text.push_back('.');
    } else {
        have = text.size() - point - 1;
    }
    const auto want = static_cast<std::size_t>(decimals);
    if (have < want) text.append(want - have, '0');
}

void InsertSeparators(std::string& text) {
    const std::size_t first = (!text.empty() && text.front() == '-') ? 1 : 0;
    std::size_t end = text.find('.');
    if (end == std::string::npos) end = text.size();
    std::string out = text.substr(0, first);
    for (std::size_t i = first; i < end; ++i) {
        if (i > first && (end - i) % 3 == 0) out.push_back(',');
        out.push_back(text[i]);
    }
    out.append(text, end, std::string::npos);
    text = std::move(out);
}

// Far beyond any double's digits; bounds the zeros a caller can ask for.
constexpr int kMaxDecimals = 340;

}  // namespace

std::string IntegerToText(std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string RealToText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "%.13g", value);
    if (length <= 0) return "0";
    const std::string_view printed(buffer, std::min<std::size_t>(static_cast<std::size_t>(length),
                                                                 sizeof buffer - 1));

    // The C library writes the locale's decimal point, which may be "," or several bytes; any
    // run of bytes that is not part of the number's own alphabet is that point.
    std::string text;
    text.reserve(printed.size() + 2);
    bool inPoint = false;
    for (const char c : printed) {
        const bool own = IsDigit(c) || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (own) {
            text.push_back(c == 'E' ? 'e' : c);
            inPoint = false;
        } else if (!inPoint) {
            text.push_back('.');
            inPoint = true;
        }
    }

    // glibc and mingw write two exponent digits where the Windows runtime writes three.
    const std::size_t e = text.find('e');
    if (e != std::string::npos) {
        std::size_t digitsStart = e + 1;
        if (digitsStart < text.size() && (text[digitsStart] == '+' || text[digitsStart] == '-')) {
            ++digitsStart;
        }
        const std::size_t digits = text.size() - digitsStart;
        if (digits < 3) text.insert(digitsStart, 3 - digits, '0');
    }
    return text;
}

double TextToNumber(std::string_view text) { return ReadDecimal(FoldFullWidth(text)); }

std::int32_t RealToInteger(double value) {
    // [-2^63, 2^63): the reals whose truncation fits in 64 bits; NaN fails both tests.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(value >= -kTwoTo63 && value < kTwoTo63)) return 0;
    const auto wide = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

std::int32_t TruncateReal(double value) {
    double whole = 0.0;
    const double fraction = std::modf(value, &whole);
    if (fraction > 0.999999999999) whole += 1.0;
    return RealToInteger(whole);
}

double RealRemainder(double a, double b) { return std::fmod(a, b); }

std::string FormatNumber(double x, std::optional<int> decimals, bool separators) {
    double value = x;
    int places = 0;
    if (decimals) {
        places = std::clamp(*decimals, -kMaxDecimals, kMaxDecimals);
        value = RoundToDecimals(x, places);
    }
    std::string text = RealToText(value);
    // Exponent notation, "inf" and "nan" take neither padding nor separators: "1e+015.0" or
    // "1,e+015" would no longer be numbers.
    const bool plain = IsPlainNumber(text);
    if (decimals && places > 0 && plain) PadDecimals(text, places);
    if (separators && plain) InsertSeparators(text);
    return text;
}

std::int32_t TextLength(std::string_view text) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(text.size(), kMax));
}

std::string TextLeft(std::string_view text, std::int32_t n) {
    if (n <= 0) return std::string();
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string RemoveAllSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = ByteAt(text, i);
        if (lead < 0x80) {
            if (lead != ' ') out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) break;  // a lead byte without its trail byte is dropped
        const unsigned char trail = ByteAt(text, i + 1);
        if (!(lead == kIdeographicSpaceLead && trail == kIdeographicSpaceTrail)) {
            out.push_back(static_cast<char>(lead));
            out.push_back(static_cast<char>(trail));
        }
        i += 2;
    }
    return out;
}

int CompareTexts(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = ByteAt(a, i);
        const unsigned char y = ByteAt(b, i);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string JoinTexts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (const auto part : parts) total += part.size();
    std::string out;
    out.reserve(total);
    for (const auto part : parts) out.append(part);
    return out;
}
