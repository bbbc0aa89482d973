#include "tables/table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

#include "tables/dbf_layout.h"
#include "tables/dbf_values.h"
#include "tables/key_index.h"
#include "tables/table_file.h"
#include "tables/table_paths.h"
#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/replace_file.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// A table larger than this, opened for reading only and held exclusively, is read a window of
// this many bytes at a time (see Table::Impl::LoadWindowed). The sizes tests may change.
constexpr std::size_t kReadWindowFrom = 8 << 20;
constexpr std::size_t kReadWindowBytes = 1 << 20;
std::size_t read_window_from = kReadWindowFrom;
std::size_t read_window_bytes = kReadWindowBytes;

// Room for any header: its length is a 16-bit number.
constexpr std::size_t kLargestHeader = 0xFFFF;

enum class State { kBrowse, kInsert, kEdit };

// The system's text for a failure, without a closing full stop (our texts add their own).
std::u16string Cause(int code) {
  std::u16string text = SystemErrorText(code);
  while (!text.empty() && (text.back() == u'.' || text.back() == u' ')) text.pop_back();
  return text;
}
std::u16string Cause(const FileStatus& status) { return Cause(status.code); }

std::vector<std::u16string> SplitKeys(std::u16string_view keys) {
  std::vector<std::u16string> names;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = keys.find(u';', start);
    std::u16string_view name =
        keys.substr(start, end == std::u16string_view::npos ? end : end - start);
    while (!name.empty() && name.front() == u' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
    names.emplace_back(name);
    if (end == std::u16string_view::npos) return names;
    start = end + 1;
  }
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
  std::string header;  // as read from disk; empty for a table created by this handle
  // The table file as read (or nothing, for a table created by this handle), cut after its last
  // record; rows appended go after it. Records start at `records_at`, deleted ones included,
  // back to back.
  ByteBuffer file;
  std::size_t records_at = 0;
  std::size_t record_total = 0;
  std::vector<std::uint32_t> live;  // record numbers of the rows not marked deleted, in order
  // A large table that is only read, and that no other program may change while it is open, is
  // not held whole: a scan reads its records a window at a time, into the same memory each time,
  // and `file` stays empty until a look-up needs every row at hand (ReadWhole).
  bool windowed = false;
  mutable std::string window;
  mutable std::size_t window_first = 0;  // record number of the window's first record
  mutable std::size_t window_count = 0;  // records in the window
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

  // Locate's index for one list of key fields; kept only while the table is not written.
  std::vector<std::size_t> index_fields;
  KeyIndex index;
  // The key names Locate was last given and their fields: callers ask by the same names row
  // after row, and the layout does not change while the table is open.
  std::u16string locate_keys;
  std::vector<std::size_t> locate_fields;

  // Numbers written lately, by field and value: a number field takes the same few values row after
  // row, and formatting one costs more than the rest of the write. Kept for the layout in use.
  struct WrittenNumber {
    std::size_t field = SIZE_MAX;
    std::uint64_t bits = 0;
    Encoded encoded;
  };
  std::array<WrittenNumber, 16> written_numbers{};

  const Encoded& NumberEncoded(std::size_t field, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WrittenNumber& slot =
        written_numbers[(bits ^ (bits >> 29) ^ (bits >> 47) ^ field) % written_numbers.size()];
    if (slot.field != field || slot.bits != bits) {
      slot.encoded = EncodeNumber(layout.fields[field], value, layout.variant);
      slot.field = field;
      slot.bits = bits;
    }
    return slot.encoded;
  }

  // Field look-ups by name, remembered by the caller's text (see FieldIndex).
  struct NameSlot {
    const char16_t* text = nullptr;
    std::size_t size = 0;
    std::size_t field = 0;
  };
  mutable std::array<NameSlot, 32> name_cache{};

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
      // Callers name fields by the same constants row after row: the field found last time for
      // this text is checked first, and is right whenever its name still matches (the first
      // field of a name is found for every spelling of it).
      NameSlot& slot = name_cache[(reinterpret_cast<std::uintptr_t>(name.data()) / 2 + name.size()) %
                                  name_cache.size()];
      if (slot.text == name.data() && slot.size == name.size() &&
          SameNameIgnoringCase(layout.fields[slot.field].name, name)) {
        return slot.field;
      }
      for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        if (SameNameIgnoringCase(layout.fields[i].name, name)) {
          slot = NameSlot{name.data(), name.size(), i};
          return i;
        }
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
    const std::size_t record = live[live_index];
    if (windowed) {
      if (record < window_first || record - window_first >= window_count) LoadWindow(record);
      return {window.data() + (record - window_first) * layout.record_length,
              layout.record_length};
    }
    return {file.data() + RecordOffset(record), layout.record_length};
  }

  // The window of records from `record` on.
  void LoadWindow(std::size_t record) const {
    window_count = 0;
    const std::size_t per_window =
        read_window_bytes > layout.record_length ? read_window_bytes / layout.record_length : 1;
    const std::size_t count =
        per_window < record_total - record ? per_window : record_total - record;
    window.resize(count * layout.record_length);
    std::size_t got = 0;
    const FileStatus status = held.ReadAt(RecordOffset(record), window.data(), window.size(), got);
    if (!status.ok()) Fail(u"Cannot read the table: %s.\nTable: %s", Cause(status));
    // Only a program that ignores our hold could have cut the file short since Open.
    if (got < window.size()) ThrowCorrupt(u"the record count exceeds the file size", Path());
    window_first = record;
    window_count = count;
  }

  std::size_t RecordOffset(std::size_t record) const {
    return records_at + record * layout.record_length;
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

  // A field as text, the way Read field gives it; nothing for a value that does not read. The
  // decoded text is handed over rather than copied: this runs for every field read.
  std::optional<std::u16string> TextOf(std::size_t field, std::string_view record) const {
    StoredValue value = Value(field, record);
    if (value.kind == StoredValue::Kind::kText) return std::move(value.text);
    return ValueAsText(value);
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

  void Store(std::u16string_view name, std::size_t field, const Encoded& encoded) {
    if (!encoded.failure.empty()) {
      throw Error(Prefix() + Subst(u"Cannot write field '%s': %s.\nTable: %s",
                                   {name, encoded.failure, Path()}));
    }
    const FieldLayout& f = layout.fields[field];
    row.replace(f.offset, f.length, encoded.bytes);
  }

  std::size_t WritableField(std::u16string_view name) {
    const std::size_t field = FieldIndex(name);
    RequireRowBeingWritten(name);
    return field;
  }

  // The field at `position` (FieldPosition's), to be written.
  std::size_t WritableField(std::size_t position) {
    RequireField(position);
    RequireRowBeingWritten(layout.fields[position].name);
    return position;
  }

  void RequireRowBeingWritten(std::u16string_view name) const {
    if (state == State::kBrowse) {
      throw Error(Prefix() + Subst(u"Cannot write field '%s': the row is not being inserted or "
                                   u"changed.\nTable: %s",
                                   {name, Path()}));
    }
  }

  void RequireField(std::size_t position) const {
    RequireOpen();
    if (position >= layout.fields.size()) {
      Fail(u"There is no field %s in this table.\nTable: %s",
           IntToText(static_cast<long long>(position) + 1));
    }
  }

  // `name` as the caller gave it, for the error text.
  void SetTextAt(std::u16string_view name, std::size_t field, std::u16string_view value) {
    const FieldLayout& f = layout.fields[field];
    if (f.type == 'C') {  // straight into the row: text is cut or padded, never refused
      EncodeCharacterText(f, value, layout.code_page, row.data() + f.offset);
      return;
    }
    Store(name, field, EncodeText(f, value, layout.variant, layout.code_page));
  }

  void AppendTextAt(std::size_t field, std::u16string& out) const {
    const std::string_view record = CurrentRecord();
    const FieldLayout& f = layout.fields[field];
    if (f.type == 'C' && !record.empty()) {
      AppendCharacterText(record.substr(f.offset, f.length), layout.code_page, out);
      return;
    }
    StoredValue value = Value(field, record);
    if (value.kind == StoredValue::Kind::kText) {
      out += value.text;
      return;
    }
    std::optional<std::u16string> text = ValueAsText(value);
    if (!text) FailRead(field, value, u"text");
    out += *text;
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
      file.Append(row);
      live.push_back(static_cast<std::uint32_t>(record_total++));
      pos = live.size() - 1;
    } else if (state == State::kEdit) {
      std::memcpy(file.data() + RecordOffset(live[pos]), row.data(), layout.record_length);
    } else {
      return;
    }
    state = State::kBrowse;
    eof = false;
    dirty = true;
    index.Clear();
    index_fields.clear();
  }

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
      if (share != Share::kExclusive || access != Access::kReadOnly || !held.Size(size).ok() ||
          size <= read_window_from || !LoadWindowed(size, path)) {
        LoadWhole(path);
      }
    } catch (...) {
      held.Close();
      Reset();
      throw;
    }
  }

  void LoadWhole(const std::u16string& path) {
    const FileStatus status = held.ReadAll(file);
    if (!status.ok()) Fail(u"Cannot read the table: %s.\nTable: %s", Cause(status));
    layout = ParseLayout(file.view(), path);
    header.assign(file.data(), layout.header_length);
    record_total = layout.record_count;
    records_at = layout.header_length;
    file.Truncate(RecordOffset(record_total));  // the end-of-file mark and anything after it
    live.clear();
    live.reserve(record_total);
    for (std::size_t i = 0; i < record_total; ++i) CheckMark(i, file.data()[RecordOffset(i)]);
  }

  // Takes record `record`, whose deletion mark is `flag`, into `live` if it is not deleted.
  void CheckMark(std::size_t record, char flag) {
    if (flag == kLiveFlag) {
      live.push_back(static_cast<std::uint32_t>(record));
    } else if (flag != kDeletedFlag) {
      ThrowCorrupt(Subst(u"row %s has an invalid deletion mark",
                         {IntToText(static_cast<long long>(record) + 1)}),
                   Path());
    }
  }

  // The checks of LoadWhole, made on the file `size` bytes long a window at a time: the header
  // from the file's first bytes, then every deletion mark. False, with nothing kept, when the
  // header does not pass from the first bytes: the whole file is read then, and tells why.
  bool LoadWindowed(std::uint64_t size, const std::u16string& path) {
    std::string start(static_cast<std::size_t>(
                          size < std::max(read_window_bytes, kLargestHeader)
                              ? size
                              : std::max(read_window_bytes, kLargestHeader)),
                      '\0');
    std::size_t got = 0;
    const FileStatus status = held.ReadAt(0, start.data(), start.size(), got);
    if (!status.ok()) Fail(u"Cannot read the table: %s.\nTable: %s", Cause(status));
    start.resize(got);
    try {
      layout = ParseLayout(start, size, path);
    } catch (const Error&) {
      layout = Layout();
      return false;
    }
    header.assign(start.data(), layout.header_length);
    record_total = layout.record_count;
    records_at = layout.header_length;
    windowed = true;
    live.clear();
    live.reserve(record_total);
    for (std::size_t i = 0; i < record_total; i += window_count) {
      LoadWindow(i);
      for (std::size_t k = 0; k < window_count; ++k) {
        CheckMark(i + k, window[k * layout.record_length]);
      }
    }
    return true;
  }

  // Every row at hand, for look-ups that go back and forth through a table read a window at a
  // time. The file is held exclusively, so it is the one checked at Open; one that a program
  // ignoring the hold changed since is refused rather than read as something else.
  void ReadWhole() {
    const FileStatus status = held.ReadAll(file);
    if (!status.ok()) Fail(u"Cannot read the table: %s.\nTable: %s", Cause(status));
    bool same = file.size() >= RecordOffset(record_total) &&
                file.view().substr(0, records_at) == header;
    for (std::size_t i = 0, next = 0; same && i < record_total; ++i) {
      const char flag = file.data()[RecordOffset(i)];
      const bool is_live = next < live.size() && live[next] == i;
      if (is_live) ++next;
      same = is_live ? flag == kLiveFlag : flag == kDeletedFlag;
    }
    if (!same) {
      file.Release();
      ThrowCorrupt(u"the file was changed by another program while it was open", Path());
    }
    file.Truncate(RecordOffset(record_total));
    windowed = false;
    window.clear();
    window.shrink_to_fit();
    window_first = window_count = 0;
  }

  void StartWith(const Layout& new_layout) {
    layout = new_layout;
    name_cache.fill(NameSlot{});
    written_numbers.fill(WrittenNumber{});
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
    file.Release();
    windowed = false;
    window.clear();
    window.shrink_to_fit();
    window_first = window_count = 0;
    records_at = 0;
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
    locate_keys.clear();
    locate_fields.clear();
  }

  // The whole new file: header with the row count and today's date, the records as they stand
  // in `records`, end-of-file mark.
  void WriteTable(FileReplacement& out, std::string_view records) {
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
    ReplaceStatus status = out.Write(head);
    if (status.ok()) status = out.Write(records);
    if (status.ok()) status = out.Write(std::string_view(&kEndOfFile, 1));
    if (!status.ok()) Fail(u"Cannot write the table: %s.\nTable: %s", Cause(status.code));
  }

  // Puts the file written to `out` in the table's place, then removes the table's index file.
  void Commit(FileReplacement& out) {
    held.Close();  // this handle's own hold must not keep the old table in place
    const ReplaceStatus status = out.Commit();
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
    const ReplaceStatus status = out.Begin(Path(), disk_space);
    if (!status.ok()) Fail(failure, Cause(status.code));
  }
};

