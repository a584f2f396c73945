object ValuesForm: TForm
  Left = -2147483648
  Top = 2147483647
  Caption = 'a'#9'b' +
    'continued'#55296'lone' +
    ''
  ClientHeight = $012C
  ClientWidth = 400
  Tag = -1
  Hint = 'It''s'
  Ratio = 0.750000000000000000
  Big = 1.0E5
  Money = 1.5c
  Strings.Strings = (
    'one'
    'two'
    #9'three')
  Empty = ()
  Set = []
  Data = {
    0A0B0C0D0E0F}
  Items = <
    item
      Caption = 'first'
      Width = 60
    end
    item
    end>
  NoItems = <>
  Bool = True
  Ident = clBtnFace
  Ref = ValuesForm.Edit1
end
