#!/usr/bin/python3
"""Writes the sample school's solved timetable, examples/escuela/ptemp/SOLUC.DBF, as the timetabler
would leave it, and the timetable file that importing it must give,
tests/timetable/data/escuela_horario.txt (date and time shown as "ddmmyyyyhhnn").

The timetable is built from the tables that exporting examples/escuela gives, so every code in it
is one that the export writes: first export the sample into a table folder, then run this script
on that folder:

    tpdconsola exportar --carpeta examples/escuela --ptemp /tmp/escuela-ptemp
    examples/make_soluc.py /tmp/escuela-ptemp

Uses Debian's python3-dbf (independent of our table store) for reading and writing the tables.
The placement is a plain deterministic greedy one, not a real timetabler: each group's lessons
go, round the subjects in turn, to the first period of the week in which the group and the
teacher are free, preferring days without that subject. Besides the lessons SOLUC holds:
- a few entries that are not placed (DIA 0): the half lessons of weekly hours such as 2,5, and
  whatever finds no free period;
- the lessons of group 3ESOZ, which has an assignment but no GRUPOST row, held in room HUERTO,
  which AULAT does not have;
- activities: guards, a library guard, a department meeting and each group's tutorial;
- one deleted row, which the import must pass over.
"""
import os
import sys

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))
SOLUC = os.path.join(HERE, "escuela", "ptemp", "SOLUC.DBF")
GOLDEN = os.path.join(HERE, "..", "tests", "timetable", "data", "escuela_horario.txt")
SUBJECTS_FILE = os.path.join(HERE, "escuela", "druv_asignat.txt")

FIXED_DATE = bytes([126, 9, 1])  # last-update date in the header: 1 September 2026

GROUPS = ["1ESOA", "1ESOB", "2ESOA", "3ESOA", "4ESOA", "4ESOC", "1BACA", "2BACA", "2BACT",
          "1FPBA", "ENLACE", "3ESOZ"]
UNKNOWN_ROOM = "HUERTO"

# Department of the teachers of each DRUV subject code (PROFT.DEPART).
DEPARTMENT = {
    "LCL": "Lengua Castellana y Literatura", "LCLI": "Lengua Castellana y Literatura",
    "LCLII": "Lengua Castellana y Literatura", "ESPANOL": "Lengua Castellana y Literatura",
    "CAPL1": "Ámbito Sociolingüístico", "CAPL2": "Ámbito Sociolingüístico",
    "CIAP1": "Ámbito Científico", "CIAP2": "Ámbito Científico",
    "MAT": "Matemáticas", "MATEMATICASI": "Matemáticas", "MATEMATICASII": "Matemáticas",
    "ING": "Inglés", "FRA": "Francés", "GEH": "Geografía e Historia",
    "HISTORIAESPANA": "Geografía e Historia", "BIOGEO": "Biología y Geología",
    "FQ": "Física y Química", "FISICA": "Física y Química", "QUIMICA": "Física y Química",
    "EF": "Educación Física", "EFBACH": "Educación Física", "MUS": "Música",
    "EPVA": "Dibujo", "DIBUJOTECNICOI": "Dibujo", "DIBUJOTECNICOII": "Dibujo",
    "TECDIG": "Tecnología", "REL": "Religión", "ATEDUC": "Orientación",
    "LATIN4": "Latín y Griego", "ECONOMIA4": "Economía", "FILOSOFIA": "Filosofía",
    "HISTORIAFILOSOFIA": "Filosofía", "MPINFO": "Informática",
}

# Subjects taught outside the group's own room.
SPECIAL_ROOM = {
    "EF": "GIM", "EFBACH": "PISTA", "MUS": "MUS", "FQ": "LABFQ", "FISICA": "LABFQ",
    "QUIMICA": "LABFQ", "BIOGEO": "LABBIO", "EPVA": "PLAST", "DIBUJOTECNICOI": "PLAST",
    "DIBUJOTECNICOII": "PLAST", "TECDIG": "TEC1", "MPINFO": "INF1",
}

LESSON_TASK = "*LEC"  # the task of a lesson; ASIGNOMT has no such row, so it is written LEC


def text(value):
    return value.rstrip(" ") if isinstance(value, str) else value


