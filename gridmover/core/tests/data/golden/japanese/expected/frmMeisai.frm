VERSION 5.00
Object = "{B89B1084-9546-4204-B68F-2463DB74C547}#8.0#0"; "LTB8.OCX"
Begin VB.Form frmMeisai 
   Caption         =   "明細一覧表"
   Begin Lumatab80.LTab 明細グリッド 
      Caption         =   "ソフト・データ"
      OleObjectBlob   =   "frmMeisai.frx":0000
   End
End
Attribute VB_Name = "frmMeisai"
'' 明細グリッドの行が変わったときに見出しを更新する
Private Sub 保存_Click()
    lblPath.Caption = strPath ' 保存先フォルダ
End Sub
'*** Orvel Migration Utility Code Change ***
'Dim 列 As MSDBGrid.Column
Dim 列 As Lumatab80.Column
'*** Orvel Migration Utility Code Change ***
'Private Sub 明細グリッド_FirstRowChange()
Private Sub 明細グリッド_FirstRowChange(ByVal SplitIndex as Integer)
If SplitIndex <> 明細グリッド.Split Then Exit Sub
    lbl見出し.Caption = "エリアs MSDBGrid.Column ヂs MSDBGrid.Column"
End Sub
