object FileBrowser: TFileBrowser
  Left = 100
  Top = 80
  Caption = 'Files'
  ClientHeight = 400
  ClientWidth = 640
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 14
  object hdrSummary: THeaderControl
    Left = 8
    Top = 8
    Width = 624
    Height = 20
    Sections = <
      item
        ImageIndex = -1
        Text = 'Folder'
        Width = 320
      end
      item
        ImageIndex = -1
        Text = 'Files'
        Width = 150
      end
      item
        ImageIndex = -1
        Text = 'Size'
        Width = 154
      end>
  end
  object lvFiles: TListView
    Left = 8
    Top = 36
    Width = 400
    Height = 308
    Columns = <
      item
        Caption = 'Name'
        Width = 181
      end
      item
        Alignment = taRightJustify
        Caption = 'Size'
        Width = 75
      end
      item
        Caption = 'Modified'
        Width = 120
      end>
    TabOrder = 0
    ViewStyle = vsReport
  end
  object grdProps: TStringGrid
    Left = 416
    Top = 36
    Width = 216
    Height = 308
    ColCount = 2
    DefaultColWidth = 64
    DefaultRowHeight = 21
    RowCount = 8
    ColWidths = (
      90
      121)
    TabOrder = 1
  end
  object lblStatus: TLabel
    Left = 8
    Top = 356
    Width = 300
    Height = 14
    Caption = '3 files, 12 KB'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = []
    ParentFont = False
  end
  object btnClose: TButton
    Left = 557
    Top = 352
    Width = 75
    Height = 25
    Caption = 'Close'
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
    MinFontSize = 7
    KeepAspect = True
    Left = 600
    Top = 8
    DesignFrmW = 640
    DesignFrmH = 400
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
