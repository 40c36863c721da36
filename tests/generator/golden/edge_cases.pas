unit uTexte.de;

interface

procedure ParlixTranslate();
{$DEFINE Deutsch}

const
{$IFDEF Deutsch}
  sName	= 'Name';
  sEmpty	= '';
  sQuote	= 'Geht''s?';
  sNull	= '';
{$ENDIF}

{$IFDEF English}
  sName	= 'Name';
  sEmpty	= '';
  sQuote	= 'Don''t ''quote'' me';
  sNull	= '';
{$ENDIF}

implementation

procedure ParlixTranslate();

begin

{$IFDEF Deutsch}
  frmMain.lblName.Caption	:= sName;
  a	:= 'A und B';
  b	:= 'A und B';
  frmMain.Caption	:= sEmpty;
  frmMain.lblHint.Hint	:= '';
  frmMain.btOK.Caption	:= 'Über''s Ziel';
  frmMain.btOK.Hint	:= 'Über''s Ziel';
  frm Main.bt A.Caption	:= 'zwei  Leerzeichen';
  frmMain.lblNull.Caption	:= sNull;
  frmMain.lblQuotes.Caption	:= '''';
{$ENDIF}

{$IFDEF English}
  frmMain.lblName.Caption	:= sName;
  a	:= 'A and B';
  b	:= 'A and B';
  frmMain.Caption	:= sEmpty;
  frmMain.lblHint.Hint	:= '';
  frmMain.btOK.Caption	:= 'It''s done';
  frmMain.btOK.Hint	:= 'It''s done';
  frm Main.bt A.Caption	:= 'two  spaces';
  frmMain.lblNull.Caption	:= sNull;
  frmMain.lblQuotes.Caption	:= '''''';
{$ENDIF}

end;

end.

