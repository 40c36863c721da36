unit uButtons;

{$mode delphi}{$H+}

interface

uses
  Classes, SysUtils, Forms, Controls, StdCtrls;

type
  // The buttons at the foot of a dialog, as a frame that dialogs put inline.
  TfraButtons = class(TFrame)
    btClose: TButton;
    procedure btCloseClick(Sender: TObject);
  end;

implementation

{$R *.lfm}

procedure TfraButtons.btCloseClick(Sender: TObject);
begin
  GetParentForm(Self).Close;
end;

end.
