VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmOrders 
   Caption         =   "Orders"
   Icon            =   "frmOrders.frx":0000
   Begin VB.Frame Frame1 
      Caption         =   "Lines"
      Begin MSDBGrid.DBGrid grdLines 
         Height          =   1800
         OleObjectBlob   =   "frmOrders.frx":00BE
      End
   End
   Begin VB.TextBox Text1 
      Text            =   "Begin MSDBGrid.DBGrid is only text here"
   End
   Begin MSDBGrid.DBGrid DBGrid1 
      Bindings        =   "frmOrders.frx":0000
      Height          =   2400
      OleObjectBlob   =   "frmOrders.frx":0044
      TabIndex        =   0
   End
End
Attribute VB_Name = "frmOrders"
Option Explicit
Dim col As MSDBGrid.Column
' Dim old As MSDBGrid.Column

Private Sub DBGrid1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Object)
    CellStyle.ForeColor = vbRed
End Sub

Private Sub grdLines_LeftColChange()
End Sub

Private Sub DBGrid1_FirstRowChange()
    Debug.Print "first row"
End Sub

Private Sub grdLines_FormatText(ByVal ColIndex As Integer, _
        Value as Variant)
End Sub

Private Sub DBGrid1_UnboundReadData(ByVal RowBuf As RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
End Sub

Private Sub Text1_FormatText(Value as Variant)
End Sub

Private Sub DBGrid1_Click()
    Dim s As MSDBGrid.Split
End Sub
