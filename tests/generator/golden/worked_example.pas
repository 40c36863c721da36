unit uTexte;

interface

uses
  uAddress, uAbout;

procedure ParlixTranslate();
{$DEFINE English}

const
{$IFDEF Deutsch}
  sTitle	= 'Adressbuch';
  sNotFound	= 'Nicht gefunden';
{$ENDIF}

{$IFDEF English}
  sTitle	= 'Address book';
  sNotFound	= 'Not found';
{$ENDIF}

implementation

procedure ParlixTranslate();

begin

{$IFDEF Deutsch}
  frmAddress.Caption	:= sTitle;
  frmAddress.btClose.Caption	:= 'Fertig';
  frmAbout.btClose.Caption	:= 'Fertig';
{$ENDIF}

{$IFDEF English}
  frmAddress.Caption	:= sTitle;
  frmAddress.btClose.Caption	:= 'Done';
  frmAbout.btClose.Caption	:= 'Done';
{$ENDIF}

end;

end.

