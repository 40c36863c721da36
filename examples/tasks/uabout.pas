unit uAbout;

{$mode delphi}{$H+}

interface

uses
  Classes, SysUtils, Forms, Controls, StdCtrls, uButtons;

type
  TfrmAbout = class(TForm)
    lbInfo: TLabel;
    Buttons1: TfraButtons;
  end;

var
  frmAbout: TfrmAbout;

implementation

{$R *.lfm}

end.
