inherited EditLogPaswrdForm: TEditLogPaswrdForm
  Left = 369
  Top = 333
  Width = 342
  Height = 188
  BorderIcons = [biSystemMenu]
  Caption = '修改登录密码'
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object cxTabControl1: TcxTabControl
    Left = 0
    Top = 0
    Width = 334
    Height = 161
    Align = alClient
    Style = 8
    TabOrder = 0
    object cxGroupBox4: TcxGroupBox
      Left = 0
      Top = 127
      Width = 334
      Height = 34
      Align = alBottom
      PanelStyle.Active = True
      Style.BorderStyle = ebsNone
      Transparent = True
      TabOrder = 7
      object btnCancel: TcxButton
        Left = 241
        Top = 3
        Width = 81
        Height = 25
        Anchors = [akRight, akBottom]
        Caption = '取消(&C)'
        Cancel = True
        TabOrder = 1
        OnClick = btnCancelClick
        Glyph.Data = {
      DA050000424DDA05000000000000360000002800000013000000130000000100
}
      end
      object btnOK: TcxButton
        Left = 153
        Top = 2
        Width = 81
        Height = 25
        Anchors = [akRight, akBottom]
        Caption = '确定(&S)'
        TabOrder = 0
        OnClick = btnOKClick
        Glyph.Data = {
      DA050000424DDA05000000000000360000002800000013000000130000000100
}
      end
    end
    object lbl1: TcxLabel
      Left = 57
      Top = 21
      Caption = '旧 密 码:'
      Transparent = True
    end
    object lbl2: TcxLabel
      Left = 57
      Top = 58
      Caption = '新 密 码:'
      Transparent = True
    end
    object lbl3: TcxLabel
      Left = 57
      Top = 96
      Caption = '确认密码:'
      Transparent = True
    end
    object edtOldPass: TcxMaskEdit
      Left = 128
      Top = 19
      Width = 185
      Height = 21
      Properties.EchoMode = eemPassword
      TabOrder = 1
      OnKeyPress = KeyPressNextObject
    end
    object edtNewPass: TcxMaskEdit
      Left = 128
      Top = 56
      Width = 185
      Height = 21
      Properties.EchoMode = eemPassword
      TabOrder = 2
      OnKeyPress = KeyPressNextObject
    end
    object edtConfirmPass: TcxMaskEdit
      Left = 128
      Top = 94
      Width = 185
      Height = 21
      Properties.EchoMode = eemPassword
      TabOrder = 4
      OnKeyPress = PressKeyToSave
    end
    object cxImage1: TcxImage
      Left = 2
      Top = 3
      AutoSize = True
      Enabled = False
      Picture.Data = {
      055449636F6E0000010004003030100001000400680600004600000030300000
}
      Properties.GraphicClassName = 'TIcon'
      Properties.ReadOnly = True
      Properties.ShowFocusRect = False
      Properties.Stretch = True
      Style.BorderStyle = ebsNone
      StyleDisabled.BorderColor = clWindowFrame
      StyleFocused.BorderStyle = ebsNone
      Transparent = True
      TabOrder = 0
    end
  end
end
