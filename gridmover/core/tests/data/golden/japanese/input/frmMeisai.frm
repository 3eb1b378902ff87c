VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmMeisai 
   Caption         =   "明細一覧表"
   Begin MSDBGrid.DBGrid 明細グリッド 
      Caption         =   "ソフト・データ"
      OleObjectBlob   =   "frmMeisai.frx":0000
   End
End
Attribute VB_Name = "frmMeisai"
'' 明細グリッドの行が変わったときに見出しを更新する
Private Sub 保存_Click()
    lblPath.Caption = strPath ' 保存先フォルダ
End Sub
Dim 列 As MSDBGrid.Column
Private Sub 明細グリッド_FirstRowChange()
    lbl見出し.Caption = "エリアs MSDBGrid.Column ヂs MSDBGrid.Column"
End Sub
