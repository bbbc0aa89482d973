#!/usr/bin/env python3
"""The console's run summary, validar and help, on copies of the sample school.

Usage: console_test.py SOURCE_DIR PROGRAM [PROGRAM ARGS...]
PROGRAM is the console program, or an emulator followed by it (the Windows build runs under Wine).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = sys.argv[1] if len(sys.argv) > 2 else '.'
PROGRAM = sys.argv[2:]
SCHOOL = os.path.join(SOURCE, 'examples', 'escuela')


def run(*args):
    p = subprocess.run(PROGRAM + list(args), capture_output=True, timeout=600)
    out = p.stdout.decode('utf-8').replace('\r\n', '\n')
    err = p.stderr.decode('utf-8').replace('\r\n', '\n')
    return p.returncode, out.splitlines(), err.splitlines()


def set_line(path, n, text):
    with open(path, 'rb') as f:
        lines = f.read().split(b'\r\n')
    lines[n - 1] = text.encode('cp1252')
    with open(path, 'wb') as f:
        f.write(b'\r\n'.join(lines))


class School(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp()
        self.fresh_school()

    def fresh_school(self):
        """The sample's transfer files in a new druv/ and an empty PTEMP/ beside it."""
        for folder in ('druv', 'PTEMP'):
            shutil.rmtree(os.path.join(self.root, folder), ignore_errors=True)
        self.druv = os.path.join(self.root, 'druv')
        self.ptemp = os.path.join(self.root, 'PTEMP')
        os.mkdir(self.druv)
        os.mkdir(self.ptemp)
        for f in os.listdir(SCHOOL):
            if f.lower().endswith('.txt'):
                shutil.copy(os.path.join(SCHOOL, f), self.druv)

    def tearDown(self):
        shutil.rmtree(self.root)

    def validar(self):
        return run('validar', '--carpeta', self.druv, '--ptemp', self.ptemp)

    def test_validar_cases(self):
        # (what is planted, exit status, a line that must be printed, the verdict)
        cases = [
            ('nothing', None, 0, 'druv_prof.txt:36: código de profesor «p001» ya usado en la '
             'línea 2: se pasa por alto', 'La exportación terminaría bien.'),
            ('a session time that does not convert',
             lambda: set_line(os.path.join(self.druv, 'druv_sesiones.txt'), 2,
                              '1   0001L08300x25'), 2,
             "druv_sesiones.txt:2: las horas «0830»-«0x25» no se pueden convertir: '0x' is not "
             "a valid integer value (la exportación se detendría)",
             'La exportación se detendría por un error.'),
            ('the teachers file missing',
             lambda: os.remove(os.path.join(self.druv, 'druv_prof.txt')), 1,
             'druv_prof.txt: No existe archivo de profesores (DRUV_PROF.TXT)',
             'La exportación terminaría, pero falta algún fichero.'),
        ]
        for name, plant, status, line, verdict in cases:
            with self.subTest(name):
                self.fresh_school()
                if plant:
                    plant()
                rc, out, err = self.validar()
                self.assertEqual(rc, status, out + err)
                self.assertIn(line, out)
                self.assertEqual(out[-1], verdict)
                self.assertEqual(err, [])
                self.assertEqual(os.listdir(self.ptemp), [])  # validar writes nothing

    def test_validar_missing_folder(self):
        rc, out, _ = run('validar', '--carpeta', os.path.join(self.root, 'no-existe'))
        self.assertEqual((rc, out), (1, ['No existe la carpeta']))

    def test_resumen_after_both_runs(self):
        rc, out, _ = run('exportar', '--carpeta', self.druv, '--ptemp', self.ptemp, '--resumen')
        self.assertEqual(rc, 0)
        self.assertEqual(out[0], 'Proceso finalizado')
        self.assertEqual(out[1], 'Resumen:')
        self.assertIn('  PROFT: 36 filas escritas', out)
        self.assertIn('    códigos repetidos pasados por alto: 2', out)
        self.assertIn('    asignaturas de grupo pasadas por alto: su asignatura no está en '
                      'ASIGNOMT: 1', out)
        shutil.copy(os.path.join(SCHOOL, 'ptemp', 'SOLUC.DBF'), self.ptemp)
        rc, out, _ = run('importar', '--carpeta', self.druv, '--ptemp', self.ptemp, '--resumen')
        self.assertEqual(rc, 0)
        self.assertIn('  DRUV_HORARIO.TXT: 306 registros escritos', out)
        self.assertIn('    filas de SOLUC con día 0 pasadas por alto: 5', out)

    def test_without_resumen_only_the_messages(self):
        rc, out, _ = run('exportar', '--carpeta', self.druv, '--ptemp', self.ptemp)
        self.assertEqual((rc, out), (0, ['Proceso finalizado']))

    def test_help_and_usage(self):
        rc, out, _ = run('--help')
        self.assertEqual(rc, 0)
        text = '\n'.join(out)
        for part in ('Uso: tpdconsola', 'Órdenes:', 'validar', 'Códigos de salida:',
                     '  64  la orden está mal escrita'):
            self.assertIn(part, text)
        for command in ('exportar', 'importar', 'validar', 'tabla'):
            rc, out, _ = run(command, '--help')
            self.assertEqual(rc, 0)
            self.assertIn('Ejemplo:', out, command)
        rc, _, err = run('validar', '--desconocida')
        self.assertEqual(rc, 64)
        self.assertTrue(err)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]], verbosity=2)
