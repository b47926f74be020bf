object FrmCP: TFrmCP
  Left = 300
  Top = 200
  BorderIcons = [biSystemMenu, biMinimize]
  BorderStyle = bsSingle
  Caption = '修改密码'
  ClientHeight = 231
  ClientWidth = 267
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  Position = poOwnerFormCenter
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object Label3: TLabel
    Left = 35
    Top = 83
    Width = 48
    Height = 12
    Caption = '原 密 码'
    Transparent = True
  end
  object Label4: TLabel
    Left = 35
    Top = 116
    Width = 48
    Height = 12
    Caption = '新 密 码'
    Transparent = True
  end
  object Label5: TLabel
    Left = 35
    Top = 148
    Width = 48
    Height = 12
    Caption = '新 密 码'
    Transparent = True
  end
  object Shape1: TShape
    Left = 0
    Top = 0
    Width = 267
    Height = 63
    Align = alTop
    Brush.Color = clWhite
    Pen.Style = psClear
  end
  object Label1: TLabel
    Left = 20
    Top = 36
    Width = 48
    Height = 12
    Caption = '用户名称'
    Transparent = True
  end
  object Label2: TLabel
    Left = 20
    Top = 15
    Width = 48
    Height = 12
    Caption = '用户ＩＤ'
    Transparent = True
  end
  object UserID: TLabel
    Left = 86
    Top = 15
    Width = 48
    Height = 12
    Caption = '用户名称'
    Transparent = True
  end
  object UserName: TLabel
    Left = 86
    Top = 36
    Width = 48
    Height = 12
    Caption = '用户名称'
    Transparent = True
  end
  object Label6: TLabel
    Left = 89
    Top = 213
    Width = 92
    Height = 12
    AutoSize = False
    Font.Color = clRed
  end
  object Bevel1: TBevel
    Left = 0
    Top = 63
    Width = 267
    Height = 2
    Align = alTop
    Shape = bsTopLine
    Style = bsLowered
  end
  object EdtOldPass: TEdit
    Left = 93
    Top = 78
    Width = 121
    Height = 20
    PasswordChar = '*'
    TabOrder = 0
    OnKeyDown = EdtOldPassKeyDown
  end
  object EdtNewPass: TEdit
    Left = 93
    Top = 111
    Width = 121
    Height = 20
    PasswordChar = '*'
    TabOrder = 1
    OnKeyDown = EdtNewPassKeyDown
  end
  object EdtNewPass1: TEdit
    Left = 93
    Top = 144
    Width = 121
    Height = 20
    PasswordChar = '*'
    TabOrder = 2
    OnKeyDown = EdtNewPass1KeyDown
  end
  object Image1: TImage
    Left = 207
    Top = 15
    Width = 32
    Height = 32
    Picture.Data = {
      055449636F6E0000010001002020100001000400E80200001600000028000000
}
    Transparent = True
  end
  object ClientDataSet1: TClientDataSet
  end
  object ImageList1: TImageList
    Height = 16
    Width = 16
    Bitmap = {
      F6740000424DF6740000000000007600000028000000900E0000100000000100
}
  end
  object BtnModify: TBitBtn
    Left = 48
    Top = 184
    Width = 75
    Height = 25
    Caption = '修改(&M)'
    TabOrder = 3
    OnClick = BtnModifyClick
  end
  object BtnCancel: TBitBtn
    Left = 152
    Top = 184
    Width = 75
    Height = 25
    Caption = '放弃(&C)'
    TabOrder = 4
    OnClick = BtnCancelClick
  end
end
