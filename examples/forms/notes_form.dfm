object NotesForm: TNotesForm
  Left = 120
  Top = 80
  Caption = 'Meeting notes'
  ClientHeight = 292
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 14
  object pnlHeader: TPanel
    Left = 0
    Top = 0
    Width = 440
    Height = 56
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 0
    object lblHeading: TLabel
      Left = 12
      Top = 8
      Width = 300
      Height = 20
      Caption = 'Weekly planning'
    end
    object lblDate: TLabel
      Left = 12
      Top = 32
      Width = 200
      Height = 16
      Caption = 'Monday, 7 December'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clGrayText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = [fsItalic]
      ParentFont = False
    end
  end
  object memNotes: TMemo
    Left = 12
    Top = 68
    Width = 416
    Height = 180
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -13
    Font.Name = 'Courier New'
    Font.Style = []
    Lines.Strings = (
      'Agenda'
      '- budget for the new year'
      '- who joins the support team'
      '- demo of the resizable forms')
    ParentFont = False
    TabOrder = 1
  end
  object lblHint: TLabel
    Left = 12
    Top = 258
    Width = 300
    Height = 14
    Caption = 'Notes are saved when the window closes.'
  end
  object btnSave: TButton
    Left = 352
    Top = 254
    Width = 76
    Height = 26
    Caption = 'Save'
    TabOrder = 2
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
    Enabled = True
    ValidTaskbar = True
    Left = 400
    Top = 8
    DesignFrmW = 440
    DesignFrmH = 292
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
