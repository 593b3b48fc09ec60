#pragma once
// Numbers as the settings file and the text boxes hold them.
#include <optional>
#include <string_view>

namespace ocuvell {

// A whole decimal number, optionally signed and surrounded by blanks; nothing for
// fractions, other text (a key's own name read back from an absent key) or values
// outside int.
std::optional<int> parseWholeNumber(std::string_view text);

} // namespace ocuvell
