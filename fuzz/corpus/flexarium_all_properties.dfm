object MainForm: TMainForm
  Left = 100
  Top = 80
  BorderStyle = bsSizeable
  Caption = 'All'#13#10'properties'
  ClientHeight = 300
  ClientWidth = 400
  Constraints.MinHeight = 100
  Constraints.MinWidth = 150
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = [fsBold, fsItalic]
  FormStyle = fsNormal
  WindowState = wsNormal
  PixelsPerInch = 96
  Scaled = False
  TextHeight = 13
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 400
    Height = 41
    Align = alTop
    Caption = 'Panel1'
    ParentFont = False
    TabOrder = 0
    object Button1: TButton
      Left = 8
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akTop, akRight]
      Caption = '&OK'
      TabOrder = 0
    end
  end
  object Edit1: TEdit
    Left = 8
    Top = 56
    Width = 121
    Height = 21
    Constraints.MaxWidth = 200
    Enabled = False
    Text = #1040#1041
    Visible = True
  end
  object TEdit
    Left = 0
    Top = 0
    Width = 10
    Height = 10
  end
  object Flexarium1: TFlexarium
    FormPos = rpMiddleCenter
    FormWidth = 640
    FormHeight = 480
    FormMaxWidth = 1024
    FormMaxHeight = 768
    FormMinWidth = 320
    FormMinHeight = 240
    ResizeFont = True
    NoResizeFntCtl = 'Edit1;;MainForm'
    NoResizeCtl = 'button1; Panel1'
    Enabled = True
    ValidTaskbar = True
    Left = 200
    Top = 8
    DesignFrmW = 400
    DesignFrmH = 300
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
