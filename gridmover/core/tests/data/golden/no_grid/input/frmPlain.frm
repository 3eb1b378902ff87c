VERSION 5.00
Begin VB.Form frmPlain 
   Icon            =   "frmPlain.frx":0000
End
Attribute VB_Name = "frmPlain"
Dim c As Integer
