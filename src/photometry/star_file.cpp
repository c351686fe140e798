#include "photometry/star_file.h"

#include <algorithm>
#include <vector>

#include "core/number_text.h"

namespace vp {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string Trim(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

// Control characters other than blanks and line ends: a star file is text.
bool IsBinary(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\t' && !IsLineEnd(c)) || u == 0x7F;
    });
}

// Up to `wanted` fields of the file; at returns where reading stopped.
std::vector<std::string> Fields(std::string_view bytes, std::size_t wanted, std::size_t& at) {
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
            while (i < n && bytes[i] != ',' && !IsLineEnd(bytes[i])) ++i;
        } else {
            std::size_t end = i;
            while (end < n && bytes[end] != ',' && !IsLineEnd(bytes[end])) ++end;
            field = Trim(bytes.substr(i, end - i));
            i = end;
        }
        fields.push_back(field);
        if (i < n && bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        if (i < n) ++i;  // the separator
    }
    at = std::min(i, n);
    return fields;
}

std::string FileField(std::string text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const bool quoted = text.find_first_of(",\r\n") != std::string::npos ||
                        (first != std::string::npos && text[first] == '"');
    if (!quoted) return text;
    std::replace(text.begin(), text.end(), '"', '\'');
    return '"' + text + '"';
}

}  // namespace

std::string StarFileText(const StarTexts& t) {
    std::string text = "q, i, r1, r2, T1, T2, w1, w2\r\n" + FileField(Trim(t[0]));
    for (std::size_t k = 1; k < t.size(); ++k) text += "," + FileField(t[k]);
    return text + "\r\n";
}

bool ParseStarFile(std::string_view bytes, StarTexts& texts, StarFileError& error) {
    if (IsBinary(bytes)) {
        error = {321, "Invalid file format: binary data, not a star parameter file"};
        return false;
    }
    std::size_t end = 0;
    std::vector<std::string> fields = Fields(bytes, 16, end);
    if (fields.size() < 16) {
        error = {62, "Input past end of file"};
        return false;
    }
    if (bytes.substr(end).find_first_not_of(" \t\r\n") != std::string_view::npos) {
        error = {321, "Invalid file format: more than the sixteen fields of a star parameter file"};
        return false;
    }
    StarTexts values;
    for (std::size_t k = 0; k < 8; ++k) {
        values[k] = fields[8 + k];
        if (values[k].size() > static_cast<std::size_t>(kParameterTextMaxLength)) {
            error = {321, "Invalid file format: a value longer than the " +
                              std::to_string(kParameterTextMaxLength) +
                              " characters a parameter box holds"};
            return false;
        }
    }
    texts = values;
    return true;
}

}  // namespace vp
