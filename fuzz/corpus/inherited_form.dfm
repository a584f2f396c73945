inherited ChildForm: TChildForm
  Caption = 'Child'
  ClientHeight = 200
  inherited Button1: TButton
    Left = 20
  end
  inherited Panel1: TPanel [0]
    object Label1: TLabel
      Left = 4
      Top = 4
      Width = 30
      Height = 13
      Caption = 'New'
    end
  end
  inline Frame1: TAddressFrame
    Left = 8
    Top = 100
    inherited edStreet: TEdit
      Width = 200
    end
  end
  object Flexarium1: TFlexarium
    ResizeFont = True
  end
end
