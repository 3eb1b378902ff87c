VERSION 5.00
Object = "{B89B1084-9546-4204-B68F-2463DB74C547}#8.0#0"; "LTB8.OCX"
Begin VB.Form 顧客 
   Caption         =   "顧客一覧表ソ能ア"
   Begin VB.Frame 枠 
      Caption         =   "予定表"
	begin Lumatab80.LTab	顧客グリッド 
		Caption         =   "ダ表示ソ"
		OleObjectBlob   =   "Kokyaku.frx":0000
	End
   End
   Begin Lumatab80.LTab  DBGrid2  
      OleObjectBlob   =   "Kokyaku.frx":0054
   End  
   Begin VB.Label ラベル 
      Caption         =   "Begin MSDBGrid.DBGrid ソ"
   End
End
Attribute VB_Name = "顧客"
' 一覧の表示 ソフト ダ
Rem 表示 _
'*** Orvel Migration Utility Code Change ***
'Private Sub 顧客グリッド_FirstRowChange()
Private Sub 顧客グリッド_FirstRowChange(ByVal SplitIndex as Integer)
If SplitIndex <> 顧客グリッド.Split Then Exit Sub
    lbl.Caption = "オランダ" ' オランダ
End Sub
'*** Orvel Migration Utility Code Change ***
'Private Sub DBGrid2_FormatText(ByVal ColIndex As Integer, _
'        Value as Variant)
Private Sub DBGrid2_FormatText(ByVal ColIndex As Integer, Value As Variant, Bookmark As Variant)
End Sub
'*** Orvel Migration Utility Code Change ***
'Dim 列 As MSDBGrid.Column ' オランダ
Dim 列 As Lumatab80.Column ' オランダ
Private Sub 表示_Click() ' 表示ソ
'*** Orvel Migration Utility Code Change ***
'    Dim c As New MSDBGrid.Columns, d As MSDBGrid.Column
    Dim c As New Lumatab80.Columns, d As Lumatab80.Column
End Sub
'' Private Sub 顧客グリッド_LeftColChange()
