object PlainDialog: TPlainDialog
  Left = 200
  Top = 120
  BorderStyle = bsSizeable
  Caption = 'Find'
  ClientHeight = 120
  ClientWidth = 360
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object lblFind: TLabel
    Left = 8
    Top = 12
    Width = 56
    Height = 13
    Caption = 'Find what:'
  end
  object edFind: TEdit
    Left = 72
    Top = 8
    Width = 280
    Height = 21
    Anchors = [akLeft, akTop, akRight]
    TabOrder = 0
  end
  object chkCase: TCheckBox
    Left = 72
    Top = 40
    Width = 161
    Height = 17
    Caption = 'Match case'
    TabOrder = 1
  end
  object pnlButtons: TPanel
    Left = 0
    Top = 79
    Width = 360
    Height = 41
    Align = alBottom
    TabOrder = 2
    object btnFind: TButton
      Left = 196
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akTop, akRight]
      Caption = 'Find'
      TabOrder = 0
    end
    object btnCancel: TButton
      Left = 277
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akTop, akRight]
      Caption = 'Cancel'
      TabOrder = 1
    end
  end
end
