object CleanForm: TCleanForm
  Left = 0
  Top = 0
  Caption = 'Nothing to report'
  ClientHeight = 120
  ClientWidth = 320
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  TextHeight = 13
  object lblName: TLabel
    Left = 8
    Top = 12
    Width = 40
    Height = 16
    Caption = 'Name:'
  end
  object edName: TEdit
    Left = 64
    Top = 8
    Width = 240
    Height = 24
    TabOrder = 0
  end
  object btnOk: TButton
    Left = 144
    Top = 80
    Width = 80
    Height = 28
    Caption = 'OK'
    TabOrder = 1
  end
  object btnCancel: TButton
    Left = 232
    Top = 80
    Width = 80
    Height = 28
    Caption = 'Cancel'
    TabOrder = 2
  end
  object Flexarium1: TFlexarium
    FormPos = rpDefault
    FormWidth = 0
    FormHeight = 0
    FormMaxWidth = 0
    FormMaxHeight = 0
    FormMinWidth = 320
    FormMinHeight = 160
    ResizeFont = True
    Enabled = True
    ValidTaskbar = True
    DesignFrmW = 320
    DesignFrmH = 120
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
