#include "bench/school_generator.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tables/table.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {

// Left-aligned and blank-filled to the width (cut when longer), as DRUV writes its columns.
std::u16string Col(const std::u16string& value, std::size_t width) {
  std::u16string out = value.substr(0, width);
  out.resize(width, u' ');
  return out;
}

std::u16string Num(long value, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*ld", digits, value);
  return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

std::u16string Header(const std::u16string& record_name) {
  return u"0" + Col(record_name, 50) + u"28099999";
}
std::u16string Trailer(const std::u16string& record_name) { return u"9" + Col(record_name, 50); }

void Write(const std::u16string& folder, const std::u16string& name, const std::u16string& record,
           std::vector<std::u16string> lines) {
  lines.insert(lines.begin(), Header(record));
  lines.push_back(Trailer(record));
  WriteLines(folder + u"/" + name, lines);
}

const char16_t* kLevels[] = {u"ESO", u"BAC", u"FP"};
const char16_t kDays[] = u"LMXJV";

// Ten columns, unique in their first seven as well (what is left when a suffix is added).
std::u16string SubjectCode(long i) { return u"A" + Num(i, 6) + u"LEC"; }
std::u16string Suffix(long i) { return i % 4 == 0 ? u"BIL" : u""; }     // a quarter bilingual
std::u16string GroupCode(long i) { return u"G" + Num(i, 7) + u"A"; }
std::u16string GroupLevel(long i) { return kLevels[i % 3]; }
std::u16string GroupCourse(long i) { return Num(1 + i % 4, 1); }
std::u16string ShortCode(long i) {
  // What the subjects step makes of the code and suffix: the base cut to leave room for the
  // suffix. The numbers keep the cut codes unique up to 10^6 subjects (K = 3333); beyond that
  // the step numbers them and SOLUC simply finds fewer subjects.
  std::u16string base = SubjectCode(i);
  std::u16string suffix = Suffix(i);
  return suffix.empty() ? base : base.substr(0, 10 - suffix.size()) + suffix;
}

}  // namespace

SchoolSize ScaledSchool(long k) {
  SchoolSize s;
  s.subjects *= k, s.activities *= k, s.teachers *= k, s.rooms *= k, s.groups *= k;
  s.assignments *= k, s.sessions *= k, s.timetable_rows *= k;
  return s;
}

