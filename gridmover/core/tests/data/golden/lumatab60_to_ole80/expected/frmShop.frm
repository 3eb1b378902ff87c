VERSION 5.00
Object = "{9DE058CB-68DA-4AF0-8C39-A33D4896628C}#8.0#0"; "LTBO8.OCX"
Begin VB.Form frmShop 
   Begin LumatabOle80.LTabDropDown ddItems 
      OleObjectBlob   =   "frmShop.frx":004C
   End
   Begin LumatabOle80.LTab LTab1 
      OleObjectBlob   =   "frmShop.frx":0000
   End
End
Attribute VB_Name = "frmShop"
'*** Orvel Migration Utility Code Change ***
'Private Sub LTab1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As StyleDisp)
Private Sub LTab1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As LumatabOle80.StyleDisp)
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub ddItems_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Lumatab60.StyleDisp)
Private Sub ddItems_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As LumatabOle80.StyleDisp)
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub ddItems_UnboundReadData(ByVal RowBuf As Lumatab60.RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
Private Sub ddItems_UnboundReadData(ByVal RowBuf As LumatabOle80.RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
End Sub

Private Sub ddItems_FirstRowChange()
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub LTab1_FirstRowChange()
Private Sub LTab1_FirstRowChange(ByVal SplitIndex as Integer)
If SplitIndex <> LTab1.Split Then Exit Sub
End Sub

Private Sub LTab1_FormatText(ByVal ColIndex As Integer, Value As Variant, Bookmark As Variant)
End Sub
