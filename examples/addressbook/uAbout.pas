unit uAbout;

{ The about box of the example application. }

interface

uses
  uControls;

type
  TfrmAbout = class(TForm)
  public
    lblLicense: TTextControl;
    btClose: TTextControl;
    constructor Create;
  end;

var
  frmAbout: TfrmAbout;

implementation

constructor TfrmAbout.Create;
begin
  inherited Create;
  lblLicense := TTextControl.Create;
  btClose := TTextControl.Create;
end;

initialization
  frmAbout := TfrmAbout.Create;
end.
