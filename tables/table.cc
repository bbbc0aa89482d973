#include "tables/table.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

#include "tables/dbf_layout.h"
#include "tables/dbf_values.h"
#include "tables/table_file.h"
#include "tables/table_paths.h"
#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/first_by_key.h"
#include "transfer/replace_file.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// The header is read from the file's first bytes: its length is a 16-bit number, so this holds
// any header whole.
constexpr std::size_t kLargestHeader = 0xFFFF;

enum class State { kBrowse, kInsert, kEdit };

// The system's text for a failure, without a closing full stop (our texts add their own).
std::u16string Cause(int code) {
  std::u16string text = SystemErrorText(code);
  while (!text.empty() && (text.back() == u'.' || text.back() == u' ')) text.pop_back();
  return text;
}
std::u16string Cause(const FileStatus& status) { return Cause(status.code); }

// Exact equality, compared as bytes: the standard comparison of UTF-16 text goes a unit at a time,
// and look-ups compare names and keys all the time.
bool SameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - u'a' + u'A');
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - u'a' + u'A');
    if (x != y) return false;
  }
  return true;
}

void Today(int& year, int& month, int& day) {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  year = local ? local->tm_year + 1900 : 1980;
  month = local ? local->tm_mon + 1 : 1;
  day = local ? local->tm_mday : 1;
}

}  // namespace

struct Table::Impl {
  std::u16string folder;
  std::u16string base;  // the table's name without ".DBF"
  std::u16string component;

  bool open = false;
  bool read_only = false;
  Layout layout;
  std::vector<FieldDef> field_defs;
  std::string header;   // as read from disk; empty for a table created by this handle
  std::string records;  // every record back to back, deleted ones included; appended rows last
  std::size_t record_total = 0;
  std::vector<std::uint32_t> live;  // record numbers of the rows not marked deleted, in order
  std::size_t pos = 0;              // index into `live` of the current row
  bool eof = true;
  State state = State::kBrowse;
  std::string row;        // the row being inserted or changed
  std::string blank_row;  // a new row: every field empty
  bool dirty = false;     // rows posted since Open: the table is being written
  HeldFile held;

  // A table created by this handle and not yet committed.
  bool created = false;
  Layout created_layout;
  FileReplacement temp;
  DiskSpace* disk_space = nullptr;  // tests: a disk that fills up

  // Locate's index: the key text of each row's key fields to the first row in table order that
  // has it. Built for one list of key fields at the first Locate, kept while no row is posted.
  // Keys of one field are its text; of several, their composite key.
  std::vector<std::size_t> index_fields;
  FirstByKey index;
  std::vector<std::size_t> key_fields;  // of the Locate under way

  std::u16string Path() const { return ResolvePath(JoinPath(folder, base + u".DBF")); }

  // Texts in the engine's manner: what failed, then the table's file on a line of its own.
  [[noreturn]] void Fail(std::u16string_view pattern) const {
    throw Error(Subst(pattern, {Path()}));
  }
  [[noreturn]] void Fail(std::u16string_view pattern, std::u16string_view value) const {
    throw Error(Subst(pattern, {value, Path()}));
  }

  std::u16string Prefix() const { return component.empty() ? u"" : component + u": "; }

  void RequireOpen() const {
    if (!open) Fail(u"The table is not open.\nTable: %s");
  }

