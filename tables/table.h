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
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tpd {

struct DiskSpace;

enum class FieldKind { kText, kLogical, kInteger, kNumber };

struct FieldDef {
  std::u16string name;  // upper-case ASCII, at most 10 characters
  FieldKind kind;
  int width = 0;  // text only: 1 to 254 bytes
};

enum class Share { kExclusive, kShared };
enum class Access { kReadOnly, kReadWrite };

// Prepares the rebuilding of table `name` (with or without the ending) in `folder`. The export
// steps call it before Create, in the engine's sequence; in this store the table's old files are
// not deleted here, so that a step that fails leaves its table and index exactly as they were:
//  - temporary files that an earlier, interrupted run left for this table are removed (those that
//    a live program is still writing are left alone);
//  - the old NAME.DBF is replaced by the commit at Close of the handle that created the new one,
//    in one rename, and NAME.MDX is deleted right after that commit (a failed delete is ignored).
// Nothing here ever fails.
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
  // handle is left closed-for-reading but holds the new table; the caller opens it next. Fails
  // here, before any row is written, when the folder is missing or takes no new file, when the
  // old table is marked read-only, or when another program holds the old table for longer than
  // about a second. The new table keeps the old one's permission bits.
  void Create(const std::vector<FieldDef>& fields);
  // Tests: the tables this handle writes take their bytes from `space`, which plays a disk that
  // fills up (transfer/replace_file.h); nullptr, as in the program, for the real disk.
  void UseDiskSpace(DiskSpace* space);
  // Loads the table's own field list; the first row is current. A dialog component always opens
  // for exclusive use. Opening a handle that is open already changes nothing. The rows the header
  // accounts for are read into memory at once (a header that claims more than the file holds is
  // "Corrupt table"); a writable handle writes the whole table at Close, through the same
  // replacement as a created table.
  void Open(Share share, Access access);
  // Posts nothing: no caller closes with a row unposted (a row being inserted or changed is
  // dropped). Commits a created table, and the rows of a writable one that were changed; when
  // that fails the handle is closed, the old table is left as it was, and the Error says why.
  void Close();
  bool IsOpen() const;

  // The moves post a row being inserted or changed first. Edit on a table without rows starts a
  // new row, as Append. Next from the last row sets the end-of-table test and keeps that row
  // current. A closed handle is at its end; other operations on it fail.
  void Append();
  void Edit();
  void Post();
  void First();
  void Next();
  bool Eof() const;

  // Key field names joined by ";" (one or two), one value per name. Exact, with case, whole
  // value, first match in table order; current row unchanged when none. On a handle whose rows
  // have not changed since Open, the first call builds an index of the key fields, so that a
  // look-up costs the same whatever the size of the table.
  bool Locate(std::u16string_view keys, std::initializer_list<std::u16string_view> values);

  // Writes to the row being inserted or changed. Text goes to the table's code page and is cut
  // to the field's width in bytes; a number that the field cannot give back exactly (more than
  // four decimals, too wide, not a 32-bit whole number for an integer) is an Error, never a
  // different value.
  void SetText(std::u16string_view field, std::u16string_view value);
  void SetNumber(std::u16string_view field, double value);
  void SetLogical(std::u16string_view field, bool value);

  // Reads: a number field's text is its shortest decimal form ("2", "2.5"); a logical reads as
  // "True" / "False"; a field never written reads as the empty text and as 0. As an integer, a
  // number gives its nearest whole value (halves to even) and a text must be a whole number.
  // A value that does not convert, or a memo, is an Error naming field, row and file.
  std::u16string AsText(std::u16string_view field) const;
  // The same into `text`, whose memory serves again for row after row.
  void AsText(std::u16string_view field, std::u16string& text) const;
  std::int32_t AsInteger(std::u16string_view field) const;
  double AsNumber(std::u16string_view field) const;

  int FieldCount() const;
  // For a table written by another program: C is text (its width), L logical, I and N or F
  // without decimals integer, other numbers number, anything else text. Empty when closed.
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

}  // namespace tpd
