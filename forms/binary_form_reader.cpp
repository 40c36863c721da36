// The reader of binary forms: the stream Delphi's and Free Pascal's TWriter produce, as the
// program stores it ("TPF0"), optionally behind a 16-bit resource header.
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/form_codec.h"
#include "forms/form_reader.h"
#include "table/cp1252.h"

namespace parlix::forms {

namespace {

constexpr int kMaxDepth = 200;  // as for text forms

// The value tags of the stream.
enum Tag : std::uint8_t {
    kNull = 0,
    kList = 1,
    kInt8 = 2,
    kInt16 = 3,
    kInt32 = 4,
    kExtended = 5,
    kString = 6,
    kIdent = 7,
    kFalse = 8,
    kTrue = 9,
    kBinary = 10,
    kSet = 11,
    kLString = 12,
    kNil = 13,
    kCollection = 14,
    kSingle = 15,
    kCurrency = 16,
    kDate = 17,
    kWString = 18,
    kInt64 = 19,
    kUtf8String = 20,
    kUStringOrDouble = 21,  // Free Pascal: a UTF-16 string; Delphi: a Double
};

// The flags byte before a component's class: 0xF0 and these bits.
constexpr std::uint8_t kInheritedFlag = 1;
constexpr std::uint8_t kChildPositionFlag = 2;
constexpr std::uint8_t kInlineFlag = 4;

// Whether the bytes can be a class, component or property name: an identifier, with dots
// between its parts ("Font.Name", "Unit1.TForm1"). Non-ASCII letters are let through.
bool IsName(std::string_view name) {
    bool partStart = true;
    for (const char c : name) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
                            static_cast<unsigned char>(c) >= 0x80;
        if (c == '.' && !partStart) {
            partStart = true;
        } else if (letter || (!partStart && c >= '0' && c <= '9')) {
            partStart = false;
        } else {
            return false;
        }
    }
    return !partStart;
}

// What may follow a value: the next property (or the end of the properties), or the next list
// item (or the end of the list). Tag 21 is read by what follows it.
enum class Context { Properties, List };

class BinaryFormReader {
  public:
    BinaryFormReader(std::string_view bytes, const std::string& file)
        : bytes_(bytes), end_(bytes.size()) {
        form_.file = file;
        form_.syntax = FormSyntax::Binary;
    }

    Form Read() {
        if (bytes_.substr(0, 3) == std::string_view("\xFF\x0A\x00", 3)) {
            ResourceHeader();
        }
        if (bytes_.substr(pos_, 4) != "TPF0") {
            FailAt(pos_, "kein Binärformular: „TPF0“ fehlt");
        }
        pos_ += 4;
        Component(form_.root, 0);
        return std::move(form_);
    }

  private:
    [[noreturn]] void FailAt(std::size_t offset, const std::string& message) const {
        throw FaultError(
            Fault{Fault::Kind::Content, form_.file, 0, static_cast<std::int64_t>(offset), message});
    }

    [[noreturn]] void CutShort() const {
        FailAt(end_, "das Formular bricht ab (die Datei ist zu kurz)");
    }

    void Need(std::size_t count) const {
        if (end_ - pos_ < count) {
            CutShort();
        }
    }

    std::uint8_t PeekByte() const {
        Need(1);
        return static_cast<std::uint8_t>(bytes_[pos_]);
    }

    std::uint8_t Byte() {
        const std::uint8_t value = PeekByte();
        ++pos_;
        return value;
    }

    std::uint32_t UInt32At(std::size_t at) const {
        std::uint32_t value = 0;
        for (std::size_t i = 4; i-- > 0;) {
            value = (value << 8) | static_cast<std::uint8_t>(bytes_[at + i]);
        }
        return value;
    }

    std::uint32_t UInt32() {
        Need(4);
        const std::uint32_t value = UInt32At(pos_);
        pos_ += 4;
        return value;
    }

    std::string_view Bytes(std::size_t count) {
        Need(count);
        const std::string_view bytes = bytes_.substr(pos_, count);
        pos_ += count;
        return bytes;
    }

    std::string_view ShortString() { return Bytes(Byte()); }

    // FF, the type 0A 00 (RCDATA), the name (text up to 00, or FF and a number), flags and the
    // size; the form is the `size` bytes after it.
    void ResourceHeader() {
        pos_ = 3;
        if (PeekByte() == 0xFF) {
            Bytes(3);
        } else {
            const std::size_t nul = bytes_.find('\0', pos_);
            if (nul == std::string_view::npos) {
                CutShort();
            }
            pos_ = nul + 1;
        }
        Bytes(2);
        const std::uint32_t size = UInt32();
        if (size > end_ - pos_) {
            FailAt(pos_ - 4, "die Ressource ist kürzer, als ihr Kopf angibt (" +
                                 std::to_string(size) + " Bytes)");
        }
        end_ = pos_ + size;
        bytes_ = bytes_.substr(0, end_);  // nothing past the resource is read, its "TPF0" neither
    }

