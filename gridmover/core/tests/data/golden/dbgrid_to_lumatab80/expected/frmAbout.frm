VERSION 5.00
Begin VB.Form frmAbout 
   Caption         =   "About"
   Icon            =   "frmAbout.frx":0000
End
Attribute VB_Name = "frmAbout"
Private Sub Form_Load()
End Sub
