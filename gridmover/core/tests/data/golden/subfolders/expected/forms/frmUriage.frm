VERSION 5.00
Object = "{B89B1084-9546-4204-B68F-2463DB74C547}#8.0#0"; "LTB8.OCX"
Begin VB.Form frmUriage 
   Caption         =   "売上一覧"
   Begin Lumatab80.LTab 売上グリッド 
      OleObjectBlob   =   "frmUriage.frx":0000
   End
End
Attribute VB_Name = "frmUriage"
'*** Orvel Migration Utility Code Change ***
'Private Sub 売上グリッド_FirstRowChange()
Private Sub 売上グリッド_FirstRowChange(ByVal SplitIndex as Integer)
If SplitIndex <> 売上グリッド.Split Then Exit Sub
End Sub