def read(folder, name):
    table = dbf.Table(os.path.join(folder, name + ".DBF"))
    table.open(dbf.READ_ONLY)
    rows = [{f.upper(): text(r[f]) for f in table.field_names} for r in table]
    table.close()
    return rows


class Timetable:
    def __init__(self, tables):
        self.slots = [(int(r["DIA"]), int(r["HORA"])) for r in tables["DIASHORAST"]]
        self.teachers = tables["PROFT"]
        self.busy = set()          # (who, day, period) for groups, teachers and special rooms
        self.load = {}             # lessons given so far, per teacher
        self.rows = []             # SOLUC rows: dict per entry

    def teacher_for(self, druv_code):
        wanted = DEPARTMENT.get(druv_code)
        staff = [t["ABREV"] for t in self.teachers if t["DEPART"] == wanted] or \
                [self.teachers[0]["ABREV"]]
        return min(staff, key=lambda t: (self.load.get(t, 0), staff.index(t)))

    def free(self, day, period, *who):
        return all((w, day, period) not in self.busy for w in who if w)

    def take(self, day, period, *who):
        for w in who:
            if w:
                self.busy.add((w, day, period))

    def place(self, group, teacher, days_used, special_room):
        """The first free period, days without this subject first."""
        order = sorted(self.slots, key=lambda s: (days_used.count(s[0]), s[0], s[1]))
        for day, period in order:
            if self.free(day, period, "G:" + group, "T:" + teacher):
                room_free = special_room and self.free(day, period, "R:" + special_room)
                self.take(day, period, "G:" + group, "T:" + teacher,
                          "R:" + special_room if room_free else None)
                return day, period, room_free
        return None

    def add(self, dia, hora, prof, grupo, tarea, asig, aula, deleted=False):
        self.rows.append(dict(DIA=dia, HORA=hora, MARCO="0", PROF=prof, CODGRUPO=grupo,
                              TAREA=tarea, ASIG=asig, AULA=aula, deleted=deleted))


def build(tables):
    tt = Timetable(tables)
    rooms = [r["ABREV"] for r in tables["AULAT"] if r["ABREV"].startswith("A1")]
    tutors = {}
    for index, group in enumerate(GROUPS):
        home = rooms[index % len(rooms)] if group != "3ESOZ" else UNKNOWN_ROOM
        plan = [r for r in tables["ASIGT"] if r["CGRUP"] == group]
        seen = set()
        lessons = []  # (subject row, lesson number) interleaved round the subjects
        for row in plan:
            key = (row["CASIG"], row["CODIDIDRUV"])
            if key in seen:  # an assignment given twice is taught once
                continue
            seen.add(key)
            lessons.append([row, int(row["HORAS"] or 0), (row["HORAS"] or 0) % 1 != 0])
        teacher_of = {}
        days_of = {}
        unplaced = []
        while any(left for _row, left, _half in lessons):
            for item in lessons:
                row, left, _half = item
                if not left:
                    continue
                item[1] -= 1
                druv = row["CASIGDRUV"]
                teacher = teacher_of.setdefault(row["CASIG"], tt.teacher_for(druv))
                special = SPECIAL_ROOM.get(druv) if group != "3ESOZ" else None
                days = days_of.setdefault(row["CASIG"], [])
                spot = tt.place(group, teacher, days, special)
                if spot is None:
                    unplaced.append((teacher, row["CASIG"]))
                    continue
                day, period, in_special = spot
                days.append(day)
                tt.load[teacher] = tt.load.get(teacher, 0) + 1
                tt.add(day, period, teacher, group, LESSON_TASK, row["CASIG"],
                       special if in_special else home)
        for row, _left, half in lessons:
            if half:  # the half lesson of 2,5 hours a week has no period of its own
                unplaced.append((teacher_of[row["CASIG"]], row["CASIG"]))
        for teacher, subject in unplaced:
            tt.add(0, 0, teacher, group, LESSON_TASK, subject, home)
        if plan:
            tutors[group] = (teacher_of.get(plan[0]["CASIG"]), home)

    # Activities: each group's tutorial with its first subject's teacher, then duties.
    for group, (tutor, home) in tutors.items():
        spot = tt.place(group, tutor, [], None)
        if spot:
            tt.add(spot[0], spot[1], tutor, group, "*TUTO", "", home)
    duties = [("*GUAR", ""), ("*GUAR", ""), ("*GUAR", ""), ("*BIBL", "BIBLIO"),
              ("*REDE", ""), ("*TUTF", ""), ("*COTI", "INF2")]
    for i, (task, room) in enumerate(duties):
        teacher = tt.teachers[(7 * i) % len(tt.teachers)]["ABREV"]
        for day, period in tt.slots[i * 4:] + tt.slots[:i * 4]:
            if tt.free(day, period, "T:" + teacher):
                tt.take(day, period, "T:" + teacher)
                tt.add(day, period, teacher, "", task, "", room)
                break
    # A row that the timetabler deleted: the first lesson, once given to another teacher.
    tt.rows.insert(5, dict(tt.rows[0], PROF="P036", deleted=True))
    return tt.rows


