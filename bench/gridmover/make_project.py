#!/usr/bin/python3
"""Writes a VB6 project for the migration benchmark: FORMS forms, each with two grids of the
platform's data-bound grid (row 1) and a binary property file shaped like real ones (an icon
record and one record per grid holding the grid's class id and column interfaces), Japanese
captions and comments (CP932), event handlers and declarations to rewrite, plus code modules.

    make_project.py OUT_DIR [--forms 1000] [--modules 20]
"""
import argparse
import os
import random
import struct
import uuid

CLSID = uuid.UUID("00028C00-0000-0000-0000-000000000046").bytes_le
IID_COLUMN = uuid.UUID("00028C07-0000-0000-0000-000000000046").bytes_le
IID_SPLIT = uuid.UUID("00028C0C-0000-0000-0000-000000000046").bytes_le


def record(data):
    return b"LB\r\x00" + struct.pack("<I", len(data)) + b"\x00" * 16 + data


def grid_record(rng):
    # Property data of about 2.5 KB, as the grids of real projects have.
    data = b"\xfe\xff\x00\x00\x04\x00\x02\x00" + CLSID + b"\x01\x00\x00\x00"
    for c in range(2):
        data += IID_COLUMN + f"Column{c}".encode() + bytes(rng.randrange(256) for _ in range(200))
    data += IID_SPLIT + bytes(rng.randrange(256) for _ in range(2000))
    return record(data)


def form(i, offsets):
    name = f"frm{i:04d}"
    lines = [
        "VERSION 5.00",
        'Object = "{00028C01-0000-0000-0000-000000000046}#1.0#0"; "DBGRID32.OCX"',
        f"Begin VB.Form {name} ",
        f'   Caption         =   "受注明細 {i}"',
        "   ClientHeight    =   6000",
        "   ClientWidth     =   9000",
        f'   Icon            =   "{name}.frx":0000',
    ]
    for n in range(12):
        lines += [
            f"   Begin VB.Label lbl見出し{n} ",
            f'      Caption         =   "項目{n}：ソフト・データ表"',
            f"      Left            =   {120 + n * 700}",
            "      Top             =   120",
            "   End",
        ]
    for g, off in enumerate(offsets):
        lines += [
            f"   Begin MSDBGrid.DBGrid DBGrid{g + 1} ",
            f'      Bindings        =   "{name}.frx":0000',
            "      Height          =   2400",
            f"      Left            =   {120 + g * 4500}",
            f'      OleObjectBlob   =   "{name}.frx":{off:04X}',
            f"      TabIndex        =   {g}",
            "      Top             =   600",
            "      Width           =   4300",
            "   End",
        ]
    lines += [
        "End",
        f'Attribute VB_Name = "{name}"',
        "Attribute VB_GlobalNameSpace = False",
        "Option Explicit",
        "' 明細グリッドの表示を更新するフォルダ",
        "Dim col As MSDBGrid.Column",
        "",
        "Private Sub DBGrid1_FirstRowChange()",
        '    lbl見出し0.Caption = "先頭行が変わりました"',
        "End Sub",
        "",
        "Private Sub DBGrid2_FetchCellStyle(ByVal Condition As Integer, ByVal Split As Integer, _",
        "        Bookmark As Variant, ByVal Col As Integer, ByVal CellStyle As Object)",
        "    CellStyle.ForeColor = vbRed",
        "End Sub",
        "",
    ]
    for n in range(40):
        lines += [
            f"Private Sub Proc{n}(ByVal x As Long)",
            f"    Dim s As String ' 集計{n}の作業領域",
            f'    s = "合計：" & CStr(x * {n})',
            "    If x > 0 Then Debug.Print s",
            "End Sub",
            "",
        ]
    return name, ("\r\n".join(lines) + "\r\n").encode("cp932")


def module(i):
    lines = [f'Attribute VB_Name = "mod{i:02d}"', "Option Explicit"]
    for n in range(60):
        lines += [
            f"Public Sub Fill{n}(g As MSDBGrid.DBGrid, c As MSDBGrid.Column)",
            f"    ' 列{n}を設定する",
            "    c.Caption = g.Caption",
            "End Sub",
        ]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--forms", type=int, default=1000)
    ap.add_argument("--modules", type=int, default=20)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    rng = random.Random(5)
    vbp = ["Type=Exe",
           "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\WINDOWS\\SYSTEM\\STDOLE2.TLB#OLE Automation",
           "Object={00028C01-0000-0000-0000-000000000046}#1.0#0; DBGRID32.OCX"]
    for i in range(args.forms):
        frx = record(b"\x00\x00\x01\x00" + bytes(rng.randrange(256) for _ in range(766)))
        offsets = []
        for _ in range(2):
            offsets.append(len(frx))
            frx += grid_record(rng)
        name, text = form(i, offsets)
        with open(os.path.join(args.out, name + ".frm"), "wb") as f:
            f.write(text)
        with open(os.path.join(args.out, name + ".frx"), "wb") as f:
            f.write(frx)
        vbp.append(f"Form={name}.frm")
    for i in range(args.modules):
        with open(os.path.join(args.out, f"mod{i:02d}.bas"), "wb") as f:
            f.write(module(i))
        vbp.append(f"Module=mod{i:02d}; mod{i:02d}.bas")
    vbp += ['Startup="frm0000"', 'Name="Bench"']
    with open(os.path.join(args.out, "Bench.vbp"), "wb") as f:
        f.write(("\r\n".join(vbp) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
