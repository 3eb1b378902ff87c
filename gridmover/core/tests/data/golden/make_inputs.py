#!/usr/bin/python3
"""Writes the input trees of the golden cases (run once; the trees are committed).

Text files are written as a VB6 disk holds them (CR LF, CP932) unless a case is about something
else; the binary property files are built record by record so that the GUIDs in them are readable
here.
"""
import os
import struct
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))

ROW1 = {"CLSID_MsDgrid": "00028C00-0000-0000-0000-000000000046",
        "IID_DMgColumn": "00028C07-0000-0000-0000-000000000046",
        "IID_DLtSplit": "00028C0C-0000-0000-0000-000000000046"}
ROW7 = {"CLSID_MsDgrid": "F4095D12-1883-407E-B6BF-F2043B9D203E",
        "IID_DLtStyle": "AC7CADFE-A2A8-4521-A18D-D24CA2A22E87",
        "CLSID_LTabDrop": "4A5FEC18-A8FB-4374-9400-7125A912192A"}


def guid(text):
    return uuid.UUID(text).bytes_le


def record(data):
    """A property record: 4 bytes, the length N, 16 bytes, then the N data bytes."""
    return b"LB\r\x00" + struct.pack("<I", len(data)) + b"\x00" * 16 + data


def write(case, name, data, crlf=True, encoding="cp932"):
    path = os.path.join(HERE, case, "input", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        if crlf:
            data = data.replace("\n", "\r\n")
        data = data.encode(encoding)
    with open(path, "wb") as f:
        f.write(data)


def icon_record():
    return record(b"\x00\x00\x01\x00" + bytes(range(40)))


# --- 1. the platform grid to Lumatab 8.0 --------------------------------------------------
c = "dbgrid_to_lumatab80"
write(c, "Orders.vbp", """Type=Exe
Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\WINDOWS\\SYSTEM\\STDOLE2.TLB#OLE Automation
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Form=frmOrders.frm
Form=frmAbout.frm
Module=modGrid; modGrid.bas
Class=clsRows; clsRows.cls
Startup="frmOrders"
Name="Orders"
""")
grid1 = b"\xfe\xff\x00\x00\x04\x00\x02\x00" + guid(ROW1["CLSID_MsDgrid"]) + b"\x01\x00\x00\x00" \
    + guid(ROW1["IID_DMgColumn"]) + b"Column1\x00" + guid(ROW1["IID_DMgColumn"]) + b"Column2\x00" \
    + guid(ROW1["IID_DLtSplit"]) + b"\x00" * 6
grid2 = b"\xfe\xff\x00\x00\x04\x00\x02\x00" + guid(ROW1["CLSID_MsDgrid"]) + b"\x02\x00\x00\x00"
frx = icon_record()
off_grid1 = len(frx)
frx += record(grid1)
off_grid2 = len(frx)
frx += record(grid2)
write(c, "frmOrders.frx", frx)
write(c, "frmOrders.frm", f"""VERSION 5.00
Object = "{{00028C01-0000-0000-0000-000000000046}}#1.0#0"; "DBGRID32.OCX"
Object = "{{00028C01-0000-0000-0000-000000000046}}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmOrders 
   Caption         =   "Orders"
   Icon            =   "frmOrders.frx":0000
   Begin VB.Frame Frame1 
      Caption         =   "Lines"
      Begin MSDBGrid.DBGrid grdLines 
         Height          =   1800
         OleObjectBlob   =   "frmOrders.frx":{off_grid2:04X}
      End
   End
   Begin VB.TextBox Text1 
      Text            =   "Begin MSDBGrid.DBGrid is only text here"
   End
   Begin MSDBGrid.DBGrid DBGrid1 
      Bindings        =   "frmOrders.frx":0000
      Height          =   2400
      OleObjectBlob   =   "frmOrders.frx":{off_grid1:04X}
      TabIndex        =   0
   End
End
Attribute VB_Name = "frmOrders"
Option Explicit
Dim col As MSDBGrid.Column
' Dim old As MSDBGrid.Column

Private Sub DBGrid1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Object)
    CellStyle.ForeColor = vbRed
End Sub

Private Sub grdLines_LeftColChange()
End Sub

Private Sub DBGrid1_FirstRowChange()
    Debug.Print "first row"
End Sub

Private Sub grdLines_FormatText(ByVal ColIndex As Integer, _
        Value as Variant)
End Sub

Private Sub DBGrid1_UnboundReadData(ByVal RowBuf As RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
End Sub

Private Sub Text1_FormatText(Value as Variant)
End Sub

Private Sub DBGrid1_Click()
    Dim s As MSDBGrid.Split
End Sub
""")
write(c, "frmAbout.frx", icon_record())
write(c, "frmAbout.frm", """VERSION 5.00
Begin VB.Form frmAbout 
   Caption         =   "About"
   Icon            =   "frmAbout.frx":0000
End
Attribute VB_Name = "frmAbout"
Private Sub Form_Load()
End Sub
""")
write(c, "modGrid.bas", """Attribute VB_Name = "modGrid"
Public Sub Fill(g As MSDBGrid.DBGrid, c As MSDBGrid.Column, s As MSDBGrid.Split)
    Dim cols As New MSDBGrid.Columns
    Rem Dim x As MSDBGrid.Column
    Dim a As Integer, _
        b As MSDBGrid.Column
End Sub
""")
write(c, "clsRows.cls", """VERSION 1.0 CLASS
BEGIN
  MultiUse = -1  'True
END
Attribute VB_Name = "clsRows"
Public Count As Long
""")
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("1 12 1\n")

# --- 2. Lumatab Pro 6.0 to 8.0 (OLEDB): grid and drop-down ---------------------------------
c = "lumatab60_to_ole80"
write(c, "Shop.vbp", """Type=Exe
Object={15DD28E5-F2EC-4A61-825C-40BBE8CD8F40}#6.0#0; LTB6.OCX
Form=frmShop.frm
Name="Shop"
""")
grid = b"\x00\x00" + guid(ROW7["CLSID_MsDgrid"]) + guid(ROW7["IID_DLtStyle"]) \
    + guid(ROW7["CLSID_MsDgrid"]) + b"\x00\x00"
drop = b"\x00\x00" + guid(ROW7["CLSID_LTabDrop"]) + b"\x00\x00"
frx = record(grid)
off_drop = len(frx)
frx += record(drop)
write(c, "frmShop.frx", frx)
write(c, "frmShop.frm", f"""VERSION 5.00
Object = "{{15DD28E5-F2EC-4A61-825C-40BBE8CD8F40}}#6.0#0"; "LTB6.OCX"
Begin VB.Form frmShop 
   Begin Lumatab60.LTabDropDown ddItems 
      OleObjectBlob   =   "frmShop.frx":{off_drop:04X}
   End
   Begin Lumatab60.LTab LTab1 
      OleObjectBlob   =   "frmShop.frx":0000
   End
End
Attribute VB_Name = "frmShop"
Private Sub LTab1_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As StyleDisp)
End Sub

Private Sub ddItems_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Lumatab60.StyleDisp)
End Sub

Private Sub ddItems_UnboundReadData(ByVal RowBuf As Lumatab60.RowBuffer, StartLocation As Variant, ByVal ReadPriorRows As Boolean)
End Sub

Private Sub ddItems_FirstRowChange()
End Sub

Private Sub LTab1_FirstRowChange()
End Sub

Private Sub LTab1_FormatText(ByVal ColIndex As Integer, Value As Variant, Bookmark As Variant)
End Sub
""")
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("7 13 1\n")

# --- 3. a Japanese form (CP932) --------------------------------------------------------------
c = "japanese"
write(c, "Kanri.vbp", """Type=Exe
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Form=frmMeisai.frm
Name="Kanri"
""")
write(c, "frmMeisai.frx", record(b"\x00" + guid(ROW1["CLSID_MsDgrid"]) + b"\x00"))
write(c, "frmMeisai.frm", """VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmMeisai 
   Caption         =   "明細一覧表"
   Begin MSDBGrid.DBGrid 明細グリッド 
      Caption         =   "ソフト・データ"
      OleObjectBlob   =   "frmMeisai.frx":0000
   End
End
Attribute VB_Name = "frmMeisai"
'' 明細グリッドの行が変わったときに見出しを更新する
Private Sub 保存_Click()
    lblPath.Caption = strPath ' 保存先フォルダ
End Sub
Dim 列 As MSDBGrid.Column
Private Sub 明細グリッド_FirstRowChange()
    lbl見出し.Caption = "エリアs MSDBGrid.Column ヂs MSDBGrid.Column"
End Sub
""")
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("1 12 1\n")

# --- 4. a project without the source grid ----------------------------------------------------
c = "no_grid"
write(c, "Plain.vbp", """Type=Exe
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Form=frmPlain.frm
Module=modPlain; modPlain.bas
""")
write(c, "frmPlain.frx", icon_record())
write(c, "frmPlain.frm", """VERSION 5.00
Begin VB.Form frmPlain 
   Icon            =   "frmPlain.frx":0000
End
Attribute VB_Name = "frmPlain"
Dim c As Integer
""")
write(c, "modPlain.bas", """Attribute VB_Name = "modPlain"
Dim c As MSDBGrid.Column
""")
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("1 12 0\n")

# --- 5. files that lost their CRs in transit, last lines without line end -------------------
c = "lost_cr"
write(c, "Lf.vbp", """Type=Exe
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Form=frmLf.frm
Module=modLf; modLf.bas
Name="Lf\"""", crlf=False)
write(c, "frmLf.frx", record(guid(ROW1["CLSID_MsDgrid"])))
write(c, "frmLf.frm", """VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmLf 
   Begin MSDBGrid.DBGrid DBGrid1 
      OleObjectBlob   =   "frmLf.frx":0000
   End
End
Attribute VB_Name = "frmLf"
Private Sub DBGrid1_LeftColChange()
End Sub""", crlf=False)
write(c, "modLf.bas", """Attribute VB_Name = "modLf"
Public g As MSDBGrid.DBGrid
""", crlf=False)
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("1 12 1\n")

# --- 6. a Japanese project edited by hand ------------------------------------------------------
# Tabs before and between the words of a grid block's Begin and End lines, a lower-case Begin,
# trailing blanks, a name after a doubled blank; double-byte characters whose second byte is "\",
# "_" or an ASCII letter in captions, comments and at the end of continued lines; file names that
# differ in letter case from the disk's.
c = "hand_edited_japanese"
write(c, "Kokyaku.vbp", """Type=Exe
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Form=kokyaku.FRM
Module=Mod表示; modhyoji.bas
Name="顧客管理"
""")
blob1 = record(b"\x01" * 8 + guid(ROW1["CLSID_MsDgrid"]) + b"\x02" * 4
               + guid(ROW1["IID_DMgColumn"]) + b"\x03" * 4)
blob2 = record(b"\x05" * 3 + guid(ROW1["CLSID_MsDgrid"]) + b"\x06" * 5)
between = b"\x0b\x00" + "ソフト表示".encode("cp932")
write(c, "KOKYAKU.FRX", blob1 + between + blob2)
write(c, "Kokyaku.frm", f"""VERSION 5.00
Object = "{{00028C01-0000-0000-0000-000000000046}}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form 顧客 
   Caption         =   "顧客一覧表ソ能ア"
   Begin VB.Frame 枠 
      Caption         =   "予定表"
\tbegin msdbgrid.dbgrid\t顧客グリッド 
\t\tCaption         =   "ダ表示ソ"
\t\tOleObjectBlob   =   "Kokyaku.frx":0000
\tEnd
   End
   Begin MSDBGrid.DBGrid  DBGrid2  
      OleObjectBlob   =   "Kokyaku.frx":{len(blob1) + len(between):04X}
   End  
   Begin VB.Label ラベル 
      Caption         =   "Begin MSDBGrid.DBGrid ソ"
   End
End
Attribute VB_Name = "顧客"
' 一覧の表示 ソフト ダ
Rem 表示 _
Private Sub 顧客グリッド_FirstRowChange()
    lbl.Caption = "オランダ" ' オランダ
End Sub
Private Sub DBGrid2_FormatText(ByVal ColIndex As Integer, _
        Value as Variant)
End Sub
Dim 列 As MSDBGrid.Column ' オランダ
Private Sub 表示_Click() ' 表示ソ
    Dim c As New MSDBGrid.Columns, d As MSDBGrid.Column
End Sub
'' Private Sub 顧客グリッド_LeftColChange()
""")
write(c, "modHyoji.BAS", """Attribute VB_Name = "Mod表示"
' 表示用のモジュール
Public g列 As MSDBGrid.Column ' オランダ
Public Sub 表示(ByVal c As MSDBGrid.Column, _
    ByVal s As String)
End Sub
""")
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("1 12 1\n")

# --- 7. files in subfolders, named with backslashes as VB6 writes them ---------------------------
c = "subfolders"
write(c, "Hanbai.vbp", """Type=Exe
Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX
Form=forms\\frmUriage.frm
Module=modKyotsu; common\\modKyotsu.bas
Class=clsMeisai; common\\clsMeisai.cls
Startup="frmUriage"
Name="Hanbai"
""")
write(c, "forms/frmUriage.frx", record(b"\x00" + guid(ROW1["CLSID_MsDgrid"]) + b"\x00"))
write(c, "forms/frmUriage.frm", """VERSION 5.00
Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"
Begin VB.Form frmUriage 
   Caption         =   "売上一覧"
   Begin MSDBGrid.DBGrid 売上グリッド 
      OleObjectBlob   =   "frmUriage.frx":0000
   End
End
Attribute VB_Name = "frmUriage"
Private Sub 売上グリッド_FirstRowChange()
End Sub
""")
write(c, "common/modKyotsu.bas", """Attribute VB_Name = "modKyotsu"
Public g列 As MSDBGrid.Column
""")
write(c, "common/clsMeisai.cls", """VERSION 1.0 CLASS
BEGIN
  MultiUse = -1  'True
END
Attribute VB_Name = "clsMeisai"
Private m分割 As MSDBGrid.Split
""")
with open(os.path.join(HERE, c, "case.txt"), "w") as f:
    f.write("1 12 1\n")
