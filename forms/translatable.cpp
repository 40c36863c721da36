#include "forms/translatable.h"

#include <array>
#include <vector>

namespace parlix::forms {

namespace {

constexpr std::array<std::string_view, 8> kTexts = {
    "Caption", "Hint", "TextHint", "Title", "DialogTitle", "SimpleText", "Filter", "DisplayLabel",
};
constexpr std::array<std::string_view, 3> kLists = {"Items", "Lines", "Tabs"};

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

// The known name the part spells, in its usual spelling; empty when it is none of them.
template <std::size_t N>
std::string_view Known(const std::array<std::string_view, N>& names, std::string_view part) {
    for (const std::string_view name : names) {
        if (SameName(name, part)) {
            return name;
        }
    }
    return {};
}

// A part of a path and the index it carries: "Columns[2]" is "Columns" and "[2]".
struct Part {
    std::string_view name;
    std::string_view index;
};

std::vector<Part> Split(std::string_view path) {
    std::vector<Part> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t dot = path.find('.', from);
        const std::string_view part = path.substr(from, dot - from);
        const std::size_t bracket = part.find('[');
        parts.push_back({part.substr(0, bracket), bracket == std::string_view::npos
                                                      ? std::string_view{}
                                                      : part.substr(bracket)});
        if (dot == std::string_view::npos) {
            return parts;
        }
        from = dot + 1;
    }
}

}  // namespace

std::optional<std::string> TranslatableProperty(std::string_view property, std::string_view text,
                                                std::string_view componentName) {
    if (text.empty() || text == "-") {
        return std::nullopt;
    }
    const std::vector<Part> parts = Split(property);
    const Part& last = parts.back();
    const std::string_view before = parts.size() > 1 ? parts[parts.size() - 2].name : "";
    // The path up to the last part (or the last two), as written.
    const auto head = [&](std::size_t partsKept) {
        std::string path;
        for (std::size_t i = 0; i < partsKept; ++i) {
            path += std::string(parts[i].name) + std::string(parts[i].index) + '.';
        }
        return path;
    };
    if (const std::string_view name = Known(kTexts, last.name);
        !name.empty() && last.index.empty()) {
        if (name == "Caption" && text == componentName) {
            return std::nullopt;
        }
        return head(parts.size() - 1) + std::string(name);
    }
    if (parts.size() >= 2 && SameName(last.name, "Strings") && !last.index.empty() &&
        parts[parts.size() - 2].index.empty()) {
        if (const std::string_view list = Known(kLists, before); !list.empty()) {
            return head(parts.size() - 2) + std::string(list) + ".Strings" +
                   std::string(last.index);
        }
    }
    if (parts.size() >= 2 && SameName(last.name, "Text") && last.index.empty() &&
        !parts[parts.size() - 2].index.empty()) {
        return head(parts.size() - 1) + "Text";
    }
    return std::nullopt;
}

}  // namespace parlix::forms
