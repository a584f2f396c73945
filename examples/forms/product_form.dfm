object ProductForm: TProductForm
  Left = 200
  Top = 100
  Caption = 'Products'
  ClientHeight = 320
  ClientWidth = 480
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 14
  object imgLogo: TImage
    Left = 16
    Top = 16
    Width = 64
    Height = 64
    Picture.Data = {
      07544269746D617076020000424D760200000000000076000000280000002000
      000020000000010004000000000000020000130B0000130B0000100000000000
      000000000000000080000080000000808000800000008000800080800000C0C0
      C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
      FF00FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF
      FFFFFF4444444444444444444444444444FFFF44444444444444444444444444
      44FFFF44CCCCCCCCCCCCCCCCCCCCCCCC44FFFF44CCCCCCCCCCCCCCBBBBBBBBBC
      44FFFF44CCCCCCCCCCCCCCCBBBBBBBBC44FFFF44CCCCCFFFCCCCCCCCBBBBBBBC
      44FFFF44CCCCCFFFCCCCCCCCCBBBBBBC44FFFF44CCCCCFFFCCCCCCCCCCBBBBBC
      44FFFF44CCCCCFFFCCCCCCCCCCCBBBBC44FFFF44CCCCCFFFCCCCCCCCCCCCBBBC
      44FFFF44CCCCCFFFCCCCCCCCCCCCCBBC44FFFF44CCCCCFFFCCCCCCCCCCCCCCBC
      44FFFF44CCCCCFFFFFFFFFCCCCCCCCCC44FFFF44CCCCCFFFFFFFFFCCCCCCCCCC
      44FFFF44CCCCCFFFFFFFFFCCCCCCCCCC44FFFF44CCCCCFFFCCCCCCCCCCCCCCCC
      44FFFF44CCCCCFFFCCCCCCCCCCCCCCCC44FFFF44CCCCCFFFCCCCCCCCCCCCCCCC
      44FFFF44CCCCCFFFCCCCCCCCCCCCCCCC44FFFF44CCCCCFFFFFFFFFFFFCCCCCCC
      44FFFF44CCCCCFFFFFFFFFFFFCCCCCCC44FFFF44CCCCCFFFFFFFFFFFFCCCCCCC
      44FFFF44CCCCCCCCCCCCCCCCCCCCCCCC44FFFF44CCCCCCCCCCCCCCCCCCCCCCCC
      44FFFF44CCCCCCCCCCCCCCCCCCCCCCCC44FFFF44CCCCCCCCCCCCCCCCCCCCCCCC
      44FFFF4444444444444444444444444444FFFF44444444444444444444444444
      44FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF
      FFFF}
    Stretch = True
  end
  object lblBrand: TLabel
    Left = 96
    Top = 20
    Width = 220
    Height = 24
    Caption = 'Flexarium Tools'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -20
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object lblTagline: TLabel
    Left = 96
    Top = 52
    Width = 300
    Height = 14
    Caption = 'Everything grows with the window but the logo.'
  end
  object bvlLine: TBevel
    Left = 16
    Top = 92
    Width = 448
    Height = 2
  end
  object lstProducts: TListBox
    Left = 16
    Top = 104
    Width = 448
    Height = 160
    ItemHeight = 14
    Items.Strings = (
      'Flexarium for one form'
      'Flexarium for a whole application'
      'Flexarium site licence')
    ItemIndex = 1
    TabOrder = 0
  end
  object btnBuy: TButton
    Left = 300
    Top = 280
    Width = 76
    Height = 28
    Caption = 'Buy'
    TabOrder = 1
  end
  object btnClose: TButton
    Left = 388
    Top = 280
    Width = 76
    Height = 28
    Caption = 'Close'
    TabOrder = 2
  end
  object Flexarium1: TFlexarium
    FormPos = rpMiddleCenter
    FormWidth = 0
    FormHeight = 0
    FormMaxWidth = 0
    FormMaxHeight = 0
    FormMinWidth = 0
    FormMinHeight = 0
    ResizeFont = True
    NoResizeFntCtl = 'lblBrand'
    NoResizeCtl = 'imgLogo'
    Enabled = True
    ValidTaskbar = True
    Left = 440
    Top = 8
    DesignFrmW = 480
    DesignFrmH = 320
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
