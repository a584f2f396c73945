object PagesForm: TForm
  ClientHeight = 240
  ClientWidth = 320
  object PageControl1: TPageControl
    Left = 0
    Top = 0
    Width = 320
    Height = 200
    ActivePage = TabSheet1
    Align = alClient
    object TabSheet1: TTabSheet
      Caption = 'One'
      object Memo1: TMemo
        Left = 0
        Top = 0
        Width = 312
        Height = 172
        Align = alClient
        Lines.Strings = (
          'line')
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Two'
      object GroupBox1: TGroupBox
        Left = 4
        Top = 4
        Width = 200
        Height = 100
        object RadioButton1: TRadioButton
          Left = 8
          Top = 20
          Width = 100
          Height = 17
        end
      end
    end
  end
  object Frame2: TFrame
    Left = 0
    Top = 200
    Width = 320
    Height = 40
    object Frame3: TFrame
      Left = 0
      Top = 0
      Width = 100
      Height = 40
      object CheckBox1: TCheckBox
        Left = 0
        Top = 0
        Width = 97
        Height = 17
      end
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 221
    Width = 320
    Height = 19
    Panels = <
      item
        Width = 50
      end>
  end
  object Timer1: TTimer
    Interval = 100
    Left = 16
    Top = 16
  end
  object Flexarium1: TFlexarium
    FormPos = rpBottomRight
    NoResizeCtl = 'Frame2.CheckBox1'
  end
end