  std::size_t FieldIndex(std::u16string_view name) const {
    if (open) {
      // Callers name fields as the table does, in capitals: that match is looked for first,
      // names of another length or first letter passed over at once.
      for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const std::u16string& candidate = layout.fields[i].name;
        if (candidate.size() == name.size() && !name.empty() && candidate[0] == name[0] &&
            SameText(candidate, name)) {
          return i;
        }
      }
      for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        if (SameNameIgnoringCase(layout.fields[i].name, name)) return i;
      }
    }
    throw Error(Prefix() + Subst(u"Field '%s' not found", {name}));
  }

  // The bytes of the current row (the one being inserted or changed, if any); empty when the
  // table has no row.
  std::string_view CurrentRecord() const {
    if (state != State::kBrowse) return row;
    if (live.empty()) return {};
    return RecordOf(pos);
  }

  std::string_view RecordOf(std::size_t live_index) const {
    return std::string_view(records).substr(live[live_index] * layout.record_length,
                                            layout.record_length);
  }

  // The 1-based number of the current row in the file, for error texts.
  std::u16string RowNumber() const {
    if (state == State::kInsert) return IntToText(static_cast<long long>(record_total) + 1);
    if (live.empty()) return u"0";
    return IntToText(static_cast<long long>(live[pos]) + 1);
  }

  StoredValue Value(std::size_t field, std::string_view record) const {
    const FieldLayout& f = layout.fields[field];
    if (record.empty()) return {};
    return DecodeField(f, record.substr(f.offset, f.length), layout.variant, layout.code_page);
  }

  // A field as text, the way Read field gives it, into `text`; false for a value that does not
  // read. Text, the field read most, is decoded straight from the row.
  bool ReadText(std::size_t field, std::string_view record, std::u16string& text) const {
    const FieldLayout& f = layout.fields[field];
    text.clear();
    if (f.type == 'C' && !record.empty()) {
      AppendCharacterText(record.substr(f.offset, f.length), layout.code_page, text);
      return true;
    }
    std::optional<std::u16string> read = ValueAsText(Value(field, record));
    if (!read) return false;
    text = std::move(*read);
    return true;
  }

  std::optional<std::u16string> TextOf(std::size_t field, std::string_view record) const {
    std::u16string text;
    if (!ReadText(field, record, text)) return std::nullopt;
    return text;
  }

  [[noreturn]] void FailRead(std::size_t field, const StoredValue& value,
                             std::u16string_view wanted) const {
    std::u16string why;
    if (value.kind == StoredValue::Kind::kMemo) {
      why = u"it refers to a memo, which this program does not read";
    } else if (value.kind == StoredValue::Kind::kInvalid) {
      why = u"the stored value is not valid for its type";
    } else {
      std::u16string shown = ValueAsText(value).value_or(u"");
      why = Subst(u"'%s' is not %s", {shown, wanted});
    }
    throw Error(Prefix() + Subst(u"Cannot read field '%s' of row %s: %s.\nTable: %s",
                                 {layout.fields[field].name, RowNumber(), why, Path()}));
  }

  // Writes `encoded` into field `field` of the row being inserted or changed; `name` as the
  // caller gave it, for the error text.
  void Store(std::u16string_view name, std::size_t field, const Encoded& encoded) {
    if (state == State::kBrowse) {
      throw Error(Prefix() + Subst(u"Cannot write field '%s': the row is not being inserted or "
                                   u"changed.\nTable: %s",
                                   {name, Path()}));
    }
    if (!encoded.failure.empty()) {
      throw Error(Prefix() + Subst(u"Cannot write field '%s': %s.\nTable: %s",
                                   {name, encoded.failure, Path()}));
    }
    const FieldLayout& f = layout.fields[field];
    row.replace(f.offset, f.length, encoded.bytes);
  }

  void RequireWritable() const {
    RequireOpen();
    if (read_only) Fail(u"The table is open for reading only.\nTable: %s");
  }

  void MakeBlankRow() {
    blank_row.assign(layout.record_length, '\0');  // hidden fields (_NullFlags) stay zero
    blank_row[0] = kLiveFlag;
    for (const FieldLayout& f : layout.fields) {
      blank_row.replace(f.offset, f.length, EmptyField(f, layout.variant));
    }
  }

  void PostRow() {
    if (state == State::kInsert) {
      if (record_total >= std::numeric_limits<std::uint32_t>::max()) {
        Fail(u"The table cannot hold more rows.\nTable: %s");
      }
      try {
        records += row;
        live.push_back(static_cast<std::uint32_t>(record_total));
      } catch (const std::bad_alloc&) {
        records.resize(record_total * layout.record_length);
        Fail(u"Cannot add the row: not enough memory.\nTable: %s");
      }
      ++record_total;
      pos = live.size() - 1;
    } else if (state == State::kEdit) {
      records.replace(live[pos] * layout.record_length, layout.record_length, row);
    } else {
      return;
    }
    state = State::kBrowse;
    eof = false;
    dirty = true;
    index.Clear();
    index_fields.clear();
  }

  // Reads the header from the file's first bytes and then exactly the records it accounts for,
  // so that a header claiming more rows than the file holds is refused before any memory is
  // taken for them.
  void LoadFromDisk(Share share, Access access) {
    if (!FolderExists(folder)) {
      throw Error(Subst(u"Folder does not exist.\nFolder: %s", {folder}));
    }
    const std::u16string path = Path();
    if (!FileExists(path)) Fail(u"Table does not exist.\nTable: %s");
    FileStatus status = held.Open(path, share == Share::kExclusive, access == Access::kReadWrite);
    if (status.in_use) Fail(u"Table is in use by another program.\nTable: %s");
    if (!status.ok()) Fail(u"Cannot open the table: %s.\nTable: %s", Cause(status));
    try {
      std::uint64_t size = 0;
      status = held.Size(size);
      if (status.ok()) {
        header.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kLargestHeader)));
        status = ReadExactly(0, header);
      }
      if (!status.ok()) Fail(u"Cannot read the table: %s.\nTable: %s", Cause(status));
      layout = ParseLayout(header, size, path);
      header.resize(layout.header_length);
      record_total = layout.record_count;
      records.resize(record_total * layout.record_length);
      status = ReadExactly(layout.header_length, records);
      if (!status.ok()) Fail(u"Cannot read the table: %s.\nTable: %s", Cause(status));
      live.reserve(record_total);
      for (std::size_t i = 0; i < record_total; ++i) {
        const char flag = records[i * layout.record_length];
        if (flag == kLiveFlag) {
          live.push_back(static_cast<std::uint32_t>(i));
        } else if (flag != kDeletedFlag) {
          ThrowCorrupt(Subst(u"row %s has an invalid deletion mark",
                             {IntToText(static_cast<long long>(i) + 1)}),
                       path);
        }
      }
    } catch (...) {
      held.Close();
      Reset();
      try {
        throw;
      } catch (const std::bad_alloc&) {
        Fail(u"Cannot read the table: not enough memory.\nTable: %s");
      }
    }
  }

  // `out.size()` bytes of the file from `offset` into `out`. The size was checked against the
  // file's, so fewer bytes mean the file was cut short under us.
  FileStatus ReadExactly(std::uint64_t offset, std::string& out) {
    std::size_t got = 0;
    const FileStatus status = held.ReadAt(offset, out.data(), out.size(), got);
    if (status.ok() && got < out.size()) {
      ThrowCorrupt(u"the record count exceeds the file size", Path());
    }
    return status;
  }

  void StartWith(const Layout& new_layout) {
    layout = new_layout;
    field_defs.clear();
    for (const FieldLayout& f : layout.fields) {
      FieldDef def{f.name, KindOf(f), 0};
      if (def.kind == FieldKind::kText) def.width = static_cast<int>(f.length);
      field_defs.push_back(std::move(def));
    }
    MakeBlankRow();
    open = true;
    pos = 0;
    eof = live.empty();
    state = State::kBrowse;
    dirty = false;
  }

  // Back to closed, memory given back.
  void Reset() {
    open = false;
    read_only = false;
    state = State::kBrowse;
    dirty = false;
    header.clear();
    header.shrink_to_fit();
    records.clear();
    records.shrink_to_fit();
    record_total = 0;
    live.clear();
    live.shrink_to_fit();
    row.clear();
    field_defs.clear();
    layout = Layout();
    pos = 0;
    eof = true;
    index.Clear();
    index_fields.clear();
  }

  // The whole new file: header with the row count and today's date, records, end-of-file mark.
  void WriteTable(FileReplacement& out) {
    int year, month, day;
    Today(year, month, day);
    std::string head;
    if (header.empty()) {
      head = BuildHeader(layout, static_cast<std::uint32_t>(record_total), year, month, day);
    } else {
      head = header;
      head[1] = static_cast<char>(year - 1900);
      head[2] = static_cast<char>(month);
      head[3] = static_cast<char>(day);
      for (int i = 0; i < 4; ++i) {
        head[kRecordCountOffset + i] = static_cast<char>((record_total >> (8 * i)) & 0xFF);
      }
      // The dBase index file goes with the commit; FoxPro keeps other flags in that byte.
      if (layout.variant == Variant::kDbase || layout.variant == Variant::kLevel7) {
        head[kIndexFlagOffset] = 0;
      }
    }
    FileStatus status = out.Write(head);
    if (status.ok()) status = out.Write(records);
    if (status.ok()) status = out.Write(std::string_view(&kEndOfFile, 1));
    if (!status.ok()) Fail(u"Cannot write the table: %s.\nTable: %s", Cause(status.code));
  }

  // Puts the file written to `out` in the table's place, then removes the table's index file.
  void Commit(FileReplacement& out) {
    held.Close();  // this handle's own hold must not keep the old table in place
    const FileStatus status = out.Commit();
    if (status.in_use) Fail(u"Table is in use by another program.\nTable: %s");
    if (!status.ok()) {
      Fail(status.at_rename ? u"Cannot replace the table: %s.\nTable: %s"
                            : u"Cannot write the table: %s.\nTable: %s",
           Cause(status.code));
    }
    const std::u16string index_path = ResolvePath(JoinPath(folder, base + u".MDX"));
    if (FileExists(index_path)) RemoveFile(index_path);  // a failure leaves a stale index only
  }

  // Starts the replacement of the table's file; `failure` names the step that needs it.
  void BeginReplacement(FileReplacement& out, std::u16string_view failure) {
    const FileStatus status = out.Begin(Path(), disk_space);
    if (!status.ok()) Fail(failure, Cause(status.code));
  }
};

