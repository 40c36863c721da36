inherited MainForm: TMainForm
  Left = 371
  Top = 150
  Caption = 'Translation demo'
  ClientHeight = 280
  ClientWidth = 327
  Height = 280
  Width = 327
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 15
  object Label1: TLabel [0]
    Left = 14
    Top = 16
    Width = 83
    Height = 15
    Caption = 'Select language'
    FocusControl = CbLanguage
    ParentColor = False
  end
  object CbLanguage: TComboBox [1]
    Left = 136
    Top = 13
    Width = 178
    Height = 23
    Anchors = [akLeft, akTop, akRight]
    DropDownCount = 16
    ItemHeight = 15
    Items.Strings = (
      'de - deutsch'
      'en - English'
      'es - Espa'#241'ol'
      'fr - Fran'#231'ais'
      'he - Hebrew'
      'hu - magyar'
      'it - Italiano'
      'lt - Lietuvi'#353'kai'
      'pt_BR - Portugu'#234's (Brasil)'
      'ru - '#1088#1091#1089#1089#1082#1080#1081
      'uk - '#1091#1082#1088#1072#1111#1085#1089#1100#1082#1072
      'zh_CN - '#31616#20307#20013#25991)
    Style = csDropDownList
    TabOrder = 0
    OnChange = CbLanguageChange
  end
  object Button1: TButton [2]
    Left = 14
    Top = 240
    Width = 300
    Height = 25
    Anchors = [akLeft, akTop, akRight]
    Caption = 'Open second form'
    TabOrder = 1
    OnClick = Button1Click
  end
  object RgDrinks: TRadioGroup [3]
    Left = 14
    Top = 47
    Width = 296
    Height = 97
    Anchors = [akLeft, akTop, akRight]
    Caption = 'Please select a drink'
    Items.Strings = (
      'beer'
      'wine'
      'water')
    TabOrder = 2
    OnClick = RgDrinksClick
  end
  object Button2: TButton [4]
    Left = 18
    Top = 184
    Width = 158
    Height = 25
    Caption = 'What did you select?'
    TabOrder = 3
    OnClick = Button2Click
  end
  object Bevel1: TBevel [5]
    Left = 9
    Top = 224
    Width = 301
    Height = 3
    Anchors = [akLeft, akTop, akRight]
    Shape = bsTopLine
  end
  object LblCurrentSelection: TLabel [6]
    Left = 18
    Top = 154
    Width = 95
    Height = 15
    Caption = 'No drink selected.'
    ParentColor = False
  end
end
