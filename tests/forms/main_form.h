// A small application's main form with the unit that declares its variable, for the tests of
// the sync and of the checks that know the forms.
#pragma once

#include "test_support.h"

namespace parlix::testing {

// The main form of an application, with the unit that declares its variable.
inline void WriteMainForm(const TempDir& dir) {
    WriteBytes(dir.File("uMain.pas"),
               "unit uMain;\ninterface\ntype TfrmMain = class(TForm) end;\n"
               "var\n  frmMain: TfrmMain;\n  Counter: Integer;\nimplementation\nend.\n");
    WriteBytes(dir.File("umain.lfm"),
               "object frmMain: TfrmMain\n"                                    // 1
               "  Caption = 'Hauptfenster'\n"                                  // 2
               "  object btOK: TButton\n"                                      // 3
               "    Caption = 'OK'\n"                                          // 4
               "    Hint = 'Übernimmt alles'\n"                                // 5
               "  end\n"                                                       // 6
               "  object lbArrow: TLabel\n    Caption = 'Weiter →'\n  end\n"   // 7-9
               "  object lbTwo: TLabel\n    Caption = 'a'#13#10'b'\n  end\n"   // 10-12
               "  object ListBox1: TListBox\n"                                 // 13
               "    Items.Strings = (\n      'Eins'\n      'Zwei'\n    )\n"    // 14-17
               "  end\n"                                                       // 18
               "  object btSave: TButton\n    Caption = 'Speichern'\n  end\n"  // 19-21
               "  object miSave: TMenuItem\n    Caption = 'Sichern'\n  end\n"  // 22-24
               "end\n");
}

}  // namespace parlix::testing
