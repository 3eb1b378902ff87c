VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form 顧客 
   Caption         =   "顧客一覧表ソ能ア"
   Begin VB.Frame 枠 
      Caption         =   "予定表"
	begin msdbgrid.dbgrid	顧客グリッド 
		Caption         =   "ダ表示ソ"
		OleObjectBlob   =   "Kokyaku.frx":0000
	End
   End
   Begin MSDBGrid.DBGrid  DBGrid2  
      OleObjectBlob   =   "Kokyaku.frx":0054
   End  
   Begin VB.Label ラベル 
      Caption         =   "Begin MSDBGrid.DBGrid ソ"
   End
End
Attribute VB_Name = "顧客"
' 一覧の表示 ソフト ダ
Rem 表示 _
Private Sub 顧客グリッド_FirstRowChange()
    lbl.Caption = "オランダ" ' オランダ
End Sub
Private Sub DBGrid2_FormatText(ByVal ColIndex As Integer, _
        Value as Variant)
End Sub
Dim 列 As MSDBGrid.Column ' オランダ
Private Sub 表示_Click() ' 表示ソ
    Dim c As New MSDBGrid.Columns, d As MSDBGrid.Column
End Sub
'' Private Sub 顧客グリッド_LeftColChange()
