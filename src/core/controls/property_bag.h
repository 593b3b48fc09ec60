#pragma once
// Stored properties of a control: entry name to value, standing for the layout of
// the window that holds it. Order of insertion is kept, as the layout keeps it.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace ocuvell {

class PropertyBag {
  public:
    using Value = std::variant<bool, std::int32_t, std::string>;

    void write(const std::string& name, Value value);
    std::optional<Value> read(const std::string& name) const;
    bool contains(const std::string& name) const { return read(name).has_value(); }
    const std::vector<std::pair<std::string, Value>>& entries() const { return entries_; }

    bool readBool(const std::string& name, bool fallback) const;
    std::int32_t readInt(const std::string& name, std::int32_t fallback) const;
    std::string readText(const std::string& name, const std::string& fallback) const;

  private:
    std::vector<std::pair<std::string, Value>> entries_;
};

} // namespace ocuvell
