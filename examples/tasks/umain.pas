unit uMain;

{$mode delphi}{$H+}

interface

uses
  Classes, SysUtils, Forms, Controls, StdCtrls, ComCtrls, Menus;

type
  TfrmMain = class(TForm)
    lbTasks: TLabel;
    lbxTasks: TListBox;
    btAdd: TButton;
    StatusBar1: TStatusBar;
    MainMenu1: TMainMenu;
    miFile: TMenuItem;
    miNew: TMenuItem;
    miSeparator: TMenuItem;
    miQuit: TMenuItem;
    miHelp: TMenuItem;
    miAbout: TMenuItem;
    procedure btAddClick(Sender: TObject);
    procedure miQuitClick(Sender: TObject);
    procedure miAboutClick(Sender: TObject);
  end;

var
  frmMain: TfrmMain;

implementation

uses
  uAbout;

{$R *.lfm}

procedure TfrmMain.btAddClick(Sender: TObject);
begin
  lbxTasks.Items.Add('#' + IntToStr(lbxTasks.Count + 1));
end;

procedure TfrmMain.miQuitClick(Sender: TObject);
begin
  Close;
end;

procedure TfrmMain.miAboutClick(Sender: TObject);
begin
  frmAbout.ShowModal;
end;

end.
