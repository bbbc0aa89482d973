#!/usr/bin/python3
"""Writes the SOLUC fixtures of the table-store tests with Debian's python3-dbf, an independent
dBase writer: its dBase III and Visual FoxPro modes, DIA as a number and as text, one deleted
row and accented text in Windows-1252. Run it from this folder; the .DBF files are committed so
that the Windows build reads exactly the same bytes.

    /usr/bin/python3 make_soluc_fixtures.py
"""
import datetime
import os

import dbf

FIELDS = 'DIA {dia}; HORA N(2,0); MARCO C(3); PROF C(10); CODGRUPO C(10); TAREA C(10); ' \
         'ASIG C(10); AULA C(10)'

# (DIA, HORA, MARCO, PROF, CODGRUPO, TAREA, ASIG, AULA); the third row gets deleted.
ROWS = [
    (2, 3, '0', 'JPG', '1ESOA', '*LEC', 'LENB', 'A12'),
    (0, 1, '0', 'MRL', '2BACH', 'GUARD', '', ''),
    (5, 6, '1', 'DELETED', 'X', 'X', 'X', 'X'),
    (1, 12, '01', 'NÚÑEZ', '1º ESO', '*LEC', 'FÍSICA', 'Aula é'),
]


def write(name, dbf_type, dia_numeric):
    dia = 'N(2,0)' if dia_numeric else 'C(2)'
    table = dbf.Table(name, FIELDS.format(dia=dia), dbf_type=dbf_type, codepage='cp1252')
    table.open(dbf.READ_WRITE)
    for values in ROWS:
        values = list(values)
        if not dia_numeric:
            values[0] = str(values[0])
        table.append(tuple(values))
    dbf.delete(table[2])
    table.close()
    # A fixed date in the header, so that regenerating gives the same bytes.
    with open(name, 'r+b') as f:
        f.seek(1)
        f.write(bytes([126, 1, 15]))


if __name__ == '__main__':
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    write('SOLUC_DB3_NUM.DBF', 'db3', True)
    write('SOLUC_DB3_TXT.DBF', 'db3', False)
    write('SOLUC_VFP_NUM.DBF', 'vfp', True)
    write('SOLUC_VFP_TXT.DBF', 'vfp', False)
    for f in os.listdir('.'):
        if f.upper().endswith(('.DBT', '.FPT', '.CDX')):
            os.remove(f)
