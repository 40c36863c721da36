// The reader of text forms, Lazarus' .lfm and Delphi's .dfm: one grammar, two ways of writing
// characters (see form_reader.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form_reader.h"
#include "forms/text_form_scanner.h"

namespace parlix::forms {

namespace {

using detail::IsDigit;
using detail::IsLetter;

// Components, lists and collections nested deeper than this are refused rather than read
// with a stack that a hostile file could exhaust. Real forms stay below 20.
constexpr int kMaxDepth = 200;

bool IsKeyword(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != keyword[i]) {
            return false;
        }
    }
    return true;
}

// The keyword that opens a component, if the word is one.
bool DeclarationOf(std::string_view word, Declaration& declaration) {
    if (IsKeyword(word, "object")) {
        declaration = Declaration::Object;
    } else if (IsKeyword(word, "inherited")) {
        declaration = Declaration::Inherited;
    } else if (IsKeyword(word, "inline")) {
        declaration = Declaration::Inline;
    } else {
        return false;
    }
    return true;
}

class TextFormReader : private detail::TextScanner {
  public:
    TextFormReader(std::string_view bytes, const std::string& file, FormSyntax syntax)
        : TextScanner(bytes, syntax, result_) {
        result_.file = file;
        result_.syntax = syntax;
    }

