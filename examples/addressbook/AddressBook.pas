program AddressBook;

{ The example application: two forms whose texts come from the unit uTexte that parlix-build
  generates from AddressBook.ppr. Compile it with -dDeutsch or -dEnglish to choose the
  language, or let the unit choose (parlix-build --define 1 or 2). }

uses
  uControls, uAddress, uAbout, uTexte;

procedure Show(const Indent, Text: string);
begin
  Writeln(Indent, Utf8(Text));
end;

begin
  ParlixTranslate();

  Show('', frmAddress.Caption);
  Show('  ', frmAddress.lblName.Caption);
  Show('  ', frmAddress.lblStreet.Caption);
  Show('  [' , frmAddress.btSave.Caption + ']  ' + frmAddress.btSave.Hint);
  Show('  [', frmAddress.btClose.Caption + ']');
  Show('  Menu: ', frmAddress.miSave.Caption);
  Writeln;
  Show('', frmAbout.Caption);
  Show('  ', frmAbout.lblLicense.Caption);
  Show('  [', frmAbout.btClose.Caption + ']');
  Writeln;
  Show('> ', sNotFound);
  Show('> ', sUnsaved);
end.