void DeleteTableFiles(const std::u16string& folder, std::u16string_view name) {
  RemoveLeftovers(ResolvePath(JoinPath(folder, StripTableEnding(name) + u".DBF")));
}

Table::Table(std::u16string folder, std::u16string name, std::u16string component)
    : impl_(std::make_unique<Impl>()) {
  impl_->folder = std::move(folder);
  impl_->base = StripTableEnding(name);
  impl_->component = std::move(component);
}

Table::~Table() = default;  // an uncommitted temporary file goes with `temp`

void Table::UseDiskSpace(DiskSpace* space) { impl_->disk_space = space; }

const std::u16string& Table::component() const { return impl_->component; }

std::u16string Table::Path() const { return impl_->Path(); }

void Table::Create(const std::vector<FieldDef>& fields) {
  Impl& t = *impl_;
  if (t.open) t.Fail(u"Cannot create the table while this handle has it open.\nTable: %s");
  t.temp.Abandon();
  t.created = false;
  if (!FolderExists(t.folder)) {
    throw Error(Subst(u"Folder does not exist.\nFolder: %s", {t.folder}));
  }
  Layout layout = NewLayout(fields, AnsiCodePage(), t.Path());
  // Another program holding the old table is told here, before any row is made, as well as at
  // the commit; a brief hold is waited out at both.
  if (WaitUntilFree(t.Path()).in_use) t.Fail(u"Table is in use by another program.\nTable: %s");
  t.BeginReplacement(t.temp, u"Cannot create the table: %s.\nTable: %s");
  t.created_layout = std::move(layout);
  t.created = true;
}

