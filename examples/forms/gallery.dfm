object GalleryForm: TGalleryForm
  Left = 0
  Top = 0
  Caption = 'Every control class'
  ClientHeight = 560
  ClientWidth = 760
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object lblHeading: TLabel
    Left = 8
    Top = 8
    Width = 240
    Height = 16
    Caption = 'Texts, edits and buttons'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -13
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object edName: TEdit
    Left = 8
    Top = 30
    Width = 150
    Height = 21
    TabOrder = 0
    Text = 'An edit'
  end
  object mskDate: TMaskEdit
    Left = 164
    Top = 30
    Width = 84
    Height = 21
    TabOrder = 1
    Text = '2026-12-08'
  end
  object lbeCity: TLabeledEdit
    Left = 8
    Top = 74
    Width = 120
    Height = 21
    EditLabel.Width = 20
    EditLabel.Height = 13
    EditLabel.Caption = 'City'
    TabOrder = 2
    Text = 'Osaka'
  end
  object bedSearch: TButtonedEdit
    Left = 134
    Top = 74
    Width = 114
    Height = 21
    TabOrder = 3
    Text = 'Search'
  end
  object btnDefault: TButton
    Left = 8
    Top = 104
    Width = 75
    Height = 25
    Caption = '&Button'
    TabOrder = 4
  end
  object bbOK: TBitBtn
    Left = 88
    Top = 104
    Width = 75
    Height = 25
    Caption = 'Bit button'
    TabOrder = 5
  end
  object sbBold: TSpeedButton
    Left = 168
    Top = 104
    Width = 25
    Height = 25
    Caption = 'B'
  end
  object chkChecked: TCheckBox
    Left = 8
    Top = 136
    Width = 110
    Height = 17
    Caption = 'Checked'
    Checked = True
    State = cbChecked
    TabOrder = 6
  end
  object chkGrayed: TCheckBox
    Left = 124
    Top = 136
    Width = 110
    Height = 17
    AllowGrayed = True
    Caption = 'Grayed'
    State = cbGrayed
    TabOrder = 7
  end
  object rbSelected: TRadioButton
    Left = 8
    Top = 158
    Width = 110
    Height = 17
    Caption = 'Selected'
    Checked = True
    TabOrder = 8
    TabStop = True
  end
  object rbOther: TRadioButton
    Left = 124
    Top = 158
    Width = 110
    Height = 17
    Caption = 'Not selected'
    TabOrder = 9
  end
  object txtStatic: TStaticText
    Left = 8
    Top = 182
    Width = 100
    Height = 17
    BorderStyle = sbsSunken
    Caption = 'Static text'
    TabOrder = 10
  end
  object lblRight: TLabel
    Left = 114
    Top = 184
    Width = 134
    Height = 13
    Alignment = taRightJustify
    Caption = 'A right-aligned label'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clNavy
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = []
    ParentFont = False
  end
  object memNotes: TMemo
    Left = 8
    Top = 206
    Width = 240
    Height = 58
    Lines.Strings = (
      'A memo with'
      'two lines')
    TabOrder = 11
  end
  object reRich: TRichEdit
    Left = 8
    Top = 270
    Width = 240
    Height = 40
    Lines.Strings = (
      'A rich edit')
    TabOrder = 12
  end
  object grpBox: TGroupBox
    Left = 8
    Top = 316
    Width = 240
    Height = 76
    Caption = 'A group box'
    TabOrder = 13
    object edCount: TEdit
      Left = 12
      Top = 20
      Width = 60
      Height = 21
      TabOrder = 0
      Text = '42'
    end
    object udCount: TUpDown
      Left = 72
      Top = 20
      Width = 16
      Height = 21
      Associate = edCount
      Position = 42
      TabOrder = 1
    end
    object pbLoad: TProgressBar
      Left = 12
      Top = 48
      Width = 216
      Height = 17
      Position = 60
      TabOrder = 2
    end
  end
  object rgSize: TRadioGroup
    Left = 8
    Top = 398
    Width = 240
    Height = 64
    Caption = 'A radio group'
    Columns = 2
    ItemIndex = 1
    Items.Strings = (
      'Small'
      'Medium'
      'Large'
      'Huge')
    TabOrder = 14
  end
  object pnlInfo: TPanel
    Left = 8
    Top = 468
    Width = 240
    Height = 30
    BevelOuter = bvLowered
    Caption = 'A panel'
    TabOrder = 15
  end
  object tbZoom: TTrackBar
    Left = 8
    Top = 504
    Width = 240
    Height = 32
    Position = 3
    TabOrder = 16
  end
  object cbCountry: TComboBox
    Left = 256
    Top = 8
    Width = 160
    Height = 21
    ItemIndex = 1
    TabOrder = 17
    Text = 'Germany'
    Items.Strings = (
      'Japan'
      'Germany'
      'France')
  end
  object clbColor: TColorBox
    Left = 256
    Top = 36
    Width = 160
    Height = 22
    Selected = clNavy
    TabOrder = 18
  end
  object lstFruits: TListBox
    Left = 256
    Top = 64
    Width = 160
    Height = 70
    ItemHeight = 13
    Items.Strings = (
      'Apple'
      'Banana'
      'Cherry'
      'Damson')
    ItemIndex = 2
    TabOrder = 19
  end
  object clbTasks: TCheckListBox
    Left = 422
    Top = 8
    Width = 82
    Height = 50
    ItemHeight = 13
    Items.Strings = (
      'Draft'
      'Review')
    TabOrder = 20
  end
  object lvFiles: TListView
    Left = 256
    Top = 140
    Width = 248
    Height = 80
    Columns = <
      item
        Caption = 'Name'
        Width = 140
      end
      item
        Alignment = taRightJustify
        Caption = 'Size'
        Width = 80
      end>
    TabOrder = 21
    ViewStyle = vsReport
  end
  object tvTree: TTreeView
    Left = 256
    Top = 226
    Width = 120
    Height = 80
    Indent = 19
    TabOrder = 22
  end
  object hdrColumns: THeaderControl
    Left = 384
    Top = 226
    Width = 120
    Height = 17
    Align = alNone
    Sections = <
      item
        Text = 'Key'
        Width = 50
      end
      item
        Text = 'Value'
        Width = 70
      end>
  end
  object sgGrid: TStringGrid
    Left = 256
    Top = 312
    Width = 248
    Height = 86
    ColCount = 4
    DefaultColWidth = 56
    DefaultRowHeight = 20
    RowCount = 4
    TabOrder = 23
  end
  object vleProps: TValueListEditor
    Left = 256
    Top = 404
    Width = 248
    Height = 80
    DefaultColWidth = 100
    Strings.Strings = (
      'Width=760'
      'Height=560')
    TabOrder = 24
    TitleCaptions.Strings = (
      'Key'
      'Value')
  end
  object tlbMain: TToolBar
    Left = 512
    Top = 8
    Width = 240
    Height = 29
    Align = alNone
    Caption = 'tlbMain'
    TabOrder = 25
    object tbNew: TToolButton
      Left = 0
      Top = 0
      Caption = 'N'
    end
    object tbOpen: TToolButton
      Left = 23
      Top = 0
      Caption = 'O'
    end
    object tbDivider: TToolButton
      Left = 46
      Top = 0
      Width = 8
      Style = tbsDivider
    end
    object tbSave: TToolButton
      Left = 54
      Top = 0
      Caption = 'S'
    end
  end
  object pcPages: TPageControl
    Left = 512
    Top = 44
    Width = 240
    Height = 120
    ActivePage = tsFirst
    TabOrder = 26
    object tsFirst: TTabSheet
      Caption = 'First page'
      object lblOnPage: TLabel
        Left = 8
        Top = 8
        Width = 180
        Height = 13
        Caption = 'A label on the active page'
      end
    end
    object tsSecond: TTabSheet
      Caption = 'Second page'
      object lblHidden: TLabel
        Left = 8
        Top = 8
        Width = 180
        Height = 13
        Caption = 'Hidden with its page'
      end
    end
  end
  object imgLogo: TImage
    Left = 512
    Top = 172
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
  object shpBox: TShape
    Left = 584
    Top = 172
    Width = 64
    Height = 64
    Brush.Color = clSkyBlue
    Pen.Color = clNavy
  end
  object bvlFrame: TBevel
    Left = 656
    Top = 172
    Width = 96
    Height = 64
    Shape = bsFrame
  end
  object pbxCanvas: TPaintBox
    Left = 512
    Top = 244
    Width = 60
    Height = 40
  end
  object dtpDue: TDateTimePicker
    Left = 580
    Top = 244
    Width = 172
    Height = 21
    Date = 46364.000000000000000000
    DateFormat = dfLong
    Time = 46364.500000000000000000
    TabOrder = 29
  end
  object synCode: TSynEdit
    Left = 512
    Top = 292
    Width = 240
    Height = 80
    TabOrder = 27
  end
  object vstFiles: TVirtualStringTree
    Left = 512
    Top = 380
    Width = 240
    Height = 100
    TabOrder = 28
  end
  object sbStatus: TStatusBar
    Left = 0
    Top = 541
    Width = 760
    Height = 19
    Panels = <
      item
        Text = 'Ready'
        Width = 120
      end
      item
        Text = 'Every class of the examples and the corpus'
        Width = 50
      end>
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
    Left = 720
    Top = 500
    DesignFrmW = 760
    DesignFrmH = 560
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
