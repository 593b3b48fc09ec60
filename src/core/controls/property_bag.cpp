#include "core/controls/property_bag.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace ocuvell {

void PropertyBag::write(const std::string& name, Value value) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (it != entries_.end())
        it->second = std::move(value);
    else
        entries_.emplace_back(name, std::move(value));
}

std::optional<PropertyBag::Value> PropertyBag::read(const std::string& name) const {
    for (const auto& [key, value] : entries_)
        if (key == name)
            return value;
    return std::nullopt;
}

// Layouts written by hand or by older builds may hold a flag as a number (-1 for true)
// or a number as text; read what makes sense instead of dropping the entry.
bool PropertyBag::readBool(const std::string& name, bool fallback) const {
    auto value = read(name);
    if (!value)
        return fallback;
    if (auto* b = std::get_if<bool>(&*value))
        return *b;
    if (auto* i = std::get_if<std::int32_t>(&*value))
        return *i != 0;
    const auto& text = std::get<std::string>(*value);
    if (text == "True" || text == "true" || text == "-1" || text == "1")
        return true;
    if (text == "False" || text == "false" || text == "0")
        return false;
    return fallback;
}

std::int32_t PropertyBag::readInt(const std::string& name, std::int32_t fallback) const {
    auto value = read(name);
    if (!value)
        return fallback;
    if (auto* i = std::get_if<std::int32_t>(&*value))
        return *i;
    if (auto* b = std::get_if<bool>(&*value))
        return *b ? -1 : 0;
    const auto& text = std::get<std::string>(*value);
    try {
        std::size_t used = 0;
        long long parsed = std::stoll(text, &used);
        if (used == text.size() && parsed >= INT32_MIN && parsed <= INT32_MAX)
            return static_cast<std::int32_t>(parsed);
    } catch (const std::exception&) {
    }
    return fallback;
}

std::string PropertyBag::readText(const std::string& name, const std::string& fallback) const {
    auto value = read(name);
    if (!value)
        return fallback;
    if (auto* s = std::get_if<std::string>(&*value))
        return *s;
    if (auto* i = std::get_if<std::int32_t>(&*value))
        return std::to_string(*i);
    return std::get<bool>(*value) ? "True" : "False";
}

} // namespace ocuvell
