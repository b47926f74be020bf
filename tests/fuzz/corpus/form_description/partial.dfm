object FrmCP: TFrmCP
end
