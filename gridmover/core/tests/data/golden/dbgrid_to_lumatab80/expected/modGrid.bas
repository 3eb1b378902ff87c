Attribute VB_Name = "modGrid"
'*** Orvel Migration Utility Code Change ***
'Public Sub Fill(g As MSDBGrid.DBGrid, c As MSDBGrid.Column, s As MSDBGrid.Split)
Public Sub Fill(g As Lumatab80.LTab, c As Lumatab80.Column, s As Lumatab80.Split)
'*** Orvel Migration Utility Code Change ***
'    Dim cols As New MSDBGrid.Columns
    Dim cols As New Lumatab80.Columns
    Rem Dim x As MSDBGrid.Column
'*** Orvel Migration Utility Code Change ***
'    Dim a As Integer, _
'        b As MSDBGrid.Column
    Dim a As Integer, b As Lumatab80.Column
End Sub
