Attribute VB_Name = "modKyotsu"
Public g—ñ As MSDBGrid.Column