    // An integer value (Int8 to Int64), as for a child position.
    long long Integer() {
        const std::size_t at = pos_;
        const std::uint8_t tag = Byte();
        std::size_t size = 0;
        switch (tag) {
            case kInt8:
                size = 1;
                break;
            case kInt16:
                size = 2;
                break;
            case kInt32:
                size = 4;
                break;
            case kInt64:
                size = 8;
                break;
            default:
                FailAt(at, "Zahl erwartet, nicht ein Wert der Art " + std::to_string(tag));
        }
        const std::string_view bytes = Bytes(size);
        unsigned long long value = 0;
        for (std::size_t i = size; i-- > 0;) {
            value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
        }
        if (size < 8 && (value >> (size * 8 - 1)) != 0) {
            value |= ~0ULL << (size * 8);  // the sign extended
        }
        return static_cast<long long>(value);
    }

    void Component(FormComponent& component, int depth) {
        component.place.offset = pos_;
        if (depth > kMaxDepth) {
            FailAt(pos_, "Komponenten zu tief verschachtelt");
        }
        const std::uint8_t first = PeekByte();
        if ((first & 0xF0) == 0xF0) {
            ++pos_;
            const std::uint8_t flags = first & 0x0F;
            if ((flags & ~(kInheritedFlag | kChildPositionFlag | kInlineFlag)) != 0) {
                FailAt(pos_ - 1, "unbekannte Kennzeichen einer Komponente");
            }
            if ((flags & kChildPositionFlag) != 0) {
                const std::size_t at = pos_;
                const long long position = Integer();
                if (position < 0 || position > 1000000000) {
                    FailAt(at, "unmögliche Position der Komponente: " + std::to_string(position));
                }
                component.childPosition = static_cast<int>(position);
            }
            component.declaration = (flags & kInlineFlag) != 0      ? Declaration::Inline
                                    : (flags & kInheritedFlag) != 0 ? Declaration::Inherited
                                                                    : Declaration::Object;
        }
        const std::size_t classAt = pos_;
        component.className = detail::Readable(ShortString());
        if (!IsName(component.className)) {
            FailAt(classAt, "Klasse einer Komponente erwartet");
        }
        const std::size_t nameAt = pos_;
        component.name = detail::Readable(ShortString());
        if (!component.name.empty() && !IsName(component.name)) {
            FailAt(nameAt, "Name einer Komponente erwartet");
        }
        while (PeekByte() != kNull) {
            Property(component.strings, {}, depth);
        }
        ++pos_;
        while (PeekByte() != kNull) {
            Component(component.children.emplace_back(), depth + 1);
        }
        ++pos_;
    }

    void Property(std::vector<FormString>& strings, const std::string& prefix, int depth) {
        const std::size_t at = pos_;
        const std::string_view name = ShortString();
        if (!IsName(name)) {
            FailAt(at, "Name einer Eigenschaft erwartet");
        }
        Value(strings, prefix + detail::Readable(name), depth, Context::Properties);
    }

    void Value(std::vector<FormString>& strings, const std::string& path, int depth,
               Context context) {
        const std::size_t at = pos_;
        if (depth > kMaxDepth) {
            FailAt(at, "Werte zu tief verschachtelt");
        }
        const std::uint8_t tag = Byte();
        switch (tag) {
            case kList:
                for (int index = 0; PeekByte() != kNull; ++index) {
                    Value(strings, path + '[' + std::to_string(index) + ']', depth + 1,
                          Context::List);
                }
                ++pos_;
                return;
            case kInt8:
                Bytes(1);
                return;
            case kInt16:
                Bytes(2);
                return;
            case kInt32:
            case kSingle:
                Bytes(4);
                return;
            case kExtended:
                Bytes(10);
                return;
            case kCurrency:
            case kDate:
            case kInt64:
                Bytes(8);
                return;
            case kFalse:
            case kTrue:
            case kNil:
                return;
            case kIdent:
                ShortString();
                return;
            case kBinary:
                Bytes(UInt32());
                return;
            case kSet:
                while (!ShortString().empty()) {
                }
                return;
            case kString:
                return ByteString(strings, path, at, ShortString());
            case kLString:
            case kUtf8String:
                return ByteString(strings, path, at, Bytes(UInt32()));
            case kWString:
                return Utf16String(strings, path, at);
            case kCollection:
                return Collection(strings, path, depth);
            case kUStringOrDouble:
                return StringOrDouble(strings, path, at, context);
            default:
                FailAt(at, (tag == kNull ? "Wert von „" + path + "“ fehlt"
                                         : "unbekannte Art von Wert (" + std::to_string(tag) +
                                               ") für „" + path + "“"));
        }
    }