void SetReadWindowForTesting(std::size_t from_bytes, std::size_t window_bytes) {
  read_window_from = from_bytes == 0 ? kReadWindowFrom : from_bytes;
  read_window_bytes = window_bytes == 0 ? kReadWindowBytes : window_bytes;
}

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
      t.WriteTable(t.temp, t.file.view().substr(t.records_at));
      t.Commit(t.temp);
    } else if (t.dirty) {
      FileReplacement out;
      t.BeginReplacement(out, u"Cannot write the table: %s.\nTable: %s");
      t.WriteTable(out, t.file.view().substr(t.records_at));
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

bool Table::Locate(std::u16string_view keys, const std::vector<std::u16string>& values) {
  Impl& t = *impl_;
  t.RequireOpen();
  t.PostRow();
  if (t.locate_fields.empty() || t.locate_keys != keys) {
    std::vector<std::size_t> named;
    for (const std::u16string& name : SplitKeys(keys)) named.push_back(t.FieldIndex(name));
    t.locate_fields = std::move(named);
    t.locate_keys = keys;
  }
  const std::vector<std::size_t>& fields = t.locate_fields;
  if (fields.size() != values.size()) {
    t.Fail(u"Locate was given %s values for the key fields of this table.\nTable: %s",
           IntToText(static_cast<long long>(values.size())));
  }
  if (t.windowed) t.ReadWhole();
  // The key text of a row, as Read field gives it; nothing for a value that does not read.
  auto key = [&](std::size_t live_index, std::size_t k) {
    return t.TextOf(fields[k], t.RecordOf(live_index));
  };
  auto matches = [&](std::size_t live_index) {
    const std::string_view record = t.RecordOf(live_index);
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const FieldLayout& f = t.layout.fields[fields[k]];
      if (!FieldReadsAs(f, record.substr(f.offset, f.length), t.layout.variant,
                        t.layout.code_page, values[k])) {
        return false;
      }
    }
    return true;
  };

  std::optional<std::size_t> found;
  if (t.dirty) {
    // Being written: search in table order, as an index would be stale at the next Post.
    for (std::size_t i = 0; i < t.live.size() && !found; ++i) {
      if (matches(i)) found = i;
    }
  } else {
    if (!t.index.built() || t.index_fields != fields) {
      auto hash_row = [&](std::size_t i) {
        std::uint64_t h = HashText(u"");
        for (std::size_t k = 0; k < fields.size(); ++k)
          h = HashText(key(i, k).value_or(u"\xFFFF"), h);
        return h;
      };
      auto same = [&](std::size_t a, std::size_t b) {
        for (std::size_t k = 0; k < fields.size(); ++k) {
          if (key(a, k) != key(b, k)) return false;
        }
        return true;
      };
      t.index.Build(t.live.size(), hash_row, same);
      t.index_fields = fields;
    }
    std::uint64_t h = HashText(u"");
    for (const std::u16string& value : values) h = HashText(value, h);
    found = t.index.Find(h, matches);
  }
  if (!found) return false;
  t.pos = *found;
  t.eof = false;
  return true;
}

