program Tasks;

{ A small Lazarus application whose texts Parlix keeps: "parlix-build --sync-forms Tasks.ppr"
  takes them from the forms into the translation table, and the unit uTexte it generates
  translates them when the program starts. With --report the program prints its texts and
  ends without showing a window; with --about it shows the info window beside the main one. }

{$mode delphi}{$H+}

uses
  {$IFDEF UNIX}cthreads,{$ENDIF}
  Interfaces, Forms, uMain, uAbout, uTexte;

procedure Report;
var
  i: Integer;
  Items: string;
begin
  with frmMain do
  begin
    WriteLn('Hauptfenster: ', Caption);
    WriteLn('Menü: ', miFile.Caption, ' (', miNew.Caption, ', ', miQuit.Caption, '), ',
      miHelp.Caption, ' (', miAbout.Caption, ')');
    WriteLn('Beschriftung: ', lbTasks.Caption);
    Items := '';
    for i := 0 to lbxTasks.Items.Count - 1 do
    begin
      if i > 0 then
        Items := Items + ' | ';
      Items := Items + lbxTasks.Items[i];
    end;
    WriteLn('Liste: ', Items);
    WriteLn('Knopf: ', btAdd.Caption, ' (Hinweis: ', btAdd.Hint, ')');
    WriteLn('Statuszeile: ', StatusBar1.Panels[0].Text);
  end;
  with frmAbout do
  begin
    WriteLn('Info-Fenster: ', Caption);
    WriteLn('Beschriftung: ', lbInfo.Caption);
    WriteLn('Knopf im Rahmen: ', Buttons1.btClose.Caption, ' (Hinweis: ',
      Buttons1.btClose.Hint, ')');
  end;
end;

begin
  RequireDerivedFormResource := True;
  Application.Initialize;
  Application.CreateForm(TfrmMain, frmMain);
  Application.CreateForm(TfrmAbout, frmAbout);
  ParlixTranslate;
  if ParamStr(1) = '--report' then
    Report
  else
  begin
    if ParamStr(1) = '--about' then
    begin
      frmMain.Position := poDesigned;
      frmMain.SetBounds(40, 40, frmMain.Width, frmMain.Height);
      frmAbout.Position := poDesigned;
      frmAbout.SetBounds(frmMain.Left + frmMain.Width + 30, 80, frmAbout.Width,
        frmAbout.Height);
      frmAbout.Show;
    end;
    Application.Run;
  end;
end.
