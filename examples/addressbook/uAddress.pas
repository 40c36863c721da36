unit uAddress;

{ The address form of the example application. }

interface

uses
  uControls;

type
  TfrmAddress = class(TForm)
  public
    lblName: TTextControl;
    lblStreet: TTextControl;
    btSave: TTextControl;
    miSave: TTextControl;
    btClose: TTextControl;
    constructor Create;
  end;

var
  frmAddress: TfrmAddress;

implementation

constructor TfrmAddress.Create;
begin
  inherited Create;
  lblName := TTextControl.Create;
  lblStreet := TTextControl.Create;
  btSave := TTextControl.Create;
  miSave := TTextControl.Create;
  btClose := TTextControl.Create;
end;

initialization
  frmAddress := TfrmAddress.Create;
end.
