object OrderDialog: TOrderDialog
  Left = 0
  Top = 0
  Caption = 'Delivery addresses'
  ClientHeight = 360
  ClientWidth = 400
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 14
  object lblTitle: TLabel
    Left = 16
    Top = 10
    Width = 280
    Height = 20
    Caption = 'Where should we deliver?'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object grpBill: TGroupBox
    Left = 8
    Top = 40
    Width = 384
    Height = 132
    Caption = 'Bill to'
    TabOrder = 0
    inline BillTo: TAddressFrame
      Left = 12
      Top = 18
      Width = 360
      Height = 108
      TabOrder = 0
    end
  end
  object grpShip: TGroupBox
    Left = 8
    Top = 180
    Width = 384
    Height = 132
    Caption = 'Ship to'
    TabOrder = 1
    inline ShipTo: TAddressFrame
      Left = 12
      Top = 18
      Width = 360
      Height = 108
      TabOrder = 0
      inherited cbCountry: TComboBox
        Text = 'Germany'
      end
    end
  end
  object chkSame: TCheckBox
    Left = 16
    Top = 324
    Width = 180
    Height = 20
    Caption = 'Ship to the billing address'
    TabOrder = 2
  end
  object btnOK: TButton
    Left = 232
    Top = 320
    Width = 76
    Height = 28
    Caption = 'OK'
    TabOrder = 3
  end
  object btnCancel: TButton
    Left = 316
    Top = 320
    Width = 76
    Height = 28
    Caption = 'Cancel'
    TabOrder = 4
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
    Enabled = True
    ValidTaskbar = True
    Left = 24
    Top = 320
    DesignFrmW = 400
    DesignFrmH = 360
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
