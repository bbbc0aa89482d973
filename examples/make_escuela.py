#!/usr/bin/env python3
"""Writes the DRUV transfer files of the sample school into examples/escuela/.

The school, IES Valle del Tormentoso, is made up: every name, code and number below is invented.
Files are fixed-column text in Windows-1252 with CR LF line ends, each framed by its header record
("0", the record name in columns 2-51, the centre code in 52-59, the date and time in 60-71) and
its trailer record (the same, followed by the number of data records).

Run it from anywhere: python3 examples/make_escuela.py
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "escuela")

CENTRE = "99012345"          # centre code, columns 52-59 of every header and trailer
STAMP = "010920260800"        # ddmmyyyyhhnn: 1 September 2026, 08:00
RECORD_NAME_WIDTH = 50        # columns 2-51


def record(fields, width=None):
    """A data record: "1" in column 1, then each (first column, text) in place, blanks between."""
    line = ["1"]
    for first, text in fields:
        at = first - 1
        while len(line) < at:
            line.append(" ")
        for i, ch in enumerate(text):
            if at + i < len(line):
                line[at + i] = ch
            else:
                line.append(ch)
    if width:
        line += [" "] * (width - len(line))
    return "".join(line)


def write(file_name, record_name, records):
    head = record_name.ljust(RECORD_NAME_WIDTH) + CENTRE + STAMP
    lines = ["0" + head] + records + ["9" + head + str(len(records))]
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    with open(os.path.join(OUT, file_name), "wb") as f:
        f.write(data)


# ---- Subjects: DRUV code (2-21), name (22-171), suffix (172-177) -------------------------------

SUBJECTS = [
    # code, name, suffix
    ("LCL", "Lengua Castellana y Literatura", ""),
    ("MAT", "Matemáticas", ""),
    ("MAT", "Matemáticas orientadas a las enseñanzas académicas", "ACA"),
    ("MAT", "Matemáticas orientadas a las enseñanzas aplicadas", "APL"),
    ("ING", "Primera Lengua Extranjera: Inglés", ""),
    ("ING", "Primera Lengua Extranjera: Inglés (sección bilingüe)", "BIL"),
    ("FRA", "Segunda Lengua Extranjera: Francés", ""),
    ("GEH", "Geografía e Historia", ""),
    ("BIOGEO", "Biología y Geología", ""),
    ("FQ", "Física y Química", ""),
    ("EF", "Educación Física", ""),
    ("MUS", "Música", ""),
    ("EPVA", "Educación Plástica, Visual y Audiovisual", ""),
    ("TECDIG", "Tecnología y Digitalización", ""),
    ("REL", "Religión", ""),
    ("REL", "Religión Evangélica", ""),              # same code again: numbered REL1
    ("ATEDUC", "Atención Educativa", ""),
    ("LATIN4", "Latín", ""),
    ("ECONOMIA4", "Economía y Emprendimiento", ""),
    # Bachillerato: long DRUV codes whose first ten columns coincide
    ("MATEMATICASI", "Matemáticas I", ""),
    ("MATEMATICASII", "Matemáticas II", ""),           # base MATEMATICA taken: MATEMATIC1
    ("MATEMATICASI", "Matemáticas Aplicadas a las Ciencias Sociales I", "CCSS"),
    ("MATEMATICASII", "Matemáticas Aplicadas a las Ciencias Sociales II", "CCSS"),
    ("FILOSOFIA", "Filosofía", ""),
    ("HISTORIAESPANA", "Historia de España", ""),
    ("HISTORIAFILOSOFIA", "Historia de la Filosofía", ""),  # HISTORIAES/HISTORIAFI differ
    ("LCLI", "Lengua Castellana y Literatura I", ""),
    ("LCLII", "Lengua Castellana y Literatura II", ""),
    ("FISICA", "Física", ""),
    ("QUIMICA", "Química", ""),
    ("DIBUJOTECNICOI", "Dibujo Técnico I", ""),
    ("DIBUJOTECNICOII", "Dibujo Técnico II", ""),      # base DIBUJOTECN taken: DIBUJOTEC1
    ("EFBACH", "Educación Física", "BACH"),
    # Formación Profesional Básica
    ("CAPL1", "Comunicación y Sociedad I", ""),
    ("CAPL2", "Comunicación y Sociedad II", ""),
    ("CIAP1", "Ciencias Aplicadas I", ""),
    ("CIAP2", "Ciencias Aplicadas II", ""),
    ("MPINFO", "Montaje y mantenimiento de sistemas y componentes informáticos", ""),
    # Aula de enlace (no level)
    ("ESPANOL", "Español para alumnado de incorporación tardía", ""),
]

ACTIVITIES = [
    # code (2-5), name (6-65), task (66-68)
    ("GUAR", "Guardia", "GUA"),
    ("GREC", "Guardia de recreo", "GRE"),
    ("BIBL", "Guardia de biblioteca", "GBI"),
    ("REDE", "Reunión de departamento", "RDP"),
    ("TUTO", "Tutoría con alumnado", "TUT"),
    ("TUTF", "Atención a familias", "TFA"),
    ("COTI", "Coordinación TIC", "CTI"),
    ("GUAR", "Guardia (repetida)", "GUA"),             # same code: dropped
]

# ---- Teachers: code (2-5), name (6-95), department (96-145) -------------------------------------

TEACHERS = [
    ("P001", "Alonso Ibáñez, Beatriz", "Matemáticas"),
    ("P002", "Barrio Sáez, Tomás", "Matemáticas"),
    ("P003", "Cortés Olmedo, Lucía", "Matemáticas"),
    ("P004", "Díaz Peñalver, Andrés", "Lengua Castellana y Literatura"),
    ("P005", "Escudero Ruiz, Marta", "Lengua Castellana y Literatura"),
    ("P006", "Fuentes Arnáiz, Nuria", "Lengua Castellana y Literatura"),
    ("P007", "Gallardo Tejedor, Óscar", "Inglés"),
    ("P008", "Hidalgo Montes, Irene", "Inglés"),
    ("P009", "Iglesias Varela, Jorge", "Inglés"),
    ("P010", "Jiménez Lozano, Pilar", "Francés"),
    ("P011", "Lara Quintana, Sergio", "Geografía e Historia"),
    ("P012", "Manzano Ferrer, Elena", "Geografía e Historia"),
    ("P013", "Navarro Chacón, Raúl", "Biología y Geología"),
    ("P014", "Ortega Bermejo, Silvia", "Biología y Geología"),
    ("P015", "Pascual Rivas, Íñigo", "Física y Química"),
    ("P016", "Quesada Molina, Carmen", "Física y Química"),
    ("P017", "Ramos Velasco, Daniel", "Educación Física"),
    ("P018", "Salinas Prieto, Ángela", "Educación Física"),
    ("P019", "Torres Gil, Víctor", "Música"),
    ("P020", "Ugarte Luna, Rocío", "Dibujo"),
    ("P021", "Vidal Castaño, Hugo", "Tecnología"),
    ("P022", "Zamora Benítez, Alba", "Tecnología"),
    ("P023", "Aguirre Santos, Ramón", "Filosofía"),
    ("P024", "Blanco Herrero, Sonia", "Latín y Griego"),
    ("P025", "Campos Dorado, Félix", "Economía"),
    ("P026", "Delgado Mora, Inés", "Religión"),
    ("P027", "Esteban Cuesta, Mario", "Orientación"),
    ("P028", "Flores Marín, Noelia", "Informática"),
    ("P029", "García Robles, Adrián", "Informática"),
    ("P030", "Herrera Solís, Lidia", "Ámbito Sociolingüístico"),
    ("P031", "Ibarra Nieto, Pablo", "Ámbito Científico"),
    ("P032", "Juárez Campillo, Eva", "Lengua Castellana y Literatura"),
    ("P033", "León Carrasco, Gonzalo", "Matemáticas"),
    ("P034", "Muñoz Arroyo, Clara", "Geografía e Historia"),
    ("p001", "Alonso Ibáñez, B.", "Matemáticas"),      # same code in small letters: dropped
    ("P035", "Núñez Vallejo, Teresa", "Inglés"),
    ("P036", "Ocaña Ferrándiz, Luis", "Física y Química"),
    ("P010", "Jiménez Lozano, María del Pilar", "Francés"),  # repeated code: dropped
]

# ---- Rooms: code (2-11), name (12-81), second part of the name (82-181) -------------------------

ROOMS = [("A%d" % n, "Aula %d" % n, "Primera planta" if n < 110 else "Segunda planta")
         for n in range(101, 119)]
ROOMS += [
    ("LABFQ", "Laboratorio de Física y Química", "Planta baja"),
    ("LABBIO", "Laboratorio de Biología", "Planta baja"),
    ("GIM", "Gimnasio", "Pabellón deportivo"),
    ("PISTA", "Pista polideportiva", ""),
    ("MUS", "Aula de Música", "Edificio anexo"),
    ("PLAST", "Aula de Plástica", "Edificio anexo"),
    ("TEC1", "Taller de Tecnología", "Sótano"),
    ("INF1", "Aula de Informática 1", "Segunda planta"),
    ("INF2", "Aula de Informática 2", "Segunda planta"),
    ("BIBLIO", "Biblioteca", "Planta baja"),
    ("DESDOB1", "", "Aula de desdoble"),                # no name: NOMBRE begins with a blank
    ("SUM", "Salón de usos múltiples", "Planta baja"),
]

# ---- Groups: code (2-11), level (15-17), course (21-23), bracketed text (24-33), shift (33-35) --

GROUPS = []  # (code, level, course, bracketed text, shift, shift column)
for course in "1234":
    for letter in "ABCD":
        GROUPS.append((course + "ESO" + letter, "ESO", course, course + "º ESO " + letter, "M", 34))
for course in "12":
    for letter in "AB":
        GROUPS.append((course + "BAC" + letter, "BAC", course, course + "º BACH " + letter, "M", 34))
GROUPS.append(("2BACT", "BAC", "2", "2º BACH T", "T", 34))       # the afternoon group
GROUPS.append(("1FPBA", "FPB", "1", "1º FPB A", "M", 34))
GROUPS.append(("2FPBA", "FPB", "2", "2º FPB A", "MT", 33))       # column 33 ends the text too
GROUPS.append(("ENLACE", "", "", "Enlace", "M", 34))             # blank level: NIV

# ---- Assignments and weekly hours ----------------------------------------------------------------

# Subjects of each (level, course): (DRUV code, suffix, weekly hours as written in the hours file).
PLAN = {
    ("ESO", "1"): [("LCL", "", "4"), ("MAT", "", "4"), ("ING", "", "4"), ("GEH", "", "3"),
                   ("BIOGEO", "", "3"), ("EF", "", "2"), ("MUS", "", "2"), ("EPVA", "", "2"),
                   ("FRA", "", "2"), ("REL", "", "1"), ("ATEDUC", "", "1")],
    ("ESO", "2"): [("LCL", "", "4"), ("MAT", "", "4"), ("ING", "", "4"), ("GEH", "", "3"),
                   ("FQ", "", "3"), ("EF", "", "2"), ("MUS", "", "2"), ("TECDIG", "", "2,5"),
                   ("REL", "", "1"), ("ATEDUC", "", "1")],
    ("ESO", "3"): [("LCL", "", "4"), ("MAT", "", "4"), ("ING", "", "3"), ("ING", "BIL", "4,5"),
                   ("GEH", "", "3"), ("BIOGEO", "", "2"), ("FQ", "", "2"), ("EF", "", "2"),
                   ("TECDIG", "", "2"), ("REL", "", "1"), ("ATEDUC", "", "")],
    ("ESO", "4"): [("LCL", "", "4"), ("MAT", "ACA", "4"), ("MAT", "APL", "4"), ("ING", "", "4"),
                   ("GEH", "", "3"), ("EF", "", "2"), ("LATIN4", "", "3"), ("ECONOMIA4", "", "3"),
                   ("REL", "", "1"), ("ATEDUC", "", "1")],
    ("BAC", "1"): [("LCLI", "", "3"), ("MATEMATICASI", "", "4"), ("MATEMATICASI", "CCSS", "4"),
                   ("ING", "", "3"), ("FILOSOFIA", "", "3"), ("FISICA", "", "4"),
                   ("DIBUJOTECNICOI", "", "4"), ("EFBACH", "BACH", "2")],
    ("BAC", "2"): [("LCLII", "", "4"), ("MATEMATICASII", "", "4"),
                   ("MATEMATICASII", "CCSS", "4"), ("ING", "", "3"), ("HISTORIAESPANA", "", "3"),
                   ("HISTORIAFILOSOFIA", "", "3"), ("QUIMICA", "", "4"),
                   ("DIBUJOTECNICOII", "", "4")],
    ("FPB", "1"): [("CAPL1", "", "8.5"), ("CIAP1", "", "5.5"), ("MPINFO", "", "16.5"),
                   ("TUTORIAFPB", "", "1")],      # no such subject: the assignment is dropped
    ("FPB", "2"): [("CAPL2", "", "7"), ("CIAP2", "", "6"), ("MPINFO", "", "17")],
    ("", ""): [("ESPANOL", "", "12")],
}


def shift_of(group):
    return group[4]


def main():
    os.makedirs(OUT, exist_ok=True)

    write("druv_asignat.txt", "DRUV_ASIGNAT.TXT",
          [record([(2, code), (22, name), (172, suffix)]) for code, name, suffix in SUBJECTS])
    write("DRUV_ACTIVIDADES.TXT", "DRUV_ACTIVIDADES.TXT",
          [record([(2, code), (6, name), (66, task)]) for code, name, task in ACTIVITIES])
    write("druv_prof.txt", "DRUV_PROF.TXT",
          [record([(2, code), (6, name), (96, dep)]) for code, name, dep in TEACHERS])
    write("druv_aulas.txt", "DRUV_AULAS.TXT",
          [record([(2, code), (12, name), (82, second)]) for code, name, second in ROOMS])
    write("druv_grupo.txt", "DRUV_GRUPOS.TXT",
          [record([(2, code), (15, level), (21, course), (24, text), (shift_col, shift)])
           for code, level, course, text, shift, shift_col in GROUPS])

    assignments = []
    for code, level, course, _text, _shift, _col in GROUPS:
        for subject, suffix, _hours in PLAN[(level, course)]:
            # 4º ESO chooses between the two kinds of Matemáticas by group
            if level == "ESO" and course == "4" and subject == "MAT":
                if (suffix == "ACA") != (code[-1] in "AB"):
                    continue
            # the bilingual section is groups A and B of 3º ESO
            if suffix == "BIL" and code[-1] not in "AB":
                continue
            assignments.append(record([(2, code), (12, subject), (32, suffix)]))
    assignments.append(record([(2, "1ESOA"), (12, "MAT")]))   # repeated: a second identical row
    assignments.append(record([(2, "3ESOZ"), (12, "LCL")]))   # group without a GRUPOST row
    write("druv_asignatgrupo.txt", "DRUV_ASIGNATGRUPO.TXT", assignments)

    # Hours per level, shift, course and subject; columns 11-23 hold a description that is not
    # read. The afternoon group and the morning groups of 2º BACH get their own records.
    hours = []
    shifts = {}
    for code, level, course, _text, shift, _col in GROUPS:
        kept = shift[:1]  # TURNO keeps one character; the records match what it keeps
        shifts.setdefault((level, course), [])
        if kept not in shifts[(level, course)]:
            shifts[(level, course)].append(kept)
    for (level, course), subjects in PLAN.items():
        for shift in shifts[(level, course)]:
            shown_level = level or "NIV"
            for subject, suffix, weekly in subjects:
                hours.append(record([(2, shown_level), (5, shift), (8, course),
                                     (11, (course + "º " + shown_level)[:13]), (24, subject),
                                     (44, weekly), (50, suffix)]))
    hours.append(record([(2, "ESO"), (5, "M"), (8, "1"), (24, "LCL"), (44, "5")]))  # later: unused
    hours.append(record([(2, "ESO"), (5, "M"), (8, "3"), (24, "LCL"), (44, "")]))  # later: unused
    write("druv_asignatcurso.txt", "DRUV_ASIGNATCURSO.TXT", hours)

    # Sessions: Monday to Friday, six periods with a break after the third.
    periods = [("0830", "0925"), ("0925", "1020"), ("1020", "1115"),
               ("1145", "1240"), ("1240", "1335"), ("1335", "1430")]
    sessions = []
    number = 0
    for day in "LMXJV":
        for start, end in periods:
            number += 1
            sessions.append(record([(5, "%04d" % number), (9, day), (10, start), (14, end)]))
    write("druv_sesiones.txt", "DRUV_SESIONES.TXT", sessions)


if __name__ == "__main__":
    main()