def write_soluc(rows):
    table = dbf.Table(SOLUC, "NUMERO N(6,0); DIA N(1,0); HORA N(2,0); MARCO C(1); PROF C(10); "
                      "CODGRUPO C(10); TAREA C(10); ASIG C(10); AULA C(10)",
                      dbf_type="db3", codepage="cp1252")
    table.open(dbf.READ_WRITE)
    for number, r in enumerate(rows, 1):
        table.append((number, r["DIA"], r["HORA"], r["MARCO"], r["PROF"], r["CODGRUPO"],
                      r["TAREA"], r["ASIG"], r["AULA"]))
        if r["deleted"]:
            dbf.delete(table[-1])
    table.close()
    with open(SOLUC, "r+b") as f:
        f.seek(1)
        f.write(FIXED_DATE)


def pad(value, width):
    return value + " " * max(0, width - len(value))


def first(rows, **match):
    return next((r for r in rows if all(r[k] == v for k, v in match.items())), None)


def expected_file(rows, tables):
    """DRUV_HORARIO.TXT as the import writes it, worked out here independently."""
    with open(SUBJECTS_FILE, encoding="cp1252", newline="") as f:
        headers = [l for l in f.read().splitlines() if l.startswith("0")]
    centre = headers[0][51:59] if headers else ""
    frame = pad("DRUV_HORARIO.TXT", 50) + pad(centre, 8) + "ddmmyyyyhhnn"
    lines = ["0" + frame]
    days = {"1": "L", "2": "M", "3": "X", "4": "J", "5": "V", "6": "S", "7": "D"}
    for r in rows:
        if r["deleted"] or r["DIA"] == 0:
            continue
        dia, hora, marco = str(r["DIA"]), str(r["HORA"]), r["MARCO"][:1]
        period = first(tables["DIASHORAST"], DIA=dia, HORA=hora, MARCO=marco)
        group = first(tables["GRUPOST"], ABREV=r["CODGRUPO"])
        task = first(tables["ASIGNOMT"], COD=r["TAREA"])
        subject = first(tables["ASIGNOMT"], COD=r["ASIG"])
        room = first(tables["AULAT"], ABREV=r["AULA"])
        line = "1" + pad(period["CODDIHO"] if period else "", 4) + pad(days.get(dia, dia), 1)
        line += pad(r["PROF"], 4) + pad(group["ABREV"] if group else r["CODGRUPO"][:10], 10)
        line += pad(task["CODTAREA"] if task else "LEC", 4)
        line += pad(subject["CODDRUV"] if subject else "", 20)
        line += pad(room["ABREV"] if room else r["AULA"][:10], 10)
        if subject:
            suffix = subject["CODIDIDRUV"].strip(" ")
            line += ("   " + suffix) if subject["CODDRUV"] == "RE" else suffix
        lines.append(line)
    lines.append("9" + frame + str(len(lines) - 1))
    return "".join(l + "\r\n" for l in lines).encode("cp1252")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    names = ["ASIGT", "ASIGNOMT", "GRUPOST", "AULAT", "PROFT", "DIASHORAST"]
    tables = {name: read(sys.argv[1], name) for name in names}
    rows = build(tables)
    write_soluc(rows)
    with open(GOLDEN, "wb") as f:
        f.write(expected_file(rows, tables))
    placed = sum(1 for r in rows if r["DIA"] and not r["deleted"])
    print("SOLUC: %d rows, %d placed; %s" % (len(rows), placed, os.path.normpath(GOLDEN)))


if __name__ == "__main__":
    main()
