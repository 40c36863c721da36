object MessagesView: TMessagesView
  Left = 213
  Top = 586
  Width = 639
  Height = 128
  BorderStyle = bsSizeToolWin
  Caption = 'MessagesView'
  ClientHeight = 128
  ClientWidth = 639
  LCLVersion = '1.1'
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  inline MessagesFrame1: TMessagesFrame
    Width = 639
    Height = 128
    Align = alClient
    ClientHeight = 128
    ClientWidth = 639
    inherited SearchPanel: TPanel
      Top = 101
      Width = 639
      ClientWidth = 639
    end
  end
end
