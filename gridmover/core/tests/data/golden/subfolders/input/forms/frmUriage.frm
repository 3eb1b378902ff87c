VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmUriage 
   Caption         =   "売上一覧"
   Begin MSDBGrid.DBGrid 売上グリッド 
      OleObjectBlob   =   "frmUriage.frx":0000
   End
End
Attribute VB_Name = "frmUriage"
Private Sub 売上グリッド_FirstRowChange()
End Sub
