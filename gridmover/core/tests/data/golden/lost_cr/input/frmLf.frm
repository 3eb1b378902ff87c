VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmLf 
   Begin MSDBGrid.DBGrid DBGrid1 
      OleObjectBlob   =   "frmLf.frx":0000
   End
End
Attribute VB_Name = "frmLf"
Private Sub DBGrid1_LeftColChange()
End Sub