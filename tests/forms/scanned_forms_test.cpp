// What of a form is translated, and the paths that reach it: the form variable from the unit
// beside the form, an inherited form with its ancestor's components, an inline frame with the
// frame's components one level down, and what a table's path names.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "forms/scanned_forms.h"
#include "forms/translatable.h"
#include "test_support.h"

namespace parlix::forms {
namespace {

TEST(Translatable, TheListOfTextsAndWhatIsLeftOut) {
    struct Case {
        const char* property;
        const char* text;
        std::optional<std::string> path;  // nothing: not translated
    };
    const Case cases[] = {
        {"Caption", "OK", "Caption"},
        {"caption", "OK", "Caption"},
        {"EditLabel.caption", "Name", "EditLabel.Caption"},
        {"OKButton.Caption", "Gut", "OKButton.Caption"},
        {"Hint", "h", "Hint"},
        {"TextHint", "h", "TextHint"},
        {"Title", "t", "Title"},
        {"DialogTitle", "t", "DialogTitle"},
        {"SimpleText", "s", "SimpleText"},
        {"Filter", "Text|*.txt", "Filter"},
        {"DisplayLabel", "d", "DisplayLabel"},
        {"items.strings[3]", "x", "Items.Strings[3]"},
        {"Lines.Strings[0]", "x", "Lines.Strings[0]"},
        {"Tabs.Strings[1]", "x", "Tabs.Strings[1]"},
        {"Panels[2].Text", "x", "Panels[2].Text"},
        {"Sections[0].text", "x", "Sections[0].Text"},
        {"Columns[1].Caption", "x", "Columns[1].Caption"},
        {"Columns[0].Title.Caption", "x", "Columns[0].Title.Caption"},
        // The component's own name as its caption, the separator, nothing.
        {"Caption", "Button1", std::nullopt},
        {"EditLabel.Caption", "Button1", std::nullopt},
        {"Caption", "-", std::nullopt},
        {"Hint", "", std::nullopt},
        // Input defaults and what is no text for the user.
        {"Text", "Eingabe", std::nullopt},
        {"Name", "x", std::nullopt},
        {"OKButton.Name", "x", std::nullopt},
        {"Font.Name", "Arial", std::nullopt},
        {"LCLVersion", "2.2.6.0", std::nullopt},
        {"Category", "File", std::nullopt},
        {"DataField", "Name", std::nullopt},
        {"Columns[0].FieldName", "Name", std::nullopt},
        {"DefaultExt", ".txt", std::nullopt},
        {"SQL.Strings[0]", "select", std::nullopt},
        {"Columns[0].PickList.Strings[0]", "x", std::nullopt},
        {"Items.Strings", "x", std::nullopt},
        {"Captions", "x", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslatableProperty(c.property, c.text, "Button1"), c.path) << c.property;
    }
}

// An application's folder: a base form, a form inherited from it with a frame on it, the
// frame, a Delphi form without a unit, a damaged form and a form whose ancestor is missing.
void WriteApplication(const parlix::testing::TempDir& dir) {
    using parlix::testing::WriteBytes;
    WriteBytes(dir.File("ubase.pas"),
               "unit ubase;\ninterface\ntype\n  TfrmBase = class(Forms.TForm)\n  end;\n"
               "var\n  frmBase: TfrmBase;\nimplementation\n{$R *.lfm}\nend.\n");
    WriteBytes(dir.File("ubase.lfm"),
               "object frmBase: TfrmBase\n"
               "  Caption = 'Basis'\n"
               "  object btClose: TButton\n    Caption = 'Schließen'\n  end\n"
               "  object lbList: TListBox\n    Items.Strings = (\n      'a'\n      'b'\n    )\n"
               "  end\n"
               "end\n");
    WriteBytes(dir.File("UAddress.pas"),
               "unit UAddress;\n{ var frmFake: TfrmAddress; TfrmAddress = class(TfrmFake) }\n"
               "interface\nuses ubase, usearch;\n"
               "type\n  // TfrmAddress = class(TfrmFake)\n"
               "  TfrmAddress = class(ubase.TfrmBase)\n    procedure X(const s: string = 'var');\n"
               "  end;\n"
               "var\n  Other, More: Integer;\n  AddressForm: TfrmAddress;\n\n"
               "implementation\nvar\n  frmLocal: TfrmAddress;\nend.\n");
    WriteBytes(dir.File("uaddress.lfm"),
               "inherited frmAddress: TfrmAddress\n"
               "  Caption = 'Adressen'\n"
               "  inherited lbList: TListBox\n    Items.Strings = (\n      'x'\n    )\n  end\n"
               "  object btOK: TButton[2]\n    Caption = 'OK'\n    Hint = 'Übernimmt'\n  end\n"
               "  inline Frame1: TfraSearch\n"
               "    inherited edFind: TEdit\n      TextHint = 'Suchen...'\n    end\n"
               "    object btExtra: TButton\n      Caption = 'Extra'\n    end\n"
               "  end\n"
               "end\n");
    WriteBytes(dir.File("usearch.lfm"),
               "object fraSearch: TfraSearch\n"
               "  object edFind: TEdit\n    Text = 'Eingabe'\n    TextHint = 'Suche'\n  end\n"
               "  object lbHit: TLabel\n    Caption = 'Treffer'\n  end\n"
               "end\n");
    WriteBytes(dir.File("About.DFM"), "object AboutBox: TAboutBox\n  Caption = #220'ber'\nend\n");
    WriteBytes(dir.File("broken.lfm"), "object Broken: TBroken\n  Caption = 'x\nend\n");
    WriteBytes(dir.File("orphan.lfm"),
               "inherited frmOrphan: TfrmOrphan\n  object lbX: TLabel\n  end\nend\n");
}

TEST(ScannedForms, TextsWithTheirPathsOverAncestorsAndFrames) {
    parlix::testing::TempDir dir;
    WriteApplication(dir);
    ScannedForms forms;
    for (const char* file : {"uaddress.lfm", "broken.lfm", "About.DFM", "orphan.lfm"}) {
        forms.Add(dir.File(file));
    }
    ASSERT_EQ(forms.Faults().size(), 1u);
    EXPECT_EQ(forms.Faults()[0].Text(),
              dir.File("broken.lfm") + ":2: Text ohne schließendes Hochkomma");
    ASSERT_EQ(forms.Forms().size(), 3u);

    const ScannedForm& address = forms.Forms()[0];
    EXPECT_EQ(address.variable, "AddressForm");
    EXPECT_TRUE(address.variableDeclared);
    std::vector<std::string> texts;
    for (const FormText& text : forms.Texts(address)) {
        texts.push_back(text.path + " = " + text.text + " (" + text.className + ", " +
                        text.file.substr(dir.Path().string().size() + 1) + ":" +
                        std::to_string(text.place.line) + ")");
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "AddressForm.Caption = Adressen (TfrmAddress, uaddress.lfm:2)",
                         "AddressForm.btClose.Caption = Schließen (TButton, ubase.lfm:4)",
                         "AddressForm.lbList.Items.Strings[0] = x (TListBox, uaddress.lfm:5)",
                         "AddressForm.btOK.Caption = OK (TButton, uaddress.lfm:9)",
                         "AddressForm.btOK.Hint = Übernimmt (TButton, uaddress.lfm:10)",
                         "AddressForm.Frame1.edFind.TextHint = Suchen... (TEdit, uaddress.lfm:14)",
                         "AddressForm.Frame1.lbHit.Caption = Treffer (TLabel, usearch.lfm:7)",
                         "AddressForm.btExtra.Caption = Extra (TButton, uaddress.lfm:17)",
                     }));

