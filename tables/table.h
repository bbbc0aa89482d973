// Our own dBase table store: the operations that the runs use, with the behaviour they rely on.
//
// A table is the file NAME.DBF in a table folder, with an optional index file NAME.MDX beside it.
// A handle names its folder and table (with or without the .DBF ending) and, for the dialog's
// components, the component name that prefixes its field errors.
//
// Writing never leaves a half-built table: Create writes into a temporary file in the table folder;
// Close after a successful fill renames it over NAME.DBF in one step and only then deletes the old
// index file. A handle destroyed without Close (the error path) discards its temporary file and
// leaves the old table and index exactly as they were.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tpd::tables {

enum class FieldKind { kText, kLogical, kInteger, kNumber };

struct FieldDef {
  std::u16string name;  // upper-case ASCII, at most 10 characters
  FieldKind kind;
  int width = 0;        // text only: 1 to 254 bytes
};

enum class Share { kExclusive, kShared };
enum class Access { kReadOnly, kReadWrite };

// Deletes NAME.DBF and then NAME.MDX in `folder` where the file test finds them; failures are
// ignored. `name` is given without the ending.
void DeleteTableFiles(const std::u16string& folder, std::u16string_view name);

class Table {
 public:
  // `name` with or without ".DBF" (any case). `component` is empty for a step's own handle.
  Table(std::u16string folder, std::u16string name, std::u16string component = {});
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const std::u16string& component() const;
  // Full path of NAME.DBF (as resolved on a case-sensitive file system).
  std::u16string Path() const;

  // Creates the table, empty, with exactly these fields (pending until Close, see above). The
  // handle is left closed-for-reading but holds the new table; the caller opens it next.
  void Create(const std::vector<FieldDef>& fields);
  void Open(Share share, Access access);
  // Posts nothing: no caller closes with a row unposted. Commits a created table.
  void Close();
  bool IsOpen() const;

  void Append();
  void Edit();
  void Post();
  void First();
  void Next();
  bool Eof() const;

  // Key field names joined by ";" (one or two), one value per name. Exact, with case, whole
  // value, first match in table order; current row unchanged when none.
  bool Locate(std::u16string_view keys, const std::vector<std::u16string>& values);

  void SetText(std::u16string_view field, std::u16string_view value);
  void SetNumber(std::u16string_view field, double value);
  void SetLogical(std::u16string_view field, bool value);

  std::u16string AsText(std::u16string_view field) const;
  std::int32_t AsInteger(std::u16string_view field) const;
  double AsNumber(std::u16string_view field) const;

  int FieldCount() const;
  const std::vector<FieldDef>& Fields() const;
  long RowCount() const;  // rows not marked deleted

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The dialog's seven table components, named handles on the table folder that open their tables
// for exclusive use; none is open at the start. Their field errors read "<component>: Field '%s'
// not found".
struct Components {
  explicit Components(const std::u16string& table_folder);
  Table wwTableNomAsg;    // ASIGNOMT
  Table wwTableAulas;     // AULAT
  Table wwTableAlumnos;   // the pupils table: never opened
  Table wwTableGrupos;    // GRUPOST
  Table wwTableTramos;    // DIASHORAST
  Table wwTableProfesor;  // PROFT
  Table wwTableSoluc;     // SOLUC
};

}  // namespace tpd::tables