    Form Read() {
        if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") {
            pos_ = 3;
        }
        SkipBlanks();
        const int line = line_;
        const std::string_view word = Word();
        Declaration declaration = Declaration::Object;
        if (!DeclarationOf(word, declaration)) {
            Fail("kein Formular: „object“, „inherited“ oder „inline“ erwartet, nicht " +
                 Found(word));
        }
        result_.root.declaration = declaration;
        result_.root.place.line = line;
        Component(result_.root, 0);
        // What follows the root's "end" is never loaded: Lazarus, Delphi and the compilers
        // read one component tree per file. Real forms have a second, stale one appended.
        return std::move(result_);
    }

  private:
    // The header after the keyword, the properties, then the children up to "end".
    void Component(FormComponent& component, int depth) {
        if (depth > kMaxDepth) {
            Fail("Komponenten zu tief verschachtelt");
        }
        SkipBlanks();
        const std::string_view first = Word();
        if (first.empty()) {
            Fail("Name oder Klasse der Komponente erwartet, nicht " + Found({}));
        }
        SkipBlanks();
        if (Peek() == ':') {
            ++pos_;
            SkipBlanks();
            const std::string_view type = Word();
            if (type.empty()) {
                Fail("Klasse der Komponente „" + detail::Readable(first) + "“ erwartet, nicht " +
                     Found({}));
            }
            component.name = detail::Readable(first);
            component.className = DottedName(type);
            SkipBlanks();
            if (Peek() == '[') {
                ++pos_;
                SkipBlanks();
                component.childPosition = ChildPosition();
                Expect(']', "nach der Position der Komponente");
            }
        } else {
            component.className = DottedName(first);
        }
        for (;;) {
            SkipBlanks();
            const int line = line_;
            const std::string_view word = Word();
            if (IsKeyword(word, "end")) {
                return;
            }
            Declaration declaration = Declaration::Object;
            if (DeclarationOf(word, declaration)) {
                FormComponent& child = component.children.emplace_back();
                child.declaration = declaration;
                child.place.line = line;
                Component(child, depth + 1);
            } else if (word.empty()) {
                Fail(AtEnd() ? "die Datei endet vor dem „end“ der Komponente „" +
                                   Describe(component) + "“"
                             : "Eigenschaft, Komponente oder „end“ erwartet, nicht " + Found({}));
            } else if (!component.children.empty()) {
                Fail("„end“ oder eine Komponente erwartet, nicht " + Found(word) +
                     ": Eigenschaften stehen vor den Komponenten");
            } else {
                Property(component.strings, {}, word, depth);
            }
        }
    }

    static std::string Describe(const FormComponent& component) {
        return component.name.empty() ? component.className : component.name;
    }

    // "Name.Sub = value"; `prefix` is the collection item's path ("Columns[0].") or empty.
    void Property(std::vector<FormString>& strings, const std::string& prefix,
                  std::string_view first, int depth) {
        const std::string path = prefix + DottedName(first);
        Expect('=', "nach „" + path + "“");
        SkipBlanks();
        Value(strings, path, depth);
    }

    void Value(std::vector<FormString>& strings, const std::string& path, int depth) {
        if (depth > kMaxDepth) {
            Fail("Werte zu tief verschachtelt");
        }
        const int line = line_;
        const char c = Peek();
        if (c == '\'' || c == '#') {
            strings.push_back({path, Text(), {line, 0}});
        } else if (IsDigit(c) || ((c == '-' || c == '+') && pos_ + 1 < bytes_.size() &&
                                  (IsDigit(bytes_[pos_ + 1]) || bytes_[pos_ + 1] == '$'))) {
            Number();
        } else if (c == '$') {
            Number();
        } else if (IsLetter(c)) {
            DottedName(Word());
        } else if (c == '[') {
            Set();
        } else if (c == '(') {
            ++pos_;
            for (int index = 0;; ++index) {
                SkipBlanks();
                if (Peek() == ')') {
                    ++pos_;
                    return;
                }
                if (AtEnd()) {
                    FailAt(line, "die Liste „" + path + "“ endet nicht mit „)“");
                }
                Value(strings, path + '[' + std::to_string(index) + ']', depth + 1);
            }
        } else if (c == '<') {
            ++pos_;
            Collection(strings, path, depth);
        } else if (c == '{') {
            ++pos_;
            BinaryData(line);
        } else {
            Fail("Wert von „" + path + "“ erwartet, nicht " + Found({}));
        }
    }

    void Set() {
        ++pos_;
        SkipBlanks();
        if (Peek() == ']') {
            ++pos_;
            return;
        }
        for (;;) {
            SkipBlanks();
            if (IsLetter(Peek())) {
                Word();
            } else if (IsDigit(Peek()) || Peek() == '-' || Peek() == '$') {
                Number();
            } else {
                Fail("Element einer Menge erwartet, nicht " + Found({}));
            }
            SkipBlanks();
            if (Peek() == ']') {
                ++pos_;
                return;
            }
            if (Peek() != ',') {
                Fail("„,“ oder „]“ erwartet in einer Menge, nicht " + Found({}));
            }
            ++pos_;
        }
    }

    // "<" is read: items, each "item [n]" with properties up to "end", then ">".
    void Collection(std::vector<FormString>& strings, const std::string& path, int depth) {
        for (int index = 0;; ++index) {
            SkipBlanks();
            if (Peek() == '>') {
                ++pos_;
                return;
            }
            const std::string_view word = Word();
            if (!IsKeyword(word, "item")) {
                Fail("„item“ oder „>“ erwartet in der Sammlung „" + path + "“, nicht " +
                     Found(word));
            }
            SkipBlanks();
            if (Peek() == '[') {
                ++pos_;
                SkipBlanks();
                Number();
                Expect(']', "nach der Nummer des Elements");
            }
            const std::string prefix = path + '[' + std::to_string(index) + "].";
            for (;;) {
                SkipBlanks();
                const std::string_view name = Word();
                if (IsKeyword(name, "end")) {
                    break;
                }
                if (name.empty()) {
                    Fail("Eigenschaft oder „end“ erwartet im Element " +
                         prefix.substr(0, prefix.size() - 1) + ", nicht " + Found({}));
                }
                Property(strings, prefix, name, depth + 1);
            }
        }
    }

    Form result_;
};

}  // namespace

Form ReadLazarusForm(std::string_view bytes, const std::string& file) {
    return TextFormReader(bytes, file, FormSyntax::Lazarus).Read();
}

Form ReadDelphiForm(std::string_view bytes, const std::string& file) {
    return TextFormReader(bytes, file, FormSyntax::Delphi).Read();
}

}  // namespace parlix::forms
