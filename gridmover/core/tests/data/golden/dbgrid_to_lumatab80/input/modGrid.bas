Attribute VB_Name = "modGrid"
Public Sub Fill(g As MSDBGrid.DBGrid, c As MSDBGrid.Column, s As MSDBGrid.Split)
    Dim cols As New MSDBGrid.Columns
    Rem Dim x As MSDBGrid.Column
    Dim a As Integer, _
        b As MSDBGrid.Column
End Sub
