// Finding an atlas system by the name a user types: the full list entry, or the star's
// designation without its number, in any case and with any blanks.
#pragma once

#include <string>
#include <vector>

namespace vp {

// The index in names of the system meant by wanted. An exact entry wins; then an entry or a
// designation (the entry without its trailing "(number)") equal to wanted once case and
// blanks are ignored. False with a message otherwise: the candidates when several systems
// begin with the words typed, else the closest names.
bool FindAtlasName(const std::vector<std::string>& names, const std::string& wanted,
                   std::size_t& index, std::string& error);

}  // namespace vp
