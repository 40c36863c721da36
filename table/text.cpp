#include "table/text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace parlix {

std::string_view TrimView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) {
        --end;
    }
    return text.substr(begin, end - begin);
}

unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c + 32);
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {  // À..Þ without ×
        return static_cast<unsigned char>(c + 32);
    }
    switch (c) {
        case 0x8A:  // Š
        case 0x8C:  // Œ
        case 0x8E:  // Ž
            return static_cast<unsigned char>(c + 16);
        case 0x9F:  // Ÿ
            return 0xFF;
        default:
            return c;
    }
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseDecimal(std::string_view text) {
    text = TrimView(text);
    // Validate the shape first: from_chars also takes "inf", "nan" and hexadecimal forms.
    std::string normal;
    normal.reserve(text.size());
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            normal += '-';
        }
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            normal += c;
        } else if ((c == ',' || c == '.') && !separator) {
            separator = true;
            normal += '.';
        } else {
            break;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            normal += text[i++];
        }
        int exponentDigits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            normal += text[i];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc{} || ptr != normal.data() + normal.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatGeneral(double value, char separator) {
    constexpr int kPrecision = 15;
    if (value == 0) {
        return "0";
    }
    // Scientific form with 15 significant digits gives the rounded digits and the decimal
    // exponent; to_chars, unlike printf, ignores the process locale.
    char buffer[64];
    auto [last, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::scientific, kPrecision - 1);
    (void)ec;
    std::string_view text(buffer, static_cast<std::size_t>(last - buffer));
    bool negative = text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c != '.') {
            digits += c;
        }
    }
    int exponent = std::stoi(std::string(text.substr(e + 1)));
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    // Digits before the decimal point: exponent + 1. Fixed notation while that lies in
    // -3 .. kPrecision (so 0.0001 stays fixed and 0.00001 becomes 1E-5).
    int integerDigits = exponent + 1;
    std::string out = negative ? "-" : "";
    if (integerDigits > kPrecision || integerDigits < -3) {
        out += digits[0];
        if (digits.size() > 1) {
            out += separator;
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (integerDigits <= 0) {
        out += '0';
        out += separator;
        out.append(static_cast<std::size_t>(-integerDigits), '0');
        out += digits;
    } else if (static_cast<int>(digits.size()) <= integerDigits) {
        out += digits;
        out.append(static_cast<std::size_t>(integerDigits) - digits.size(), '0');
    } else {
        out.append(digits, 0, static_cast<std::size_t>(integerDigits));
        out += separator;
        out.append(digits, static_cast<std::size_t>(integerDigits), std::string::npos);
    }
    return out;
}

namespace {

template <typename Piece>
std::int32_t SplitInto(std::string_view text, std::vector<Piece>& pieces, char separator) {
    std::int32_t count = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator)) {
        pieces.emplace_back(text.substr(0, at));
        ++count;
        text.remove_prefix(at + 1);
    }
    if (!text.empty()) {
        pieces.emplace_back(text);
        ++count;
    }
    return count;
}

}  // namespace

std::int32_t SplitAtChar(std::string_view text, std::vector<std::string>& pieces, char separator) {
    return SplitInto(text, pieces, separator);
}

std::int32_t SplitAtChar(std::string_view text, std::vector<std::string_view>& pieces,
                         char separator) {
    return SplitInto(text, pieces, separator);
}

}  // namespace parlix
