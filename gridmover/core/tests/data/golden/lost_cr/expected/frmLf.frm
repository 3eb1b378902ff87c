VERSION 5.00
Object = "{B89B1084-9546-4204-B68F-2463DB74C547}#8.0#0"; "LTB8.OCX"
Begin VB.Form frmLf 
   Begin Lumatab80.LTab DBGrid1 
      OleObjectBlob   =   "frmLf.frx":0000
   End
End
Attribute VB_Name = "frmLf"
'*** Orvel Migration Utility Code Change ***
'Private Sub DBGrid1_LeftColChange()
Private Sub DBGrid1_LeftColChange(ByVal SplitIndex as Integer)
End Sub
