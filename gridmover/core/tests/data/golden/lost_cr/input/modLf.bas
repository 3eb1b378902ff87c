Attribute VB_Name = "modLf"
Public g As MSDBGrid.DBGrid
