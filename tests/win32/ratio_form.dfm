object AspectForm: TAspectForm
  Left = 0
  Top = 0
  Caption = 'Aspect'
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
  object lblName: TLabel
    Left = 16
    Top = 20
    Width = 60
    Height = 14
    Caption = 'Name:'
  end
  object edName: TEdit
    Left = 96
    Top = 16
    Width = 368
    Height = 22
    TabOrder = 0
    Text = 'Drag my frame'
  end
  object grpNotes: TGroupBox
    Left = 16
    Top = 52
    Width = 448
    Height = 208
    Caption = 'Notes'
    TabOrder = 1
    object memNotes: TMemo
      Left = 12
      Top = 24
      Width = 424
      Height = 172
      Lines.Strings = (
        'Between 400 x 300 and 1200 x 800')
      TabOrder = 0
    end
  end
  object btnOK: TButton
    Left = 388
    Top = 276
    Width = 76
    Height = 28
    Caption = 'OK'
    TabOrder = 2
  end
  object Flexarium1: TFlexarium
    FormPos = rpMiddleCenter
    FormWidth = 0
    FormHeight = 0
    FormMaxWidth = 1200
    FormMaxHeight = 800
    FormMinWidth = 400
    FormMinHeight = 300
    ResizeFont = True
    Enabled = True
    ValidTaskbar = True
    KeepAspect = True
    Left = 16
    Top = 276
    DesignFrmW = 480
    DesignFrmH = 320
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
