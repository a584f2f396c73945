object AddressFrame: TAddressFrame
  Left = 0
  Top = 0
  Width = 360
  Height = 108
  TabOrder = 0
  object lblStreet: TLabel
    Left = 8
    Top = 12
    Width = 64
    Height = 14
    Caption = 'Street:'
  end
  object lblCity: TLabel
    Left = 8
    Top = 44
    Width = 64
    Height = 14
    Caption = 'City:'
  end
  object lblZip: TLabel
    Left = 248
    Top = 44
    Width = 28
    Height = 14
    Caption = 'ZIP:'
  end
  object lblCountry: TLabel
    Left = 8
    Top = 76
    Width = 64
    Height = 14
    Caption = 'Country:'
  end
  object edStreet: TEdit
    Left = 80
    Top = 8
    Width = 272
    Height = 22
    TabOrder = 0
  end
  object edCity: TEdit
    Left = 80
    Top = 40
    Width = 160
    Height = 22
    TabOrder = 1
  end
  object edZip: TEdit
    Left = 280
    Top = 40
    Width = 72
    Height = 22
    TabOrder = 2
  end
  object cbCountry: TComboBox
    Left = 80
    Top = 72
    Width = 272
    Height = 22
    TabOrder = 3
    Text = 'Japan'
  end
end
