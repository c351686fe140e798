#include "headless/safe_file_name.h"

#include <algorithm>
#include <cctype>

namespace vp {

std::string SafeFileName(const std::string& name, std::vector<std::string>& used) {
    std::string safe;
    for (char c : name) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || (c == '.' && !safe.empty());
        if (keep)
            safe += c;
        else if (!safe.empty() && safe.back() != '_')
            safe += '_';
    }
    while (!safe.empty() && safe.back() == '_') safe.pop_back();
    if (safe.empty()) safe = "system";
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::string candidate = safe;
    for (int n = 2; std::find(used.begin(), used.end(), lower(candidate)) != used.end(); ++n)
        candidate = safe + "_" + std::to_string(n);
    used.push_back(lower(candidate));
    return candidate;
}

}  // namespace vp