void GenerateSchool(const SchoolSize& size, const std::u16string& folder,
                    const std::u16string& table_folder) {
  std::vector<std::u16string> lines;

  for (long i = 0; i < size.subjects; ++i) {
    lines.push_back(u"1" + Col(SubjectCode(i), 20) +
                    Col(u"Asignatura número " + Num(i, 6) + u" de Educación Física", 150) +
                    Col(Suffix(i), 6));
  }
  Write(folder, u"druv_asignat.txt", u"DRUV_ASIGNAT.TXT", std::move(lines));
  lines.clear();

  for (long i = 0; i < size.activities; ++i) {
    lines.push_back(u"1" + Num(i, 4) + Col(u"Guardia " + Num(i, 6), 60) + u"GUA");
  }
  Write(folder, u"DRUV_ACTIVIDADES.TXT", u"DRUV_ACTIVIDADES.TXT", std::move(lines));
  lines.clear();

  for (long i = 0; i < size.teachers; ++i) {
    lines.push_back(u"1" + Num(i % 10000, 4) + Col(u"Profesora Núñez " + Num(i, 7), 90) +
                    Col(u"Departamento de Matemáticas", 50));
  }
  Write(folder, u"druv_prof.txt", u"DRUV_PROF.TXT", std::move(lines));
  lines.clear();

  for (long i = 0; i < size.rooms; ++i) {
    lines.push_back(u"1" + Col(u"A" + Num(i, 7), 10) + Col(u"Aula de Música " + Num(i, 6), 70) +
                    Col(u"Planta baja", 100));
  }
  Write(folder, u"druv_aulas.txt", u"DRUV_AULAS.TXT", std::move(lines));
  lines.clear();

  for (long i = 0; i < size.groups; ++i) {
    lines.push_back(u"1" + Col(GroupCode(i), 10) + u"   " + Col(GroupLevel(i), 3) + u"   " +
                    Col(GroupCourse(i), 3) + Col(GroupLevel(i) + u" " + GroupCourse(i), 9) +
                    u"M  ");
  }
  Write(folder, u"druv_grupo.txt", u"DRUV_GRUPOS.TXT", std::move(lines));
  lines.clear();

  // Assignment i teaches subject i to a group that differs for each pass over the subjects, so
  // that no pair repeats: every subject and group is used, and each assignment has its own hours
  // record (written in reverse, so that a search from the first record would have to walk far).
  std::vector<std::u16string> hours;
  for (long i = 0; i < size.assignments; ++i) {
    long subject = i % size.subjects, group = (i + i / size.subjects) % size.groups;
    lines.push_back(u"1" + Col(GroupCode(group), 10) + Col(SubjectCode(subject), 20) +
                    Col(Suffix(subject), 6));
    std::u16string h = i % 3 == 0 ? u"2,5" : (i % 3 == 1 ? u"4" : u"16.5");
    hours.push_back(u"1" + Col(GroupLevel(group), 3) + Col(u"M", 3) + Col(GroupCourse(group), 3) +
                    std::u16string(13, u' ') + Col(SubjectCode(subject), 20) + Col(h, 6) +
                    Col(Suffix(subject), 6));
  }
  Write(folder, u"druv_asignatgrupo.txt", u"DRUV_ASIGNATGRUPO.TXT", std::move(lines));
  lines.clear();
  Write(folder, u"druv_asignatcurso.txt", u"DRUV_ASIGNATCURSO.TXT",
        std::vector<std::u16string>(hours.rbegin(), hours.rend()));
  hours.clear();

  // Sessions: six a day from 08:00 on the five weekdays, then more days' worth at later minutes
  // so that every session has a time that converts.
  for (long i = 0; i < size.sessions; ++i) {
    long day = i % 5, slot = (i / 5) % 720;
    long start = 8 * 60 + slot, end = start + 55;
    lines.push_back(u"1   " + Num(i % 10000, 4) + std::u16string(1, kDays[day]) +
                    Num(start / 60 % 24, 2) + Num(start % 60, 2) + Num(end / 60 % 24, 2) +
                    Num(end % 60, 2));
  }
  Write(folder, u"druv_sesiones.txt", u"DRUV_SESIONES.TXT", std::move(lines));
  lines.clear();

  // SOLUC: one entry per row, every tenth with day 0 (not placed).
  Table soluc(table_folder, u"SOLUC.DBF");
  soluc.Create({{u"DIA", FieldKind::kInteger},
                {u"HORA", FieldKind::kText, 8},
                {u"MARCO", FieldKind::kText, 1},
                {u"PROF", FieldKind::kText, 4},
                {u"CODGRUPO", FieldKind::kText, 10},
                {u"TAREA", FieldKind::kText, 10},
                {u"ASIG", FieldKind::kText, 10},
                {u"AULA", FieldKind::kText, 10}});
  soluc.Open(Share::kExclusive, Access::kReadWrite);
  // Slot numbers as the sessions step gives them: one per distinct start time.
  const long slots = std::min<long>((size.sessions + 4) / 5, 720);
  for (long i = 0; i < size.timetable_rows; ++i) {
    soluc.Append();
    soluc.SetNumber(u"DIA", i % 10 == 9 ? 0 : 1 + i % 5);
    soluc.SetText(u"HORA", Num(1 + (i / 5) % slots, 1));
    soluc.SetText(u"MARCO", u"0");
    soluc.SetText(u"PROF", Num(i % size.teachers % 10000, 4));
    soluc.SetText(u"CODGRUPO", GroupCode(i % size.groups));
    soluc.SetText(u"TAREA", i % 7 == 0 ? u"*" + Num(i % size.activities, 4) : u"*LEC");
    soluc.SetText(u"ASIG", ShortCode(i % size.subjects));
    soluc.SetText(u"AULA", u"A" + Num(i % size.rooms, 7));
    soluc.Post();
  }
  soluc.Close();
}

}  // namespace tpd
