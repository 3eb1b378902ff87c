Attribute VB_Name = "modLf"
'*** Orvel Migration Utility Code Change ***
'Public g As MSDBGrid.DBGrid
Public g As Lumatab80.LTab