void Table::Open(Share share, Access access) {
  Impl& t = *impl_;
  if (t.open) return;  // already open: as it is
  if (!t.component.empty()) share = Share::kExclusive;
  if (t.created) {
    t.Reset();
    t.StartWith(t.created_layout);
  } else {
    t.LoadFromDisk(share, access);
    t.StartWith(t.layout);
  }
  t.read_only = access == Access::kReadOnly;
}

void Table::Close() {
  Impl& t = *impl_;
  if (!t.open && !t.created) return;
  t.state = State::kBrowse;  // a row not posted is dropped
  try {
    if (t.created) {
      if (!t.open) t.StartWith(t.created_layout);
      t.WriteTable(t.temp);
      t.Commit(t.temp);
    } else if (t.dirty) {
      FileReplacement out;
      t.BeginReplacement(out, u"Cannot write the table: %s.\nTable: %s");
      t.WriteTable(out);
      t.Commit(out);
    }
  } catch (...) {
    t.temp.Abandon();
    t.created = false;
    t.held.Close();
    t.Reset();
    throw;
  }
  t.created = false;
  t.held.Close();
  t.Reset();
}

bool Table::IsOpen() const { return impl_->open; }

void Table::Append() {
  Impl& t = *impl_;
  t.RequireWritable();
  t.PostRow();
  t.row = t.blank_row;
  t.state = State::kInsert;
}

void Table::Edit() {
  Impl& t = *impl_;
  t.RequireWritable();
  if (t.state == State::kEdit) return;
  t.PostRow();
  if (t.live.empty()) {  // nothing to change: a new row instead, as the engine does
    Append();
    return;
  }
  t.row.assign(t.RecordOf(t.pos));
  t.state = State::kEdit;
}

void Table::Post() {
  impl_->RequireOpen();
  impl_->PostRow();
}

void Table::First() {
  Impl& t = *impl_;
  t.RequireOpen();
  t.PostRow();
  t.pos = 0;
  t.eof = t.live.empty();
}

void Table::Next() {
  Impl& t = *impl_;
  t.RequireOpen();
  t.PostRow();
  if (t.eof || t.pos + 1 >= t.live.size()) {
    t.eof = true;  // the last row stays current
  } else {
    ++t.pos;
  }
}

bool Table::Eof() const { return !impl_->open || impl_->eof; }

