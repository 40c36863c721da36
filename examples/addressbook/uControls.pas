unit uControls;

{ Stand-ins for the VCL: just enough of a form and its controls to hold the texts that the
  generated unit assigns, so that the example runs as a console program anywhere. }

interface

type
  TTextControl = class
  private
    FCaption: string;
    FHint: string;
  published
    property Caption: string read FCaption write FCaption;
    property Hint: string read FHint write FHint;
  end;

  TForm = class(TTextControl)
  end;

{ The terminal speaks UTF-8, while Delphi sources and the generated unit are Windows-1252. }
function Utf8(const Text: string): string;

implementation

const
  { Unicode code points of the Windows-1252 bytes $80 to $9F; the rest is ISO 8859-1. }
  Cp1252High: array[$80..$9F] of Word = (
    $20AC, $FFFD, $201A, $0192, $201E, $2026, $2020, $2021,
    $02C6, $2030, $0160, $2039, $0152, $FFFD, $017D, $FFFD,
    $FFFD, $2018, $2019, $201C, $201D, $2022, $2013, $2014,
    $02DC, $2122, $0161, $203A, $0153, $FFFD, $017E, $0178);

function Utf8(const Text: string): string;
var
  I: Integer;
  Code: Word;
begin
  Result := '';
  for I := 1 to Length(Text) do
  begin
    Code := Ord(Text[I]);
    if (Code >= $80) and (Code <= $9F) then
      Code := Cp1252High[Code];
    if Code < $80 then
      Result := Result + Chr(Code)
    else if Code < $800 then
      Result := Result + Chr($C0 or (Code shr 6)) + Chr($80 or (Code and $3F))
    else
      Result := Result + Chr($E0 or (Code shr 12)) + Chr($80 or ((Code shr 6) and $3F))
        + Chr($80 or (Code and $3F));
  end;
end;

end.