void Table::SetText(std::u16string_view field, std::u16string_view value) {
  Impl& t = *impl_;
  t.SetTextAt(field, t.WritableField(field), value);
}

void Table::SetText(std::size_t position, std::u16string_view value) {
  Impl& t = *impl_;
  const std::size_t f = t.WritableField(position);
  t.SetTextAt(t.layout.fields[f].name, f, value);
}

void Table::SetNumber(std::u16string_view field, double value) {
  Impl& t = *impl_;
  const std::size_t f = t.WritableField(field);
  t.Store(field, f, t.NumberEncoded(f, value));
}

void Table::SetNumber(std::size_t position, double value) {
  Impl& t = *impl_;
  const std::size_t f = t.WritableField(position);
  t.Store(t.layout.fields[f].name, f, t.NumberEncoded(f, value));
}

void Table::SetLogical(std::u16string_view field, bool value) {
  Impl& t = *impl_;
  const std::size_t f = t.WritableField(field);
  t.Store(field, f, EncodeLogical(t.layout.fields[f], value));
}

std::u16string Table::AsText(std::u16string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldIndex(field);
  StoredValue value = t.Value(f, t.CurrentRecord());
  if (value.kind == StoredValue::Kind::kText) return std::move(value.text);
  std::optional<std::u16string> text = ValueAsText(value);
  if (!text) t.FailRead(f, value, u"text");
  return std::move(*text);
}

