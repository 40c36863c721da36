unit uaddress;
{ comment } (* other *) // line
interface
uses ubase;
type
  TfrmAddress = class(ubase.TfrmBase)
  private
    var FCount: Integer;
  end;
var
  A, B: Integer;
  frmAddress: TfrmAddress;
implementation
end.
