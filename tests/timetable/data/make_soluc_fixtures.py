#!/usr/bin/python3
"""Writes the SOLUC fixtures of the import-run tests with Debian's python3-dbf, an independent
dBase writer, in the field types that a timetabler may choose: numbers, text, and Visual FoxPro
integers. All three hold the same entries, one of them deleted and one with DIA 0.

Run from anywhere: ./make_soluc_fixtures.py writes soluc_*.dbf beside itself. The last-update
date in each header is fixed so that running it again gives the same bytes.
"""
import os
import struct

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))

# (ID, DIA, HORA, MARCO, PROF, CODGRUPO, TAREA, ASIG, AULA, deleted)
ENTRIES = [
    (1, 1, 1, "0", "JPG", "1ESOA", "", "MAT", "A1", False),
    (2, 1, 2, "0", "ANA", "2ESOB", "", "LENB", "LAB", False),
    (3, 2, 1, "0", "XXX", "1ESOA", "", "MAT", "A1", True),      # deleted: not an entry
    (4, 0, 0, "0", "JPG", "1ESOA", "", "MAT", "A1", False),     # not placed
    (5, 2, 1, "0", "LUI", "3ESOC", "*GUA", "", "PATIO", False),  # activity, unknown group and room
    (6, 3, 1, "", "ANA", "1ESOA", "", "REL", "A1", False),      # empty MARCO
    (7, 5, 10, "0", "JPG", "2ESOB", "", "MAT", "A1", False),    # period that DIASHORAST lacks
]

TEXT_FIELDS = "MARCO C(1); PROF C(4); CODGRUPO C(10); TAREA C(10); ASIG C(10); AULA C(10)"

VARIANTS = [
    # file, dbf type, field list, how DIA and HORA are stored
    ("soluc_numeric.dbf", "db3", "ID N(6,0); DIA N(1,0); HORA N(2,0); " + TEXT_FIELDS, int),
    ("soluc_text.dbf", "db3", "ID N(6,0); DIA C(2); HORA C(2); " + TEXT_FIELDS, str),
    ("soluc_vfp.dbf", "vfp", "ID I; DIA I; HORA I; " + TEXT_FIELDS, int),
]

FIXED_DATE = bytes([126, 12, 1])  # 1 December 2026, header bytes 1-3


def write(name, dbf_type, fields, number):
    path = os.path.join(HERE, name)
    table = dbf.Table(path, fields, dbf_type=dbf_type, codepage="cp1252")
    table.open(dbf.READ_WRITE)
    for ident, dia, hora, marco, prof, grupo, tarea, asig, aula, deleted in ENTRIES:
        table.append((ident, number(dia), number(hora), marco, prof, grupo, tarea, asig, aula))
        if deleted:
            dbf.delete(table[-1])
    table.close()
    with open(path, "r+b") as f:
        f.seek(1)
        f.write(FIXED_DATE)


for variant in VARIANTS:
    write(*variant)