bool Table::Locate(std::u16string_view keys, std::initializer_list<std::u16string_view> values) {
  Impl& t = *impl_;
  t.RequireOpen();
  t.PostRow();
  std::vector<std::size_t>& fields = t.key_fields;
  fields.clear();
  for (std::size_t start = 0;;) {
    const std::size_t end = keys.find(u';', start);
    std::u16string_view name = keys.substr(start, end == std::u16string_view::npos ? end : end - start);
    while (!name.empty() && name.front() == u' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
    fields.push_back(t.FieldIndex(name));
    if (end == std::u16string_view::npos) break;
    start = end + 1;
  }
  if (fields.size() != values.size()) {
    t.Fail(u"Locate was given %s values for the key fields of this table.\nTable: %s",
           IntToText(static_cast<long long>(values.size())));
  }
  // The key of a row: its key field as Read field gives it, or the composite key of several;
  // nothing when one does not read, as such a row matches no value.
  auto key_of = [&](std::size_t live_index) -> std::optional<std::u16string> {
    const std::string_view record = t.RecordOf(live_index);
    if (fields.size() == 1) return t.TextOf(fields[0], record);
    std::vector<std::u16string> parts;
    for (std::size_t field : fields) {
      std::optional<std::u16string> text = t.TextOf(field, record);
      if (!text) return std::nullopt;
      parts.push_back(std::move(*text));
    }
    return CompositeKey(parts);
  };
  std::u16string composite;
  if (values.size() > 1) composite = CompositeKey(values);
  const std::u16string_view wanted = values.size() == 1 ? *values.begin() : composite;

  std::optional<std::size_t> found;
  try {
    if (t.dirty) {
      // Being written: search in table order, as an index would be stale at the next Post.
      for (std::size_t i = 0; i < t.live.size() && !found; ++i) {
        if (key_of(i) == wanted) found = i;
      }
    } else {
      if (t.index_fields != fields) {
        t.index.Clear();
        t.index.Reserve(t.live.size());
        for (std::size_t i = 0; i < t.live.size(); ++i) {
          if (std::optional<std::u16string> key = key_of(i)) t.index.Add(*key, i);
        }
        t.index_fields = fields;
      }
      found = t.index.Find(wanted);
    }
  } catch (const std::bad_alloc&) {
    t.index.Clear();
    t.index_fields.clear();
    t.Fail(u"Cannot search the table: not enough memory.\nTable: %s");
  }
  if (!found) return false;
  t.pos = *found;
  t.eof = false;
  return true;
}

void Table::SetText(std::u16string_view field, std::u16string_view value) {
  Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  const FieldLayout& layout = t.layout.fields[f];
  if (layout.type == 'C' && t.state != State::kBrowse) {
    // Text, the field written most: encoded straight into the row, cut or padded, never refused.
    EncodeCharacterText(layout, value, t.layout.code_page, t.row.data() + layout.offset);
    return;
  }
  t.Store(field, f, EncodeText(layout, value, t.layout.variant, t.layout.code_page));
}

void Table::SetNumber(std::u16string_view field, double value) {
  Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  t.Store(field, f, EncodeNumber(t.layout.fields[f], value, t.layout.variant));
}

void Table::SetLogical(std::u16string_view field, bool value) {
  Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  t.Store(field, f, EncodeLogical(t.layout.fields[f], value));
}

std::u16string Table::AsText(std::u16string_view field) const {
  std::u16string text;
  AsText(field, text);
  return text;
}

void Table::AsText(std::u16string_view field, std::u16string& text) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  const std::string_view record = t.CurrentRecord();
  if (!t.ReadText(f, record, text)) t.FailRead(f, t.Value(f, record), u"text");
}

std::int32_t Table::AsInteger(std::u16string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  const StoredValue value = t.Value(f, t.CurrentRecord());
  std::optional<std::int32_t> number = ValueAsInteger(value);
  if (!number) t.FailRead(f, value, u"a 32-bit whole number");
  return *number;
}

double Table::AsNumber(std::u16string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  const StoredValue value = t.Value(f, t.CurrentRecord());
  std::optional<double> number = ValueAsNumber(value);
  if (!number) t.FailRead(f, value, u"a number");
  return *number;
}

int Table::FieldCount() const { return static_cast<int>(impl_->field_defs.size()); }

const std::vector<FieldDef>& Table::Fields() const { return impl_->field_defs; }

long Table::RowCount() const { return static_cast<long>(impl_->live.size()); }

}  // namespace tpd
