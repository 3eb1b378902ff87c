VERSION 5.00
Object = "{15DD28E5-F2EC-4A61-825C-40BBE8CD8F40}#6.0#0"; "LTB6.OCX"
Begin VB.Form frmShop 
   Begin Lumatab60.LTabDropDown ddItems 
      OleObjectBlob   =   "frmShop.frx":004C
   End
   Begin Lumatab60.LTab LTab1 
      OleObjectBlob   =   "frmShop.frx":0000
   End
End
Attribute VB_Name = "frmShop"
Private Sub LTab1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As StyleDisp)
End Sub

Private Sub ddItems_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Lumatab60.StyleDisp)
End Sub

Private Sub ddItems_UnboundReadData(ByVal RowBuf As Lumatab60.RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
End Sub

Private Sub ddItems_FirstRowChange()
End Sub

Private Sub LTab1_FirstRowChange()
End Sub

Private Sub LTab1_FormatText(ByVal ColIndex As Integer, Value As Variant, Bookmark As Variant)
End Sub
