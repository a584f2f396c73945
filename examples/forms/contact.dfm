object ContactForm: TContactForm
  Left = 200
  Top = 120
  Caption = 'Contact'
  ClientHeight = 300
  ClientWidth = 480
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 14
  object lblName: TLabel
    Left = 16
    Top = 20
    Width = 60
    Height = 14
    Caption = 'Name:'
  end
  object lblMail: TLabel
    Left = 16
    Top = 56
    Width = 60
    Height = 14
    Caption = 'E-mail:'
  end
  object edName: TEdit
    Left = 96
    Top = 16
    Width = 368
    Height = 22
    TabOrder = 0
  end
  object edMail: TEdit
    Left = 96
    Top = 52
    Width = 368
    Height = 22
    TabOrder = 1
  end
  object grpMessage: TGroupBox
    Left = 16
    Top = 88
    Width = 448
    Height = 160
    Caption = 'Message'
    TabOrder = 2
    object memMessage: TMemo
      Left = 12
      Top = 20
      Width = 424
      Height = 128
      TabOrder = 0
    end
  end
  object btnSend: TButton
    Left = 296
    Top = 260
    Width = 80
    Height = 28
    Caption = 'Send'
    TabOrder = 3
  end
  object btnCancel: TButton
    Left = 384
    Top = 260
    Width = 80
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
    FormMinWidth = 320
    FormMinHeight = 240
    ResizeFont = True
    Enabled = True
    ValidTaskbar = True
    Left = 24
    Top = 256
    DesignFrmW = 480
    DesignFrmH = 300
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
