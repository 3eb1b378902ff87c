VERSION 5.00
Object = "{B89B1084-9546-4204-B68F-2463DB74C547}#8.0#0"; "LTB8.OCX"
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmOrders 
   Caption         =   "Orders"
   Icon            =   "frmOrders.frx":0000
   Begin VB.Frame Frame1 
      Caption         =   "Lines"
      Begin Lumatab80.LTab grdLines 
         Height          =   1800
         OleObjectBlob   =   "frmOrders.frx":00BE
      End
   End
   Begin VB.TextBox Text1 
      Text            =   "Begin MSDBGrid.DBGrid is only text here"
   End
   Begin Lumatab80.LTab DBGrid1 
      Bindings        =   "frmOrders.frx":0000
      Height          =   2400
      OleObjectBlob   =   "frmOrders.frx":0044
      TabIndex        =   0
   End
End
Attribute VB_Name = "frmOrders"
Option Explicit
'*** Orvel Migration Utility Code Change ***
'Dim col As MSDBGrid.Column
Dim col As Lumatab80.Column
' Dim old As MSDBGrid.Column

'*** Orvel Migration Utility Code Change ***
'Private Sub DBGrid1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Object)
Private Sub DBGrid1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Lumatab80.StyleDisp)
    CellStyle.ForeColor = vbRed
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub grdLines_LeftColChange()
Private Sub grdLines_LeftColChange(ByVal SplitIndex as Integer)
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub DBGrid1_FirstRowChange()
Private Sub DBGrid1_FirstRowChange(ByVal SplitIndex as Integer)
If SplitIndex <> DBGrid1.Split Then Exit Sub
    Debug.Print "first row"
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub grdLines_FormatText(ByVal ColIndex As Integer, _
'        Value as Variant)
Private Sub grdLines_FormatText(ByVal ColIndex As Integer, Value As Variant, Bookmark As Variant)
End Sub

'*** Orvel Migration Utility Code Change ***
'Private Sub DBGrid1_UnboundReadData(ByVal RowBuf As RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
Private Sub DBGrid1_UnboundReadData(ByVal RowBuf As Lumatab80.RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
End Sub

Private Sub Text1_FormatText(Value as Variant)
End Sub

Private Sub DBGrid1_Click()
'*** Orvel Migration Utility Code Change ***
'    Dim s As MSDBGrid.Split
    Dim s As Lumatab80.Split
End Sub
