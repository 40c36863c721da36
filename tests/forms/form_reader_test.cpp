// The grammar of the three kinds of form files, and what a damaged one is told: each case is a
// small form and the tree (see form_dump.h) or the message it gives.
#include <gtest/gtest.h>

#include <string>

#include "forms/form_dump.h"
#include "forms/form_reader.h"

namespace parlix::forms {
namespace {

using namespace std::string_literals;

using parlix::testing::Dump;

// Pieces of a binary form: a short string, a 32-bit length with its bytes, a little-endian
// number of `size` bytes.
std::string Short(const std::string& text) {
    return char(text.size()) + text;
}
std::string Number(unsigned long long value, int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}
std::string Long(const std::string& bytes) {
    return Number(bytes.size(), 4) + bytes;
}
std::string Utf16(const std::u16string& text) {
    std::string bytes = Number(text.size(), 4);
    for (const char16_t unit : text) {
        bytes += Number(unit, 2);
    }
    return bytes;
}
// A 16-bit resource header (FF, type 0A 00, name "T", flags) claiming `size` bytes.
std::string Header(std::uint32_t size) {
    return "\xFF\x0A\x00T"s + '\0' + "\x30\x10" + Number(size, 4);
}
// A root component "Form1: TForm1" with the given property bytes and children.
std::string Root(const std::string& properties, const std::string& children = {}) {
    return "TPF0" + Short("TForm1") + Short("Form1") + properties + '\0' + children + '\0';
}
std::string Property(const std::string& name, char tag, const std::string& value) {
    return Short(name) + tag + value;
}

struct ReadCase {
    const char* name;
    const char* file;  // its extension chooses the text reader
    std::string bytes;
    const char* tree;
};

TEST(FormReader, ReadsTheGrammarOfEachKindIntoOneTree) {
    const ReadCase cases[] = {
        {"lfm values of every kind, names in any case", "a.lfm",
         "object Form1: TForm1\n"
         "  left = -8\n  Top = $1F\n  Scale = 1.5E-3\n  Price = 12.5c\n"
         "  Anchors = [akTop, akLeft]\n  Empty = []\n  Visible = True\n  PopupMenu = nil\n"
         "  ActiveControl = Form2.Button1\n"
         "  Data = {\n    0A0B\n    0C0D\n  }\n"
         "  caption = 'It''s'#13#10'done'\n"
         "  Items.Strings = (\n    'one'\n    2\n    'three'\n  )\n"
         "  Columns = <\n    item\n      Title.Caption = 'A'\n      Width = 4\n    end\n"
         "    item [7]\n      PickList.Strings = (\n        'x'\n      )\n    end>\n"
         "  Nothing = <>\n"
         "  object Panel1: TPanel [2]\n"
         "    inherited Edit1: TEdit\n      Text = ''\n    end\n"
         "  end\n"
         "  inline Frame1: Unit2.TFrame1\n  end\n"
         "  object TTimer\n  end\n"
         "end\n",
         "object Form1: TForm1\n"
         "  caption = 'It's#13#10done'\n"
         "  Items.Strings[0] = 'one'\n"
         "  Items.Strings[2] = 'three'\n"
         "  Columns[0].Title.Caption = 'A'\n"
         "  Columns[1].PickList.Strings[0] = 'x'\n"
         "  object Panel1: TPanel [2]\n"
         "    inherited Edit1: TEdit\n"
         "      Text = ''\n"
         "  inline Frame1: Unit2.TFrame1\n"
         "  object : TTimer\n"},
        {"lfm characters: raw UTF-8, code points, a surrogate pair, a BOM", "a.lfm",
         "\xEF\xBB\xBFobject F: TF\n  Caption = 'Gr\xC3\xB6\xC3\x9F"
         "e '#8364#128512' '#55357#56832"
         "'!'\nend",
         "object F: TF\n  Caption = 'Größe €😀 😀!'\n"},
        {"dfm: + over lines, UTF-16 units and pairs, CR LF", "a.DFM",
         "object F: TF\r\n  Caption = \r\n    'Gr'#246#223'e ' +\r\n    #8364' '#55357 +\r\n"
         "    #56832\r\n  Hint = #65'b'\r\nend\r\n",
         "object F: TF\n  Caption = 'Größe € 😀'\n  Hint = 'Ab'\n"},
        {"dfm of an old Delphi: Windows-1252 bytes", "a.dfm",
         "object F: TF\n  Caption = 'Gr\xF6\xDF"
         "e \x80'\nend\n",
         "object F: TF\n  Caption = 'Größe €'\n"},
        {"names of a Windows-1252 form as UTF-8", "a.dfm",
         "object Gr\xF6\xDF"
         "e: TF\n  \xC4.\xDC = 'x'\nend\n",
         "object Größe: TF\n  Ä.Ü = 'x'\n"},
        {"binary: flags, child position, every kind of value", "a.res",
         Root(Property("Left", 2, "\xF8") + Property("Big", 19, Number(1ULL << 40, 8)) +
                  Property("Ratio", 5, std::string(10, '\x01')) + Property("Ok", 9, "") +
                  Property("Anchors", 11, Short("akTop") + Short("akLeft") + '\0') +
                  Property("Data", 10, Long("\x01\x02")) + Property("Name1", 7, Short("nil")) +
                  Property("Caption", 6,
                           Short("Gr\xC3\xB6\xC3\x9F"
                                 "e")) +
                  Property("Hint", 12,
                           Long("Gr\xF6\xDF"
                                "e")) +
                  Property("Title", 18, Utf16(u"€\U0001F600")) +
                  Property("Filter", 20, Long("\xE2\x82\xAC")) +
                  Property("Items.Strings", 1,
                           "\x06\x01"
                           "a"
                           "\x02\x05"
                           "\x06\x01"
                           "c"
                           "\0"s) +
                  Property("Columns", 14,
                           "\x01" + Property("Caption", 6, Short("A")) + '\0' + "\x02\x07\x01" +
                               Property("Title.Caption", 6, Short("B")) + '\0' + '\0'),
              "\xF3\x02\x05" + Short("TButton") + Short("B") + std::string(2, '\0') + "\xF4" +
                  Short("TFrame1") + Short("Fr") + std::string(2, '\0')),
         "object Form1: TForm1\n"
         "  Caption = 'Größe'\n"
         "  Hint = 'Größe'\n"
         "  Title = '€😀'\n"
         "  Filter = '€'\n"
         "  Items.Strings[0] = 'a'\n"
         "  Items.Strings[2] = 'c'\n"
         "  Columns[0].Caption = 'A'\n"
         "  Columns[1].Title.Caption = 'B'\n"
         "  inherited B: TButton [5]\n"
         "  inline Fr: TFrame1\n"},
        {"binary behind a resource header; tag 21 as Free Pascal's UTF-16 text", "a.dfm",
         std::string("\xFF\x0A\x00"
                     "TFORM1\0"
                     "\x30\x10",
                     12) +
             Long(Root(Property("Caption", 21, Utf16(u"ä")) + Property("Left", 2, "\x01"))) +
             "padding",
         "object Form1: TForm1\n  Caption = 'ä'\n"},
        {"binary: tag 21 as Delphi's Double, in a list and among properties", "a.res",
         Root(Property("Scale", 21, std::string(8, '\xFF')) +
              Property("Values", 1, "\x15" + std::string(8, '\x40') + "\x06\x01z\0"s)),
         "object Form1: TForm1\n  Values[1] = 'z'\n"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            EXPECT_EQ(Dump(ReadForm(c.bytes, c.file)), c.tree);
        } catch (const FaultError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

struct FaultCase {
    const char* file;
    std::string bytes;
    const char* message;
};

TEST(FormReader, RefusesADamagedFormWithItsLineOrOffset) {
    const std::string nested(300, '(');
    const FaultCase cases[] = {
        {"a.lfm", "",
         "a.lfm:1: kein Formular: „object“, „inherited“ oder „inline“ erwartet, "
         "nicht das Ende der Datei"},
        {"a.lfm", "\n\nform Form1",
         "a.lfm:3: kein Formular: „object“, „inherited“ oder "
         "„inline“ erwartet, nicht „form“"},
        {"a.lfm", "object Form1: TForm1\n  Caption = 'abc\nend\n",
         "a.lfm:2: Text ohne schließendes Hochkomma"},
        {"a.lfm", "object Form1: TForm1\n  Caption = 'abc'\n",
         "a.lfm:3: die Datei endet vor dem „end“ der Komponente „Form1“"},
        {"a.lfm", "object Form1: TForm1\n  object B: TButton\n  end\n  Caption = 'x'\nend",
         "a.lfm:4: „end“ oder eine Komponente erwartet, nicht „Caption“: Eigenschaften stehen "
         "vor den Komponenten"},
        {"a.lfm", "object Form1: TForm1\n  Caption 'x'\nend",
         "a.lfm:2: „=“ erwartet nach „Caption“, nicht „'“"},
        {"a.lfm", "object F: TF\n  Caption = 'a' +\nend",
         "a.lfm:3: Text erwartet nach „+“, nicht „e“"},
        {"a.lfm", "object F: TF\n  Data = {\n 0A0\n }\nend",
         "a.lfm:2: Binärdaten mit einer ungeraden Zahl von Hexadezimalziffern"},
        {"a.lfm", "object F: TF\n  Items = <\n    Caption = 'x'\n  >\nend",
         "a.lfm:3: „item“ oder „>“ erwartet in der Sammlung „Items“, nicht „Caption“"},
        {"a.lfm", "object F: TF\n  Caption = #55357'x'\nend",
         "a.lfm:2: #55357 ist eine halbe UTF-16-Ersatzfolge ohne ihre andere Hälfte"},
        {"a.lfm", "object F: TF\n  Caption = #1114112\nend",
         "a.lfm:2: #1114112 ist kein Unicode-Zeichen"},
        {"a.dfm", "object F: TF\n  Caption = #128512\nend",
         "a.dfm:2: #128512 ist kein UTF-16-Zeichen"},
        {"a.lfm", "object F: TF\n  Items = " + nested, "a.lfm:2: Werte zu tief verschachtelt"},
        {"a.res", Header(4) + "TPF1", "a.res: Byte 11: kein Binärformular: „TPF0“ fehlt"},
        {"a.res",
         Root(Property("Caption", 6,
                       "\x05"
                       "ab")),
         "a.res: Byte 31: das Formular bricht ab (die Datei ist zu kurz)"},
        {"a.res", Root(Property("Caption", 22, "")),
         "a.res: Byte 25: unbekannte Art von Wert (22) für „Caption“"},
        {"a.res", Root(Short("Cap\ntion") + '\x08'),
         "a.res: Byte 17: Name einer Eigenschaft erwartet"},
        {"a.res",
         Root("",
              "\xF2\x13" + Number(~0ULL, 8) + Short("TButton") + Short("B") + std::string(2, '\0')),
         "a.res: Byte 19: unmögliche Position der Komponente: -1"},
        {"a.res", Root("", "\xF8" + Short("TButton") + Short("B") + std::string(2, '\0')),
         "a.res: Byte 18: unbekannte Kennzeichen einer Komponente"},
        {"a.res", Root(Property("Title", 18, Number(1, 4) + Number(0xDC00, 2))),
         "a.res: Byte 28: eine halbe UTF-16-Ersatzfolge im Text von „Title“"},
        {"a.res", Root(Property("X", 21, Number(2, 4) + std::string(4, 'A'))),
         "a.res: Byte 19: der Wert von „X“ (Art 21) lässt sich weder eindeutig als Text (Free "
         "Pascal) noch als Gleitkommazahl (Delphi) lesen"},
        {"a.res", Header(100) + "TPF0",
         "a.res: Byte 7: die Ressource ist kürzer, als ihr Kopf angibt (100 Bytes)"},
        // The message is UTF-8 whatever the file holds.
        {"a.dfm", "object F: TF\n  Caption \xE4 = 'x'\nend",
         "a.dfm:2: „=“ erwartet nach „Caption“, nicht „ä“"},
        // A resource of no bytes before a form: the form is not the resource's.
        {"a.res", Header(0) + Root(""), "a.res: Byte 11: kein Binärformular: „TPF0“ fehlt"},
    };
    for (const FaultCase& c : cases) {
        try {
            ReadForm(c.bytes, c.file);
            ADD_FAILURE() << "read without a fault: " << c.message;
        } catch (const FaultError& error) {
            EXPECT_EQ(error.GetFault().Text(), c.message);
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

}  // namespace
}  // namespace parlix::forms
