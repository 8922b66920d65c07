#include "directives.h"

#include "assembly.h"
#include "lexer.h"

#include <algorithm>
#include <ascii.h>

namespace corvane::asm83 {

Directive directiveNamed(std::string_view name) {
    struct Entry {
        std::string_view name;
        Directive directive;
    };
    static constexpr Entry kDirectives[] = {
        {"org", Directive::Org},         {"db", Directive::Byte},      {"byte", Directive::Byte},
        {"text", Directive::Byte},       {"dw", Directive::Word},      {"word", Directive::Word},
        {"equ", Directive::Equ},         {"fill", Directive::Fill},    {"block", Directive::Fill},
        {"nolist", Directive::Listing},  {"list", Directive::Listing}, {"end", Directive::End},
        {"charmap", Directive::CharMap},
    };
    for (const Entry& entry : kDirectives) {
        if (ascii::equalsIgnoringCase(name, entry.name)) {
            return entry.directive;
        }
    }
    return Directive::None;
}

void Assembly::runDirective(const Statement& s, Directive directive, std::string_view name,
                            std::string_view operands) {
    switch (directive) {
    case Directive::Org:
        org(s, operands);
        break;
    case Directive::Byte:
        data(s, name, operands, 1);
        break;
    case Directive::Word:
        data(s, name, operands, 2);
        break;
    case Directive::Equ:
        error(s, "'" + std::string(name) + "' needs a symbol name before it");
        break;
    case Directive::Fill:
        fill(s, name, operands);
        break;
    case Directive::Listing:
        // asm83 writes no listing, so these change nothing; text after them is most likely
        // a statement that lost its indentation ("list .db 1") and would vanish unnoticed.
        if (!operands.empty()) {
            error(s, "'" + std::string(name) + "' takes no operands");
        }
        break;
    case Directive::End:
        ended_ = true;
        break;
    case Directive::CharMap:
        charMap(s, operands);
        break;
    case Directive::None:
        break;
    }
}

void Assembly::org(const Statement& s, std::string_view operands) {
    if (operands.empty()) {
        error(s, "'.org' needs an address");
        return;
    }
    const std::optional<std::int64_t> address = valueOf(s, operands, map_, "'.org' address");
    if (!address) {
        return;
    }
    if (*address < 0 || *address > 0xFFFF) {
        error(s, "'.org' address " + std::to_string(*address) + " is outside 0..FFFFh");
        return;
    }
    pc_ = *address;
}

// .db/.byte/.text (width 1, strings allowed) and .dw/.word (width 2, low byte first).
void Assembly::data(const Statement& s, std::string_view name, std::string_view operands,
                    int width) {
    splitOperands(operands, operands_);
    if (operands_.empty()) {
        error(s, "'" + std::string(name) + "' needs at least one value");
        return;
    }
    const std::int64_t least = width == 1 ? -128 : -32768;
    const std::int64_t most = width == 1 ? 255 : 65535;
    for (const std::string_view item : operands_) {
        if (item.empty()) {
            error(s, "missing value in '" + std::string(name) + "'");
            continue;
        }
        if (width == 1 && item[0] == '"') {
            const std::size_t close = stringEnd(item, 0);
            if (close == std::string_view::npos) {
                error(s, "string not closed");
                continue;
            }
            for (std::size_t i = 1; i < close; ++i) {
                emit(s, map_[static_cast<unsigned char>(item[i])], false);
            }
            if (close + 1 != item.size()) {
                error(s, "unexpected text after string: '" + std::string(item.substr(close + 1)) +
                             "'");
            }
            continue;
        }
        const z80::Value value = evaluate(item, map_);
        if (!value.ok) {
            error(s, value.error);
        } else if (value.known && (value.number < least || value.number > most)) {
            error(s, "value " + std::to_string(value.number) + " does not fit in a " +
                         (width == 1 ? "byte" : "word"));
        }
        for (int i = 0; i < width; ++i) {
            emit(s, static_cast<std::uint8_t>((value.number >> (8 * i)) & 0xFF), false);
        }
    }
}

void Assembly::fill(const Statement& s, std::string_view name, std::string_view operands) {
    splitOperands(operands, operands_);
    if (operands_.empty() || operands_.size() > 2) {
        error(s, "'" + std::string(name) + "' needs a count and an optional byte value");
        return;
    }
    const std::string_view valueText = operands_.size() == 2 ? operands_[1] : "0";
    const std::optional<std::int64_t> count =
        valueOf(s, operands_[0], map_, "'" + std::string(name) + "' count");
    if (!count) {
        return;
    }
    if (*count < 0) {
        error(s, "'" + std::string(name) + "' count " + std::to_string(*count) + " is negative");
        return;
    }
    const z80::Value value = evaluate(valueText, map_);
    if (!value.ok) {
        error(s, value.error);
    } else if (value.known && (value.number < -128 || value.number > 255)) {
        error(s, "value " + std::to_string(value.number) + " does not fit in a byte");
    }
    // Past the end of memory one message is enough; the counter still moves on.
    const std::int64_t inside = std::max<std::int64_t>(
        0, std::min<std::int64_t>(*count, static_cast<std::int64_t>(Image::kSize) - pc_));
    for (std::int64_t i = 0; i < inside; ++i) {
        emit(s, static_cast<std::uint8_t>(value.number & 0xFF), false);
    }
    if (inside < *count) {
        emit(s, 0, false);
        pc_ += *count - inside - 1;
    }
}

void Assembly::charMap(const Statement& s, std::string_view operands) {
    splitOperands(operands, operands_);
    if (operands_.size() != 2) {
        error(s, "'.charmap' needs two byte values: FROM, TO");
        return;
    }
    // A character literal here names a byte of the source as written, so the map in force
    // does not apply to it.
    static const CharMap identity = identityCharMap();
    const std::optional<std::int64_t> from = valueOf(s, operands_[0], identity, "'.charmap' value");
    const std::optional<std::int64_t> to = valueOf(s, operands_[1], identity, "'.charmap' value");
    if (!from || !to) {
        return;
    }
    if (*from < 0 || *from > 255 || *to < 0 || *to > 255) {
        error(s, "'.charmap' values must lie in 0..255");
        return;
    }
    map_[static_cast<std::size_t>(*from)] = static_cast<std::uint8_t>(*to);
}

} // namespace corvane::asm83
