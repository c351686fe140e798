#include "headless/option_values.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace vp {

bool ParseWholeNumber(const std::string& text, long low, long high, long& value) {
    long v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < low ||
        v > high)
        return false;
    value = v;
    return true;
}

bool ParseRealNumber(const std::string& text, double& value) {
    const char* begin = text.data();
    if (!text.empty() && text[0] == '+') ++begin;
    double v = 0;
    auto r = std::from_chars(begin, text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() ||
        !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool ReadsAsNumber(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') s += c;
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        return i > from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa = digits() || mantissa;
    }
    if (!mantissa) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (!digits()) return false;
    }
    return i == s.size();
}

bool HasExtension(const std::string& path, const std::string& extension) {
    if (path.size() < extension.size()) return false;
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - extension.size() + i])) !=
            std::tolower(static_cast<unsigned char>(extension[i])))
            return false;
    return true;
}

}  // namespace vp
