#include "headless/atlas_names.h"

#include <algorithm>
#include <cctype>

namespace vp {
namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Lower case, blanks removed.
std::string Folded(const std::string& text) {
    std::string folded;
    for (char c : text)
        if (!IsBlank(c)) folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

// The entry without its trailing parenthesised part ("AW UMa (106)" -> "AW UMa").
std::string Designation(const std::string& name) {
    std::size_t end = name.size();
    while (end > 0 && IsBlank(name[end - 1])) --end;
    if (end == 0 || name[end - 1] != ')') return name;
    const std::size_t open = name.rfind('(', end - 1);
    if (open == std::string::npos || open == 0) return name;
    return name.substr(0, open);
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (IsBlank(c)) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return words;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string Quoted(const std::vector<std::string>& names, const std::vector<std::size_t>& rows) {
    std::string text;
    for (std::size_t k = 0; k < rows.size(); ++k)
        text += (k == 0 ? "" : k + 1 == rows.size() ? " or " : ", ") + ("'" + names[rows[k]] + "'");
    return text;
}

}  // namespace

bool FindAtlasName(const std::vector<std::string>& names, const std::string& wanted,
                   std::size_t& index, std::string& error) {
    auto exact = std::find(names.begin(), names.end(), wanted);
    if (exact != names.end()) {
        index = static_cast<std::size_t>(exact - names.begin());
        return true;
    }
    const std::string folded = Folded(wanted);
    std::vector<std::size_t> hits;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!folded.empty() &&
            (Folded(names[i]) == folded || Folded(Designation(names[i])) == folded))
            hits.push_back(i);
    if (hits.size() == 1) {
        index = hits[0];
        return true;
    }
    error = "no atlas system is named '" + wanted + "'";
    if (hits.empty()) {
        // Systems whose designation begins with the words typed ("V346" for V346 Aql and V346 Cen).
        const std::vector<std::string> typed = Words(wanted);
        for (std::size_t i = 0; i < names.size() && !typed.empty(); ++i) {
            const std::vector<std::string> words = Words(Designation(names[i]));
            if (words.size() >= typed.size() &&
                std::equal(typed.begin(), typed.end(), words.begin()))
                hits.push_back(i);
        }
    }
    if (hits.size() > 1) {
        if (hits.size() > 12) hits.resize(12);
        error = "'" + wanted + "' could be " + Quoted(names, hits) + "; name one of them";
        return false;
    }
    if (hits.empty() && !folded.empty()) {
        // The names fewest typing slips away, if any is near enough to be meant.
        const std::size_t nearEnough = folded.size() / 3 + 1;
        std::size_t best = nearEnough + 1;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::size_t d = std::min(EditDistance(folded, Folded(names[i])),
                                           EditDistance(folded, Folded(Designation(names[i]))));
            if (d > nearEnough || d > best) continue;
            if (d < best) best = d, hits.clear();
            if (hits.size() < 5) hits.push_back(i);
        }
    }
    error += hits.empty() ? " (see 'vandrel-cli atlas')"
                          : "; did you mean " + Quoted(names, hits) + "? (see 'vandrel-cli atlas')";
    return false;
}

}  // namespace vp