void Table::AppendText(std::u16string_view field, std::u16string& out) const {
  const Impl& t = *impl_;
  t.AppendTextAt(t.FieldIndex(field), out);
}

void Table::AppendText(std::size_t position, std::u16string& out) const {
  const Impl& t = *impl_;
  t.RequireField(position);
  t.AppendTextAt(position, out);
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

std::string_view Table::FieldBytes(std::u16string_view field) const {
  return FieldBytes(impl_->FieldIndex(field));
}

std::string_view Table::FieldBytes(std::size_t position) const {
  const Impl& t = *impl_;
  t.RequireField(position);
  const std::string_view record = t.CurrentRecord();
  if (record.empty()) return {};
  return record.substr(t.layout.fields[position].offset, t.layout.fields[position].length);
}

std::size_t Table::FieldPosition(std::u16string_view field) const {
  return impl_->FieldIndex(field);
}

std::string_view Table::RowBytes() const {
  const Impl& t = *impl_;
  t.RequireOpen();
  return t.CurrentRecord();
}

Table::Place Table::FieldPlace(std::size_t position) const {
  const Impl& t = *impl_;
  t.RequireField(position);
  return {t.layout.fields[position].offset, t.layout.fields[position].length};
}

int Table::FieldCount() const { return static_cast<int>(impl_->field_defs.size()); }

const std::vector<FieldDef>& Table::Fields() const { return impl_->field_defs; }

long Table::RowCount() const { return static_cast<long>(impl_->live.size()); }

}  // namespace tpd
