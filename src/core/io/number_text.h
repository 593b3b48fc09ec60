#pragma once
// Numbers as the settings file and the text boxes hold them.
#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

// A whole decimal number, optionally signed and surrounded by blanks; nothing for
// fractions or other text (a key's own name read back from an absent key). Numbers
// beyond int come out as its smallest or largest value, so that a caller's range check
// clamps or refuses them like any other number out of range.
std::optional<int> parseWholeNumber(std::string_view text);

// A switch as the settings file stores it: "1" on, "0" off. Made afresh and moved into
// place (GCC 12 takes assigning a literal to a string for an overlapping copy).
std::string switchText(bool on);

} // namespace ocuvell
