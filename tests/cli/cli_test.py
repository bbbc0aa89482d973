#!/usr/bin/env python3
"""End-to-end tests of the console program on the sample school.

Usage: cli_test.py SOURCE_DIR PROGRAM [PROGRAM ARGS...]
PROGRAM is the console program, or an emulator followed by it (the Windows build runs under Wine).
Tables are read back both through the program's own `tabla` command and through an independent
dBase reader (python3-dbfread), and the two must agree.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = sys.argv[1] if len(sys.argv) > 2 else '.'
PROGRAM = sys.argv[2:]
SCHOOL = os.path.join(SOURCE, 'examples', 'escuela')
GOLDEN = os.path.join(SOURCE, 'tests', 'timetable', 'data')
TABLES = ['ASIGNOMT', 'PROFT', 'AULAT', 'GRUPOST', 'ASIGT', 'DIASHORAST']
MISSING = [
    'No existe archivo de asignaturas (DRUV_ASIGNAT.TXT)',
    'No existe archivo de profesores (DRUV_PROF.TXT)',
    'No existe archivo de aulas (DRUV_AULAS.TXT)',
    'No existe archivo de grupos (DRUV_GRUPO.TXT)',
    'No existe archivo de grupos (DRUV_ASIGNATGRUPO.TXT)',
    'No existe archivo de grupos (DRUV_SESIONES.TXT)',
]


def run(*args):
    p = subprocess.run(PROGRAM + list(args), capture_output=True, timeout=600)
    out = p.stdout.decode('utf-8').replace('\r\n', '\n')
    err = p.stderr.decode('utf-8').replace('\r\n', '\n')
    return p.returncode, out.splitlines(), err.splitlines()


def transfer_files():
    return [f for f in os.listdir(SCHOOL) if f.lower().endswith('.txt')]


class Workspace:
    """A folder of transfer files and a table folder, removed afterwards."""

    def __enter__(self):
        self.root = tempfile.mkdtemp(prefix='tpd-cli-')
        self.folder = os.path.join(self.root, 'carpeta')
        self.ptemp = os.path.join(self.root, 'PTEMP')
        os.makedirs(self.folder)
        os.makedirs(self.ptemp)
        return self

    def copy_school(self, skip=()):
        for name in transfer_files():
            if name.lower() not in skip:
                shutil.copy(os.path.join(SCHOOL, name), self.folder)

    def __exit__(self, *exc):
        shutil.rmtree(self.root, ignore_errors=True)


def dbfread_rows(path):
    import dbfread
    table = dbfread.DBF(path, load=True, char_decode_errors='strict')
    rows = []
    for rec in table.records:
        row = []
        for name in table.field_names:
            v = rec[name]
            if v is None:
                v = ''
            elif isinstance(v, bool):
                v = 'True' if v else 'False'
            elif isinstance(v, float):
                v = ('%.4f' % v).rstrip('0').rstrip('.')
            row.append(str(v))
        rows.append(row)
    return table.field_names, rows


HELP = 'Más información: tpdconsola --help'

# (arguments, what the console says first, where it sends for help): every kind of command line
# the parser rejects, answered in our own Spanish on standard error with status 64.
BAD_USAGE = [
    ([], 'Falta la orden: exportar, importar, validar o tabla.', HELP),
    (['nada'], 'Orden desconocida: «nada». Las órdenes son exportar, importar, validar y tabla.',
     HELP),
    (['--sin-opcion'],
     'Opción desconocida: «--sin-opcion». Antes de la orden sólo se admiten --help y --version.',
     HELP),
    (['--carpeta', 'C:\\Druv', 'exportar'],
     'La opción --carpeta va detrás de la orden, por ejemplo: tpdconsola exportar --carpeta DIR.',
     HELP),
    (['nada', 'validar'],
     'Sobra el argumento «nada»: se da una sola orden cada vez, con sus opciones detrás.', HELP),
    (['exportar', '--sin-opcion'],
     'La orden exportar no tiene la opción «--sin-opcion»; las suyas son --carpeta, --ptemp y '
     '--resumen.', 'Más información: tpdconsola exportar --help'),
    (['validar', '--resumen'],
     'La orden validar no tiene la opción «--resumen»; las suyas son --carpeta y --ptemp.',
     'Más información: tpdconsola validar --help'),
    (['importar', '--carpeta'], 'Falta el valor de la opción --carpeta (--carpeta DIR).',
     'Más información: tpdconsola importar --help'),
    (['exportar', '--ptemp='], 'Falta el valor de la opción --ptemp (--ptemp DIR).',
     'Más información: tpdconsola exportar --help'),
    (['tabla', 'ASIGT', '--filas'], 'Falta el valor de la opción --filas (--filas N).',
     'Más información: tpdconsola tabla --help'),
    (['exportar', '--carpeta', 'a', '--carpeta', 'b'],
     'La opción --carpeta se ha dado más de una vez.',
     'Más información: tpdconsola exportar --help'),
    (['exportar', 'sobra'], 'Sobra el argumento «sobra»: la orden exportar no lleva argumentos.',
     'Más información: tpdconsola exportar --help'),
    (['exportar', 'importar'], 'Sobra el argumento «importar»: se da una sola orden cada vez.',
     'Más información: tpdconsola exportar --help'),
    (['tabla', 'ASIGT', 'PROFT'],
     'Sobra el argumento «PROFT»: la orden tabla sólo lleva NOMBRE.',
     'Más información: tpdconsola tabla --help'),
    (['tabla'], 'Falta el argumento NOMBRE: tpdconsola tabla NOMBRE.',
     'Más información: tpdconsola tabla --help'),
    (['tabla', 'ASIGT', '--filas', 'diez'], 'El valor «diez» no vale para la opción --filas.',
     'Más información: tpdconsola tabla --help'),
    (['tabla', 'ASIGT', '--filas', '-2'], 'El valor «-2» no vale para la opción --filas.',
     'Más información: tpdconsola tabla --help'),
    (['exportar', '--resumen=si'], 'La opción --resumen no lleva valor (se ha escrito «si»).',
     'Más información: tpdconsola exportar --help'),
]


class Usage(unittest.TestCase):
    def test_version_and_help(self):
        rc, out, _ = run('--version')
        self.assertEqual(rc, 0)
        self.assertRegex(out[0], r'^tpdconsola \d+\.\d+\.\d+$')
        rc, out, _ = run('--help')
        self.assertEqual(rc, 0)
        self.assertTrue(any('exportar' in line for line in out))

    def test_general_help_names_every_option_of_the_commands(self):
        rc, out, err = run('--help')
        self.assertEqual((rc, err), (0, []))
        text = '\n'.join(out)
        # (option as written, its default, the commands it goes with)
        for option, default, commands in [
                ('--carpeta DIR', 'por omisión, la carpeta actual',
                 'exportar, importar y validar'),
                ('--ptemp DIR', 'por omisión, PTEMP en la raíz de la unidad',
                 'exportar, importar, validar y tabla'),
                ('--resumen', 'sin ella, sólo los mensajes del proceso', 'exportar y importar'),
                ('--filas N', 'por omisión, 10', 'tabla')]:
            with self.subTest(option=option):
                m = re.search(r'^  ' + re.escape(option) + r' +(.*)\n +Vale para (.*)\.$', text,
                              re.M)
                self.assertTrue(m, text)
                self.assertIn(default, m.group(1))
                self.assertEqual(m.group(2), commands)

    def test_bad_usage_is_64_and_said_in_spanish(self):
        for args, said, help_line in BAD_USAGE:
            with self.subTest(args=args):
                rc, out, err = run(*args)
                self.assertEqual((rc, out, err), (64, [], [said, help_line]))

    def test_help_and_version_win_over_what_follows(self):
        for args in (['exportar', '--help', 'sobra'], ['--version', 'sobra']):
            with self.subTest(args=args):
                rc, out, err = run(*args)
                self.assertEqual((rc, err), (0, []))
                self.assertTrue(out)


class Export(unittest.TestCase):
    def test_missing_folder(self):
        with Workspace() as w:
            for command in ('exportar', 'importar'):
                rc, out, err = run(command, '--carpeta', os.path.join(w.root, 'no-existe'),
                                   '--ptemp', w.ptemp)
                self.assertEqual((rc, out, err), (1, ['No existe la carpeta'], []))
            self.assertEqual(os.listdir(w.ptemp), [])

    def test_empty_folder_gives_the_six_messages(self):
        with Workspace() as w:
            rc, out, err = run('exportar', '--carpeta', w.folder, '--ptemp', w.ptemp)
            self.assertEqual((rc, out, err), (1, MISSING + ['Proceso finalizado'], []))
            self.assertEqual(os.listdir(w.ptemp), [])

    def test_only_teachers(self):
        with Workspace() as w:
            shutil.copy(os.path.join(SCHOOL, 'druv_prof.txt'), w.folder)
            rc, out, _ = run('exportar', '--carpeta', w.folder, '--ptemp', w.ptemp)
            self.assertEqual(rc, 1)
            self.assertEqual(out, [MISSING[0]] + MISSING[2:] + ['Proceso finalizado'])
            self.assertEqual(sorted(os.listdir(w.ptemp)), ['PROFT.DBF'])

    def test_sample_school_tables_read_the_same_everywhere(self):
        with Workspace() as w:
            w.copy_school()
            rc, out, err = run('exportar', '--carpeta', w.folder + os.sep, '--ptemp', w.ptemp)
            self.assertEqual((rc, out, err), (0, ['Proceso finalizado'], []))
            for table in TABLES:
                with self.subTest(table=table):
                    names, rows = dbfread_rows(os.path.join(w.ptemp, table + '.DBF'))
                    self.assertGreater(len(rows), 0)
                    rc, out, err = run('tabla', table, '--ptemp', w.ptemp, '--filas', '-1')
                    self.assertEqual(rc, 0, err)
                    self.assertEqual(out[1], ' | '.join(names))
                    ours = [line.split(' | ') for line in out[2:]]
                    self.assertEqual(len(ours), len(rows))
                    for mine, theirs in zip(ours, rows):
                        # Our store reads text without its trailing blanks; dbfread does the same.
                        self.assertEqual([v.rstrip() for v in mine], theirs)


class Import(unittest.TestCase):
    def test_sample_timetable_matches_the_golden_file(self):
        soluc = os.path.join(SCHOOL, 'ptemp', 'SOLUC.DBF')
        golden = os.path.join(GOLDEN, 'escuela_horario.txt')
        if not (os.path.exists(soluc) and os.path.exists(golden)):
            self.skipTest('no sample timetable')
        with Workspace() as w:
            w.copy_school()
            self.assertEqual(run('exportar', '--carpeta', w.folder, '--ptemp', w.ptemp)[0], 0)
            shutil.copy(soluc, w.ptemp)
            rc, out, err = run('importar', '--carpeta', w.folder, '--ptemp', w.ptemp)
            self.assertEqual((rc, out, err), (0, ['Proceso finalizado'], []))
            with open(os.path.join(w.folder, 'DRUV_HORARIO.TXT'), 'rb') as f:
                got = f.read()
            with open(golden, 'rb') as f:
                want = f.read()
            # Header and trailer carry the moment they were built (columns 60-71).
            mask = lambda data: re.sub(rb'^([09].{58}).{12}', rb'\1dddddddddddd', data,
                                       flags=re.M)
            self.assertEqual(mask(got), mask(want))

    def test_missing_tables_write_nothing(self):
        with Workspace() as w:
            w.copy_school()
            old = b'old timetable\r\n'
            with open(os.path.join(w.folder, 'DRUV_HORARIO.TXT'), 'wb') as f:
                f.write(old)
            rc, out, err = run('importar', '--carpeta', w.folder, '--ptemp', w.ptemp)
            self.assertEqual(rc, 2)
            self.assertEqual(out, [])
            self.assertTrue(err and 'SOLUC' in ' '.join(err), err)
            with open(os.path.join(w.folder, 'DRUV_HORARIO.TXT'), 'rb') as f:
                self.assertEqual(f.read(), old)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0], '-v'])