    const ScannedForm& about = forms.Forms()[1];
    EXPECT_EQ(about.variable, "AboutBox");
    EXPECT_FALSE(about.variableDeclared);
    ASSERT_EQ(forms.Texts(about).size(), 1u);
    EXPECT_EQ(forms.Texts(about)[0].path, "AboutBox.Caption");
    EXPECT_EQ(forms.Texts(about)[0].text, "Über");
}

TEST(ScannedForms, WhatAPathOfTheTableNames) {
    parlix::testing::TempDir dir;
    WriteApplication(dir);
    ScannedForms forms;
    for (const char* file : {"uaddress.lfm", "ubase.lfm", "orphan.lfm"}) {
        forms.Add(dir.File(file));
    }
    // The damaged form beside them was only looked at for its class: not their fault.
    EXPECT_TRUE(forms.Faults().empty());
    struct Case {
        const char* path;
        PathKind kind;
        const char* component;  // the component reached, or the one looked in
        const char* rest;       // the property, or the name that is missing
    };
    const Case cases[] = {
        {"AddressForm.Caption", PathKind::Component, "AddressForm", "Caption"},
        {"AddressForm.btClose.Caption", PathKind::Component, "AddressForm.btClose", "Caption"},
        {"ADDRESSFORM.BTOK.hint", PathKind::Component, "AddressForm.btOK", "hint"},
        {"AddressForm.lbList.Items.Strings[3]", PathKind::Component, "AddressForm.lbList",
         "Items.Strings[3]"},
        {"AddressForm.Frame1.lbHit.Caption", PathKind::Component, "AddressForm.Frame1.lbHit",
         "Caption"},
        {"AddressForm.Frame1.Caption", PathKind::Component, "AddressForm.Frame1", "Caption"},
        {"AddressForm.btExtra.Caption", PathKind::Component, "AddressForm.btExtra", "Caption"},
        {"AddressForm.Font.Name", PathKind::Component, "AddressForm", "Font.Name"},
        {"AddressForm.btOK", PathKind::Component, "AddressForm.btOK", ""},
        {"frmBase.btClose.Caption", PathKind::Component, "frmBase.btClose", "Caption"},
        {"AddressForm.Button2.Caption", PathKind::NoComponent, "AddressForm", "Button2"},
        {"AddressForm.Frame1.btExtra.Caption", PathKind::NoComponent, "AddressForm.Frame1",
         "btExtra"},
        {"frmOrphan.lbX.Caption", PathKind::Component, "frmOrphan.lbX", "Caption"},
        {"frmOrphan.lbY.Caption", PathKind::Undecided, "frmOrphan", "lbY"},
        {"frmAddress.Caption", PathKind::NoForm, "", ""},
        {"sTitle", PathKind::NoForm, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const PathTarget target = forms.Find(c.path);
        EXPECT_EQ(target.kind, c.kind);
        EXPECT_EQ(target.component != nullptr ? target.component->path : "", c.component);
        EXPECT_EQ(c.kind == PathKind::Component ? target.property : target.missing, c.rest);
    }
}

}  // namespace
}  // namespace parlix::forms
