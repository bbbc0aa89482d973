// The fixed-column records of the DRUV transfer files: for each file its name in the folder, the
// record name its data records carry and the fields they hold. The export steps cut their input
// with these layouts and the check of a folder's transfer files reads the same ones.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tpd {

// One field of a fixed-column record. `name` says what the field holds (the table field it feeds
// where there is one); `first` is the 1-based first column, `width` the number of columns.
// `stored` is the width in bytes of the table field that receives the value as it stands (0: the
// value is not stored as it stands, or cannot outgrow its field).
struct Column {
  std::u16string_view name;
  int first;
  int width;
  int stored = 0;
};

// The trimmed field of a data record at that column range.
std::u16string Cut(std::u16string_view line, const Column& column);
// The same as a view into `line`.
std::u16string_view CutView(std::u16string_view line, const Column& column);

namespace layouts {

// Subjects, into ASIGNOMT. The base of the short code is the head of the DRUV code.
namespace asignat {
inline constexpr std::u16string_view kFileName = u"druv_asignat.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_ASIGNAT.TXT";
inline constexpr Column kBase{u"COD", 2, 10};
inline constexpr Column kCode{u"CODDRUV", 2, 20, 20};
inline constexpr Column kName{u"NOMBRE", 22, 150, 80};
inline constexpr Column kSuffix{u"CODIDIDRUV", 172, 6, 10};
}  // namespace asignat

// Activities, into ASIGNOMT next to the subjects. The long code is the head of the name.
namespace actividades {
inline constexpr std::u16string_view kFileName = u"DRUV_ACTIVIDADES.TXT";
inline constexpr std::u16string_view kRecordName = u"DRUV_ACTIVIDADES.TXT";
inline constexpr Column kCode{u"COD", 2, 4};
inline constexpr Column kLongCode{u"CODLARGO", 6, 10, 10};
inline constexpr Column kName{u"NOMBRE", 6, 60, 80};
inline constexpr Column kTask{u"CODTAREA", 66, 3, 10};
}  // namespace actividades

// Teachers, into PROFT.
namespace prof {
inline constexpr std::u16string_view kFileName = u"druv_prof.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_PROF.TXT";
inline constexpr Column kCode{u"ABREV", 2, 4, 10};
inline constexpr Column kName{u"NOMBRE", 6, 90, 80};
inline constexpr Column kDepartment{u"DEPART", 96, 50, 40};
}  // namespace prof

// Rooms, into AULAT. NOMBRE is the name, one blank and the name's second part.
namespace aulas {
inline constexpr std::u16string_view kFileName = u"druv_aulas.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_AULAS.TXT";
inline constexpr Column kCode{u"ABREV", 2, 10, 10};
inline constexpr Column kName{u"NOMBRE", 12, 70};
inline constexpr Column kNameSecondPart{u"NOMBRE", 82, 100};
}  // namespace aulas

// Groups, into GRUPOST; the record name is plural, unlike the file name. Column 33 ends the
// bracketed head of the description and also begins the shift.
namespace grupo {
inline constexpr std::u16string_view kFileName = u"druv_grupo.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_GRUPOS.TXT";
inline constexpr Column kCode{u"ABREV", 2, 10, 10};
inline constexpr Column kLevel{u"NIVEL", 15, 3, 5};
inline constexpr Column kCourse{u"CURSO", 21, 3, 3};
inline constexpr Column kBracketed{u"DESCRIP", 24, 10};
inline constexpr Column kShift{u"TURNO", 33, 3, 1};
}  // namespace grupo

// Subject-group assignments, into ASIGT.
namespace asignatgrupo {
inline constexpr std::u16string_view kFileName = u"druv_asignatgrupo.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_ASIGNATGRUPO.TXT";
inline constexpr Column kGroup{u"CGRUP", 2, 10, 10};
inline constexpr Column kSubject{u"CASIGDRUV", 12, 20, 20};
inline constexpr Column kSuffix{u"CODIDIDRUV", 32, 6, 6};
}  // namespace asignatgrupo

// Weekly hours of the assignments. An ASIGT row takes the hours of the first record that matches
// its five values; the match columns are in the order they are tested.
namespace asignatcurso {
inline constexpr std::u16string_view kFileName = u"druv_asignatcurso.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_ASIGNATCURSO.TXT";
inline constexpr std::array<Column, 5> kMatch = {{
    {u"CASIGDRUV", 24, 20},
    {u"TURNO", 5, 3},
    {u"NIVEL", 2, 3},
    {u"CURSO", 8, 3},
    {u"CODIDIDRUV", 50, 6},
}};
inline constexpr Column kHours{u"HORAS", 44, 6};
}  // namespace asignatcurso

// Teaching sessions, into DIASHORAST. The start and end are hhmm.
namespace sesiones {
inline constexpr std::u16string_view kFileName = u"druv_sesiones.txt";
inline constexpr std::u16string_view kRecordName = u"DRUV_SESIONES.TXT";
inline constexpr Column kCode{u"CODDIHO", 5, 4, 10};
inline constexpr Column kDay{u"DIA", 9, 1};
inline constexpr Column kStart{u"HORADESDE", 10, 4};
inline constexpr Column kEnd{u"HORAHASTA", 14, 4};
}  // namespace sesiones

}  // namespace layouts
}  // namespace tpd
