unit uLeer;

interface

procedure ParlixTranslate();
{$IFDEF Deutsch}
{$ENDIF}

{$IFDEF English}
{$ENDIF}

implementation

procedure ParlixTranslate();

begin

{$IFDEF Deutsch}
{$ENDIF}

{$IFDEF English}
{$ENDIF}

end;

end.

