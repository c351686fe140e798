#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vp {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal digits and exponent of a value rounded to 15 significant digits:
// value = 0.d1d2...d15 * 10^exponent (digits without the point).
struct Decimal {
    bool negative = false;
    std::string digits;  // 15 digits, or "" for zero
    int exponent = 0;    // position of the point relative to the first digit
};

Decimal ToDecimal15(double value) {
    Decimal d;
    if (value == 0 || !std::isfinite(value)) return d;
    d.negative = value < 0;
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific, 14);
    std::string text(buffer, result.ptr);  // d.dddddddddddddde[+-]XX
    std::size_t e = text.find('e');
    d.digits.assign(1, text[0]);
    d.digits.append(text, 2, e - 2);
    d.exponent = std::atoi(text.c_str() + e + 1) + 1;
    return d;
}

// Fixed form with at most three decimals, rounded half away from zero on the 15-digit
// decimal form (as a decimal formatter does), trailing zeros dropped, point kept.
std::string FormatFixed3(double value, bool leadingZero) {
    Decimal d = ToDecimal15(value);
    std::string intPart, fracPart;
    if (!d.digits.empty()) {
        // All digits as an integer string scaled by 10^3.
        // Number = 0.digits * 10^exponent; keep digits up to 3 places after the point.
        int keep = d.exponent + 3;  // how many leading digits lie before the 4th decimal
        std::string kept;
        bool roundUp = false;
        if (keep <= 0) {
            kept = "";
            roundUp = keep == 0 && d.digits[0] >= '5';
        } else if (keep >= static_cast<int>(d.digits.size())) {
            kept = d.digits + std::string(keep - d.digits.size(), '0');
        } else {
            kept = d.digits.substr(0, keep);
            roundUp = d.digits[keep] >= '5';
        }
        if (kept.empty()) kept.assign(1, '0');
        if (roundUp) {
            int k = static_cast<int>(kept.size()) - 1;
            while (k >= 0 && kept[k] == '9') kept[k--] = '0';
            if (k < 0)
                kept.insert(kept.begin(), '1');
            else
                ++kept[k];
        }
        while (kept.size() < 4) kept.insert(kept.begin(), '0');
        intPart = kept.substr(0, kept.size() - 3);
        fracPart = kept.substr(kept.size() - 3);
        std::size_t first = intPart.find_first_not_of('0');
        intPart = first == std::string::npos ? "" : intPart.substr(first);
        while (!fracPart.empty() && fracPart.back() == '0') fracPart.pop_back();
    }
    bool isZero = intPart.empty() && fracPart.empty();
    if (intPart.empty() && leadingZero) intPart.assign(1, '0');
    std::string text;
    if (d.negative && !isZero) text.push_back('-');
    text.append(intPart);
    text.push_back('.');
    text.append(fracPart);
    return text;
}

}  // namespace

double Val(std::string_view text) {
    std::string clean;
    std::size_t pos = 0;
    auto next = [&]() -> int {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        return pos < text.size() ? static_cast<unsigned char>(text[pos]) : -1;
    };
    int c = next();
    if (c == '+' || c == '-') {
        if (c == '-') clean += '-';
        ++pos;
        c = next();
    }
    bool sawDigit = false, sawPoint = false;
    int intDigits = 0;         // significant digits before the point
    bool leading = true;       // still in leading zeros
    int leadingFracZeros = 0;  // zeros right after the point before the first significant digit
    std::string mantissa;
    while (c != -1 && (IsDigit(static_cast<char>(c)) || (c == '.' && !sawPoint))) {
        if (c == '.') {
            sawPoint = true;
        } else {
            sawDigit = true;
            if (c != '0') leading = false;
            if (!leading && !sawPoint) ++intDigits;
            if (leading && sawPoint) ++leadingFracZeros;
        }
        mantissa += static_cast<char>(c);
        ++pos;
        c = next();
    }
    if (!sawDigit) return 0.0;
    long long exponent = 0;
    if (c == 'E' || c == 'e') {
        std::size_t save = pos;
        ++pos;
        int s = next();
        bool negativeExp = false;
        if (s == '+' || s == '-') {
            negativeExp = s == '-';
            ++pos;
            s = next();
        }
        bool expDigits = false;
        while (s != -1 && IsDigit(static_cast<char>(s))) {
            expDigits = true;
            if (exponent < 100000) exponent = exponent * 10 + (s - '0');
            ++pos;
            s = next();
        }
        if (!expDigits) {
            pos = save;
            exponent = 0;
        } else if (negativeExp) {
            exponent = -exponent;
        }
    }
    if (leading) return clean == "-" ? -0.0 : 0.0;  // only zeros
    clean += mantissa;
    if (clean.back() == '.') clean.pop_back();
    clean += 'e' + std::to_string(exponent);
    double value = 0;
    const char* first = clean.data();
    if (*first == '-') ++first;
    auto result = std::from_chars(first, clean.data() + clean.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        long long magnitude = (intDigits > 0 ? intDigits : -leadingFracZeros) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return clean[0] == '-' ? -value : value;
}

std::string FormatNumber(double value) {
    if (value == 0 || !std::isfinite(value)) return "0";
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    std::size_t e = text.find('e');
    if (e != std::string::npos) text[e] = 'E';
    return text;
}

std::string FormatZeroPoint3(double value) {
    return FormatFixed3(value, true);
}
std::string FormatPoint3(double value) {
    return FormatFixed3(value, false);
}

}  // namespace vp
