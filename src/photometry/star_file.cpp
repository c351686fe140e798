#include "photometry/star_file.h"

#include <vector>

namespace vp {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

// A whole field that is a decimal number: sign, digits with at most one point, exponent.
bool IsNumberText(const std::string& text) {
    std::size_t i = 0, n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        bool expDigits = false;
        for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) expDigits = true;
        if (!expDigits) return false;
    }
    return i == n;
}

// Up to `wanted` fields of the file.
std::vector<std::string> Fields(std::string_view bytes, std::size_t wanted) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n && fields.size() < wanted) {
        while (i < n && IsBlank(bytes[i])) ++i;
        std::string field;
        if (i < n && bytes[i] == '"') {
            std::size_t close = bytes.find('"', i + 1);
            if (close == std::string_view::npos) close = n;
            field = std::string(bytes.substr(i + 1, close - i - 1));
            i = close + 1;
            while (i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n') ++i;
        } else {
            std::size_t end = i;
            while (end < n && bytes[end] != ',' && bytes[end] != '\r' && bytes[end] != '\n') ++end;
            field = Trim(bytes.substr(i, end - i));
            i = end;
        }
        fields.push_back(field);
        if (i < n && bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        if (i < n) ++i;  // the separator
    }
    return fields;
}

}  // namespace

std::string StarFileText(const StarTexts& t) {
    std::string text = "q, i, r1, r2, T1, T2, w1, w2\r\n" + Trim(t[0]);
    for (std::size_t k = 1; k < t.size(); ++k) text += "," + t[k];
    return text + "\r\n";
}

bool ParseStarFile(std::string_view bytes, StarTexts& texts, StarFileError& error) {
    std::vector<std::string> fields = Fields(bytes, 16);
    if (fields.size() < 16) {
        error = {62, "Input past end of file"};
        return false;
    }
    StarTexts values;
    for (std::size_t k = 0; k < 8; ++k) {
        values[k] = fields[8 + k];
        if (!IsNumberText(values[k])) {
            error = {13, "Type mismatch"};
            return false;
        }
    }
    texts = values;
    return true;
}

}  // namespace vp