    void ByteString(std::vector<FormString>& strings, const std::string& path, std::size_t at,
                    std::string_view bytes) {
        std::string text;
        detail::AppendBytes(bytes, detail::IsUtf8(bytes), text);
        strings.push_back({path, std::move(text), {0, at}});
    }

    void Utf16String(std::vector<FormString>& strings, const std::string& path, std::size_t at) {
        const std::uint32_t units = UInt32();
        if (units > (end_ - pos_) / 2) {
            CutShort();
        }
        std::string text;
        for (std::uint32_t i = 0; i < units; ++i) {
            const std::uint32_t unit = Unit(pos_ + 2 * i);
            if (detail::IsHighSurrogate(unit) && i + 1 < units &&
                detail::IsLowSurrogate(Unit(pos_ + 2 * i + 2))) {
                AppendUtf8(text, detail::CombineSurrogates(unit, Unit(pos_ + 2 * i + 2)));
                ++i;
            } else if (detail::IsHighSurrogate(unit) || detail::IsLowSurrogate(unit)) {
                FailAt(pos_ + 2 * i, "eine halbe UTF-16-Ersatzfolge im Text von „" + path + "“");
            } else {
                AppendUtf8(text, unit);
            }
        }
        pos_ += 2 * std::size_t{units};
        strings.push_back({path, std::move(text), {0, at}});
    }

    std::uint32_t Unit(std::size_t at) const {
        return static_cast<std::uint8_t>(bytes_[at]) |
               (std::uint32_t{static_cast<std::uint8_t>(bytes_[at + 1])} << 8);
    }

    // Items, each with an optional order number and a list of properties up to 00; then 00.
    void Collection(std::vector<FormString>& strings, const std::string& path, int depth) {
        for (int index = 0; PeekByte() != kNull; ++index) {
            const std::uint8_t tag = PeekByte();
            if (tag == kInt8 || tag == kInt16 || tag == kInt32) {
                Integer();
            }
            const std::size_t at = pos_;
            if (Byte() != kList) {
                FailAt(at, "Element der Sammlung „" + path + "“ erwartet");
            }
            const std::string prefix = path + '[' + std::to_string(index) + "].";
            while (PeekByte() != kNull) {
                Property(strings, prefix, depth + 1);
            }
            ++pos_;
        }
        ++pos_;
    }

    // Tag 21 is a UTF-16 string in Free Pascal's stream and a Double in Delphi's. Only one of
    // them can be followed by what must come next; when both or neither can, the form is
    // refused rather than guessed.
    void StringOrDouble(std::vector<FormString>& strings, const std::string& path, std::size_t at,
                        Context context) {
        const std::size_t left = end_ - pos_;
        bool asString = false;
        if (left >= 4) {
            const std::uint64_t units = UInt32At(pos_);
            asString = units <= (left - 4) / 2 && IsUtf16(pos_ + 4, units) &&
                       Follows(pos_ + 4 + 2 * units, context);
        }
        const bool asDouble = left >= 8 && Follows(pos_ + 8, context);
        if (asString && !asDouble) {
            return Utf16String(strings, path, at);
        }
        if (asDouble && !asString) {
            Bytes(8);
            return;
        }
        FailAt(at, "der Wert von „" + path +
                       "“ (Art 21) lässt sich weder eindeutig als Text (Free Pascal) noch als "
                       "Gleitkommazahl (Delphi) lesen");
    }

    bool IsUtf16(std::size_t at, std::uint64_t units) const {
        for (std::uint64_t i = 0; i < units; ++i) {
            const std::uint32_t unit = Unit(at + 2 * i);
            if (detail::IsHighSurrogate(unit) && i + 1 < units &&
                detail::IsLowSurrogate(Unit(at + 2 * i + 2))) {
                ++i;
            } else if (detail::IsHighSurrogate(unit) || detail::IsLowSurrogate(unit)) {
                return false;
            }
        }
        return true;
    }

    // Whether what stands at `at` can come after a value: the end of the list or properties
    // (00), the next list item's tag, or the next property's name and tag.
    bool Follows(std::size_t at, Context context) const {
        if (at >= end_) {
            return false;
        }
        const std::uint8_t next = static_cast<std::uint8_t>(bytes_[at]);
        if (next == kNull) {
            return true;
        }
        if (context == Context::List) {
            return next <= kUStringOrDouble;
        }
        const std::size_t tagAt = at + 1 + next;
        if (tagAt >= end_) {
            return false;
        }
        if (!IsName(bytes_.substr(at + 1, next))) {
            return false;
        }
        const std::uint8_t tag = static_cast<std::uint8_t>(bytes_[tagAt]);
        return tag != kNull && tag <= kUStringOrDouble;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::size_t end_;
    Form form_;
};

}  // namespace

Form ReadBinaryForm(std::string_view bytes, const std::string& file) {
    return BinaryFormReader(bytes, file).Read();
}

}  // namespace parlix::forms
