#include "tables/table.h"
#include "tables/table_paths.h"

namespace tpd {

// The pupils table lies in a subfolder of the table folder; no run ever opens it.
Components::Components(const std::u16string& table_folder)
    : wwTableNomAsg(table_folder, u"ASIGNOMT", u"wwTableNomAsg"),
      wwTableAulas(table_folder, u"AULAT", u"wwTableAulas"),
      wwTableAlumnos(JoinPath(table_folder, u"ALUMNOS"), u"ALUMNOS", u"wwTableAlumnos"),
      wwTableGrupos(table_folder, u"GRUPOST", u"wwTableGrupos"),
      wwTableTramos(table_folder, u"DIASHORAST", u"wwTableTramos"),
      wwTableProfesor(table_folder, u"PROFT", u"wwTableProfesor"),
      wwTableSoluc(table_folder, u"SOLUC", u"wwTableSoluc") {}

}  // namespace tpd
