object BaseForm: TBaseForm
  Left = 288
  Top = 74
  Width = 636
  Height = 446
  Caption = '基类窗体'
  Color = clBtnFace
  Font.Charset = ANSI_CHARSET
  Font.Color = clWindowText
  Font.Height = -13
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 13
  object cxLookAndFeelController1: TcxLookAndFeelController
    Kind = lfOffice11
  end
  object cxStyleRepository1: TcxStyleRepository
    object cxStyle1: TcxStyle
      AssignedValues = [svColor]
      Color = 16510676
    end
    object cxStyle2: TcxStyle
      AssignedValues = [svColor]
      Color = 16776176
    end
  end
end
