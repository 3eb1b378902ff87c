Attribute VB_Name = "modPlain"
Dim c As MSDBGrid.Column
