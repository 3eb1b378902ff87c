Attribute VB_Name = "modKyotsu"
'*** Orvel Migration Utility Code Change ***
'Public g—ñ As MSDBGrid.Column
Public g—ñ As Lumatab80.Column
