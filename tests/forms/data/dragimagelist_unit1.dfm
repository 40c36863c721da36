object Form1: TForm1
  Left = 290
  Top = 175
  ActiveControl = Button1
  Caption = 'Form1'
  ClientHeight = 300
  ClientWidth = 400
  Color = clBtnFace
  HorzScrollBar.Page = 399
  VertScrollBar.Page = 299
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 13
  LCLVersion = '1.7'
  object Label1: TLabel
    Left = 8
    Top = 216
    Width = 195
    Height = 42
    Caption = 
      'If DragImageList is working then '#13#10'you should see Button image '#13 +
      #10'dragged nearly mouse cursor.'
  end
  object Button1: TButton
    Left = 16
    Top = 16
    Width = 96
    Height = 32
    Caption = 'Move me'
    DragMode = dmAutomatic
    TabOrder = 0
    OnStartDrag = Button1StartDrag
  end
  object Panel1: TPanel
    Left = 216
    Top = 232
    Width = 170
    Height = 50
    BevelInner = bvLowered
    Caption = 'Move here'
    TabOrder = 1
    OnDragDrop = Panel1DragDrop
    OnDragOver = Panel1DragOver
  end
end
