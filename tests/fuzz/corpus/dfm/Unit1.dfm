object Form1: TForm1
  Left = 314
  Top = 145
  BorderStyle = bsToolWindow
  Caption = 'ê›íË'
  ClientHeight = 129
  ClientWidth = 179
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clBlack
  Font.Height = -19
  Font.Name = 'ÇlÇr ÇoÉSÉVÉbÉN'
  Font.Style = []
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 19
  object GroupBox1: TGroupBox
    Left = 0
    Top = 8
    Width = 73
    Height = 113
    Caption = 'ê›íË'
    Font.Charset = SHIFTJIS_CHARSET
    Font.Color = clBlack
    Font.Height = -13
    Font.Name = 'ÇlÇr ÇoÉSÉVÉbÉN'
    Font.Style = []
    ParentFont = False
    TabOrder = 3
    object Button1: TButton
      Left = 8
      Top = 16
      Width = 57
      Height = 25
      Caption = 'OK'
      TabOrder = 0
      OnClick = Button1Click
    end
    object Button3: TButton
      Left = 8
      Top = 48
      Width = 57
      Height = 25
      Caption = 'ÉLÉÉÉìÉZÉã'
      Font.Charset = SHIFTJIS_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'ÇlÇr ÇoÉSÉVÉbÉN'
      Font.Style = []
      ParentFont = False
      TabOrder = 1
      OnClick = Button3Click
    end
  end
  object Button2: TButton
    Left = 8
    Top = 88
    Width = 57
    Height = 25
    Caption = 'èIóπ'
    Font.Charset = SHIFTJIS_CHARSET
    Font.Color = clBlack
    Font.Height = -13
    Font.Name = 'ÇlÇr ÇoÉSÉVÉbÉN'
    Font.Style = []
    ParentFont = False
    TabOrder = 0
    OnClick = Button2Click
  end
  object GroupBox2: TGroupBox
    Left = 80
    Top = 8
    Width = 97
    Height = 113
    Caption = 'ìßñæìx'
    Font.Charset = SHIFTJIS_CHARSET
    Font.Color = clBlack
    Font.Height = -13
    Font.Name = 'ÇlÇr ÇoÉSÉVÉbÉN'
    Font.Style = []
    ParentFont = False
    TabOrder = 4
    object Label1: TLabel
      Left = 64
      Top = 72
      Width = 16
      Height = 16
      Caption = 'Åì'
      Font.Charset = SHIFTJIS_CHARSET
      Font.Color = clBlack
      Font.Height = -16
      Font.Name = 'ÇlÇr ÇoÉSÉVÉbÉN'
      Font.Style = []
      ParentFont = False
    end
  end
  object ScrollBar1: TScrollBar
    Left = 88
    Top = 40
    Width = 81
    Height = 17
    Max = 255
    Position = 175
    SmallChange = 10
    TabOrder = 2
    OnChange = ScrollBar1Change
  end
  object Panel1: TPanel
    Left = 96
    Top = 72
    Width = 41
    Height = 33
    BevelOuter = bvLowered
    TabOrder = 1
  end
  object Timer1: TTimer
    OnTimer = Timer1Timer
    Left = 152
  end
  object TaskTray1: TTaskTray
    PopupMenuL = PopupMenu1
    PopupMenuR = PopupMenu1
    Icon.Data = {
        0000010001002020100001000400E80200001600000028000000200000004000
        0000010004000000000080020000000000000000000000000000000000000000
        000000008000008000000080800080000000800080008080000080808000C0C0
        C0000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFFFF009999
        9999999999999999999999999999966666666666666666666666666666699666
        6666666666666666666666666669966666666666666FF6666666666666699666
        666666666666666666666666666996FF666666666666666666FF666666699666
        666666666666666666666666666996666666666FF6666666666666FF66699666
        6666666666666666666666666669966FF666666666666666FF66666666699666
        6666666666666666666666666669966666660000000000000000066666699666
        66600000000000000000006666699EEEEE00000000000000000000EEEEE99EEE
        E0000000000000000000000EEEE99EEE000000000000000000000000EEE99EEE
        EEEE0E00000000000000EEEEEEE99EEEEEEE0E0FF0FF0FF0FF00EEEEEEE99EEE
        EEEE0E00000000000000EEEEEEE99EEEEEEE0EEEEE9999EEEEEEEEEEEEE99EEE
        EEEE0EEEEE9999EEEEEEEEEEEEE99EEEEEEEEEEEEE9999EEEEEEEEEEEEE99EEE
        EEEEEEEEEE9999EEEEEEEEEEEEE99EEEEEEEEEEEEE0000EEEEEEEEEEEEE99EEE
        EEEEEEEEEEE00EEEEEEEEEEEEEE99EEEEEEEEEEEEEEEEEEEEEFFFFFEEEE99EEF
        FFFFFEEEEEEEEEEEFFFFFFFFFEE99EFFFFFFFFEEEEEEEEEEEFFFFFFFEEE99EEF
        FFFFFEEEEEEEEEEEEEEFFFEEEEE99EEEFFFEEEEEEEEEEEEEEEEEEEEEEEE99EEE
        EEEEEEEEEEEEEEEEEEEEEEEEEEE9999999999999999999999999999999990000
        0000000000000000000000000000000000000000000000000000000000000000
        0000000000000000000000000000000000000000000000000000000000000000
        0000000000000000000000000000000000000000000000000000000000000000
        000000000000000000000000000000000000000000000000000000000000}
    IconID = 1
    Registered = True
    Left = 152
    Top = 8
  end
  object PopupMenu1: TPopupMenu
    Left = 152
    Top = 8
    object K1: TMenuItem
      Caption = 'ê›íË'
      OnClick = K1Click
    end
    object Exit1: TMenuItem
      Caption = 'èIóπ'
      OnClick = Exit1Click
    end
  end
  object IniVesk1: TIniVesk
    DefaultDir = ddApplication
    Fence = fnNone
    Left = 120
    Top = 8
  end
end
