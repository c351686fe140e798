#include "cli/command_line.h"

#include <iostream>

namespace vp {

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value,
               std::string& error) {
    if (i + 1 >= args.size()) {
        error = "option " + args[i] + " needs a value";
        return false;
    }
    value = args[i + 1];
    i += 2;
    return true;
}

int ParseCommandLine(const std::vector<std::string>& args, const std::string& command,
                     const std::string& usage, CommonOptions& options, const OwnOption& own) {
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] == "--help") {
            std::cout << usage << "\n" << CommonOptionsHelp();
            return 0;
        }
        std::string error;
        bool known = false;
        if (!ParseCommonOption(args, i, options, known, error)) {
            std::cerr << "vandrel-cli " << command << ": " << error << "\n";
            return 2;
        }
        if (known) continue;
        if (own && own(args, i, error)) {
            if (!error.empty()) {
                std::cerr << "vandrel-cli " << command << ": " << error << "\n";
                return 2;
            }
            continue;
        }
        std::cerr << "vandrel-cli " << command << ": unknown option " << args[i]
                  << " (see --help)\n";
        return 2;
    }
    for (const std::string& warning : options.warnings)
        std::cerr << "vandrel-cli " << command << ": warning: " << warning << "\n";
    return -1;
}

}  // namespace vp
