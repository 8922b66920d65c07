#pragma once

#include "preprocessor.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace corvane::asm83 {

// Labels and equates, looked up without regard to letter case.
class SymbolTable {
  public:
    struct Symbol {
        std::int64_t value = 0;
        std::size_t statement = 0; // index of the defining statement
    };

    const Symbol* find(std::string_view name) const {
        const auto found = symbols_.find(name);
        return found == symbols_.end() ? nullptr : &found->second;
    }

    // Defines `name`; returns the existing symbol instead when it is already defined.
    const Symbol* define(std::string_view name, std::int64_t value, std::size_t statement) {
        const auto [where, added] =
            symbols_.try_emplace(std::string(name), Symbol{value, statement});
        return added ? nullptr : &where->second;
    }

    void setValue(std::string_view name, std::int64_t value) {
        const auto found = symbols_.find(name);
        if (found != symbols_.end()) {
            found->second.value = value;
        }
    }

    void reserve(std::size_t count) { symbols_.reserve(count); }

  private:
    std::unordered_map<std::string, Symbol, NameHash, NameEqual> symbols_;
};

} // namespace corvane::asm83
