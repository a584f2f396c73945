object SettingsForm: TSettingsForm
  Left = 300
  Top = 200
  Caption = 'Settings'
  ClientHeight = 300
  ClientWidth = 400
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 14
  object grpDisplay: TGroupBox
    Left = 8
    Top = 8
    Width = 384
    Height = 120
    Caption = 'Display'
    TabOrder = 0
    object chkDark: TCheckBox
      Left = 16
      Top = 24
      Width = 200
      Height = 20
      Caption = 'Dark theme'
      TabOrder = 0
    end
    object chkLarge: TCheckBox
      Left = 16
      Top = 52
      Width = 200
      Height = 20
      Caption = 'Large icons'
      Checked = True
      State = cbChecked
      TabOrder = 1
    end
    object trkZoom: TTrackBar
      Left = 16
      Top = 80
      Width = 352
      Height = 28
      Position = 6
      TabOrder = 2
    end
  end
  object grpStartup: TGroupBox
    Left = 8
    Top = 136
    Width = 384
    Height = 112
    Caption = 'Start-up'
    TabOrder = 1
    object rbRestore: TRadioButton
      Left = 16
      Top = 24
      Width = 240
      Height = 20
      Caption = 'Restore the last session'
      Checked = True
      TabOrder = 0
      TabStop = True
    end
    object rbBlank: TRadioButton
      Left = 16
      Top = 52
      Width = 240
      Height = 20
      Caption = 'Start with a blank page'
      TabOrder = 1
    end
    object cbLanguage: TComboBox
      Left = 16
      Top = 80
      Width = 200
      Height = 22
      ItemIndex = 0
      TabOrder = 2
      Text = 'English'
      Items.Strings = (
        'English'
        'Deutsch'
        'Fran'#231'ais'
        #26085#26412#35486)
    end
  end
  object btnApply: TButton
    Left = 232
    Top = 264
    Width = 76
    Height = 28
    Caption = 'Apply'
    TabOrder = 2
  end
  object btnClose: TButton
    Left = 316
    Top = 264
    Width = 76
    Height = 28
    Caption = 'Close'
    TabOrder = 3
  end
  object Flexarium1: TFlexarium
    FormPos = rpTopLeft
    FormWidth = 616
    FormHeight = 489
    FormMaxWidth = 1216
    FormMaxHeight = 939
    FormMinWidth = 416
    FormMinHeight = 339
    ResizeFont = True
    Enabled = True
    ValidTaskbar = True
    Left = 360
    Top = 256
    DesignFrmW = 400
    DesignFrmH = 300
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
