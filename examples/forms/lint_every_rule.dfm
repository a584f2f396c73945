object EveryRuleForm: TEveryRuleForm
  Left = 0
  Top = 0
  Caption = 'Every lint rule'
  ClientHeight = 200
  ClientWidth = 300
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  TextHeight = 13
  object btnApply: TButton
    Left = 8
    Top = 8
    Width = 60
    Height = 25
    Caption = 'Apply all changes'
    TabOrder = 0
  end
  object pnlKept: TPanel
    Left = 8
    Top = 48
    Width = 100
    Height = 40
    TabOrder = 1
  end
  object pnlNext: TPanel
    Left = 116
    Top = 48
    Width = 100
    Height = 40
    TabOrder = 2
  end
  object pnlEdge: TPanel
    Left = 246
    Top = 48
    Width = 54
    Height = 40
    TabOrder = 3
  end
  object pnlLeft: TPanel
    Left = 3
    Top = 100
    Width = 3
    Height = 40
    TabOrder = 4
  end
  object pnlRight: TPanel
    Left = 6
    Top = 100
    Width = 40
    Height = 40
    TabOrder = 5
  end
  object lblNote: TLabel
    Left = 8
    Top = 160
    Width = 100
    Height = 13
    Caption = 'Fine print'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    ParentFont = False
    Font.Height = -9
    Font.Name = 'Tahoma'
    Font.Style = []
  end
  object Flexarium1: TFlexarium
    FormPos = rpDefault
    FormWidth = 0
    FormHeight = 0
    FormMaxWidth = 0
    FormMaxHeight = 0
    FormMinWidth = 0
    FormMinHeight = 0
    ResizeFont = True
    NoResizeCtl = 'pnlKept'
    Enabled = True
    ValidTaskbar = True
    MinFontSize = 8
    DesignFrmW = 300
    DesignFrmH = 200
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
