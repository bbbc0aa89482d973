// Step 5: subject-group assignments into ASIGT, completed with the group's data from GRUPOST and
// the weekly hours of druv_asignatcurso.txt.
//
// Every look-up takes the first match in table or file order. The group data and the hours are
// found through maps built once (group code -> first GRUPOST row, five match columns -> first
// hours record), so the step grows linearly with its inputs and still finds what a search from
// the first row or line would find.
#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "export/lesson_pattern.h"
#include "export/step_common.h"
#include "transfer/Clipper.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/first_by_key.h"
#include "transfer/transfer_file.h"

namespace tpd {
namespace {


const std::vector<FieldDef>& AsigtFields() {
  static const std::vector<FieldDef> fields = {
      TextField(u"CASIG", 10),      TextField(u"CPROF", 10),  TextField(u"CGRUP", 10),
      TextField(u"CAULA", 10),      TextField(u"CTAREA", 10), TextField(u"TURNO", 1),
      TextField(u"NIVEL", 5),       TextField(u"CURSO", 3),   TextField(u"GRUPO", 2),
      {u"HORAS", FieldKind::kNumber, 0},
      TextField(u"SESIONES", 20),   TextField(u"NCONEX", 4),  TextField(u"CASIGDRUV", 20),
      TextField(u"CODIDIDRUV", 6),
  };
  return fields;
}

// The assignments file and the file of their weekly hours.
namespace assignment = layouts::asignatgrupo;
namespace weekly_hours = layouts::asignatcurso;

// Every assignment is a lesson task.
constexpr std::u16string_view kLessonTask = u"*LEC";

// The group data copied from GRUPOST, in the order it is copied.
constexpr std::array<std::u16string_view, 4> kGroupFields = {u"TURNO", u"NIVEL", u"CURSO",
                                                              u"GRUPO"};

// The positions of the ASIGT fields that the step writes or reads, found once: every row uses
// the same ones.
struct AsigtFieldsAt {
  explicit AsigtFieldsAt(const Table& asigt) {
    subject_code = asigt.FieldPosition(u"CASIG");
    group = asigt.FieldPosition(assignment::kGroup.name);
    task = asigt.FieldPosition(u"CTAREA");
    subject = asigt.FieldPosition(assignment::kSubject.name);
    suffix = asigt.FieldPosition(assignment::kSuffix.name);
    for (size_t i = 0; i < kGroupFields.size(); ++i) {
      group_data[i] = asigt.FieldPosition(kGroupFields[i]);
    }
    for (size_t i = 0; i < weekly_hours::kMatch.size(); ++i) {
      match[i] = asigt.FieldPosition(weekly_hours::kMatch[i].name);
    }
    hours = asigt.FieldPosition(weekly_hours::kHours.name);
    lessons = asigt.FieldPosition(u"SESIONES");
  }
  size_t subject_code, group, task, subject, suffix;
  std::array<size_t, kGroupFields.size()> group_data;
  std::array<size_t, weekly_hours::kMatch.size()> match;
  size_t hours, lessons;
};

// What the first ASIGNOMT row of a subject and suffix gives an assignment: its short code and its
// DRUV code, as read; nothing when no row has them.
struct SubjectFound {
  bool found = false;
  std::u16string code;
  std::u16string druv_code;
};

// The assignments: one ASIGT row per assignment whose subject and suffix name an ASIGNOMT row.
// ASIGNOMT is only read while the step runs, so each subject and suffix is looked up once, however
// many groups it is taught to.
void AddAssignments(const ExportContext& ctx, LineReader& input, Table& subjects, Table& asigt,
                    const AsigtFieldsAt& at) {
  FirstByKey<SubjectFound> known;
  std::u16string key;
  std::u16string line;
  while (!input.AtEnd()) {
    input.ReadLine(line);
    if (!IsDataRecord(line, assignment::kRecordName)) {
      CountNonDataLine(ctx, u"ASIGT", line);
      continue;
    }
    const std::u16string_view subject = CutView(line, assignment::kSubject);
    const std::u16string_view group = CutView(line, assignment::kGroup);
    const std::u16string_view suffix = CutView(line, assignment::kSuffix);
    // The subject's length, then the two values: a line read line by line may hold a NUL, so no
    // character can be trusted to tell where the subject ends.
    key.assign(1, static_cast<char16_t>(subject.size())).append(subject).append(suffix);
    const SubjectFound& found = known.FindOrAdd(key, [&] {
      SubjectFound f;
      f.found = subjects.Locate(u"CODDRUV;CODIDIDRUV",
                                {std::u16string(subject), std::u16string(suffix)});
      if (f.found) {
        f.code = subjects.AsText(u"COD");
        f.druv_code = subjects.AsText(u"CODDRUV");
      }
      return f;
    });
    if (!found.found) {
      CountPassedOver(ctx.counters, u"ASIGT", PassedOver::kSubjectNotFound);
      continue;
    }
    asigt.Append();
    asigt.SetText(at.subject_code, found.code);
    asigt.SetText(at.group, group);
    asigt.SetText(at.task, kLessonTask);
    asigt.SetText(at.subject, found.druv_code);
    asigt.SetText(at.suffix, suffix);
    asigt.Post();
    CountRow(ctx.counters, u"ASIGT");
  }
}

// The first GRUPOST row of each group code. A field that cannot be read (GRUPOST written by
// another program may lack one) fails only when a found row needs it, with the table store's own
// error for that row, as a walk of the table would.
class GroupIndex {
 public:
  struct Data {
    std::array<std::u16string, kGroupFields.size()> values;
    std::array<std::optional<Error>, kGroupFields.size()> errors;
  };

  explicit GroupIndex(Table& groups) : groups_(groups) {}

  // The group data of the first row whose ABREV is `code`, or none. Built on first use, so that a
  // step without rows reads nothing of GRUPOST.
  const Data* Find(std::u16string_view code) {
    if (!built_) Build();
    return first_.Find(code);
  }

  // Field `i` of found group data; throws the error that reading it raised.
  static const std::u16string& Value(const Data& data, size_t i) {
    if (data.errors[i]) throw *data.errors[i];
    return data.values[i];
  }

 private:
  void Build() {
    built_ = true;
    for (groups_.First(); !groups_.Eof(); groups_.Next()) {
      first_.AddIfNew(groups_.AsText(u"ABREV"), [&] {
        Data data;
        for (size_t i = 0; i < kGroupFields.size(); ++i) {
          try {
            data.values[i] = groups_.AsText(kGroupFields[i]);
          } catch (const Error& e) {
            data.errors[i] = e;
          }
        }
        return data;
      });
    }
  }

  Table& groups_;
  bool built_ = false;
  FirstByKey<Data> first_;
};

// The group data of each row from the first GRUPOST row of its group.
void AddGroupData(const ExportContext& ctx, Table& asigt, const AsigtFieldsAt& at) {
  Table groups(ctx.table_folder, u"GRUPOST.DBF");
  groups.Open(Share::kShared, Access::kReadOnly);
  GroupIndex index(groups);
  std::u16string group;
  for (asigt.First(); !asigt.Eof(); asigt.Next()) {
    group.clear();
    asigt.AppendText(at.group, group);
    const auto* data = index.Find(group);
    if (data == nullptr) {
      CountPassedOver(ctx.counters, u"ASIGT", PassedOver::kGroupNotFound);
      continue;
    }
    asigt.Edit();
    for (size_t i = 0; i < kGroupFields.size(); ++i) {
      asigt.SetText(at.group_data[i], GroupIndex::Value(*data, i));
    }
    asigt.Post();
  }
  groups.Close();
}

// The five match values joined by NUL into `key`. An hours record holds no NUL (reading a file
// whole ends its text at one), so its key has exactly four; a row's key equal to it has no NUL
// inside a value either, and equal keys mean five equal values.
template <typename Append>
void MatchKey(std::u16string& key, Append append) {
  key.clear();
  for (size_t i = 0; i < weekly_hours::kMatch.size(); ++i) {
    if (i > 0) key += u'\0';
    append(key, i);
  }
}

// The hours column of the first data record of each five match values, read from the hours file
// on a thread of its own while the assignments and their group data are added: it only reads the
// file. What it found is taken where the hours are needed: the lines it passed over are counted
// and the error that stopped it is raised there, so the step's effects come in the same order as
// when the file is read at that point. Only the hours column of each first record is kept: the
// file is never held whole.
class HoursIndex {
 public:
  explicit HoursIndex(std::u16string path) : path_(std::move(path)) {
    try {
      reader_ = std::thread([this] { Read(); });
    } catch (const std::system_error&) {
      // No thread to be had: the file is read when the hours are needed.
    }
  }
  ~HoursIndex() {
    if (reader_.joinable()) reader_.join();
  }
  HoursIndex(const HoursIndex&) = delete;
  HoursIndex& operator=(const HoursIndex&) = delete;

  const FirstByKey<std::u16string>& Take(const ExportContext& ctx) {
    if (reader_.joinable()) {
      reader_.join();
    } else if (!read_) {
      Read();
    }
    for (PassedOver kind : passed_over_) CountPassedOver(ctx.counters, u"ASIGT", kind);
    passed_over_.clear();
    if (error_) std::rethrow_exception(error_);
    return first_;
  }

 private:
  void Read() {
    read_ = true;
    try {
      std::u16string key;
      ForEachLineOfWholeFile(path_, [&](std::u16string_view line) {
        if (!IsDataRecord(line, weekly_hours::kRecordName)) {
          passed_over_.push_back(NonDataLineKind(line));
        } else {
          MatchKey(key, [&](std::u16string& k, size_t i) {
            k += CutView(line, weekly_hours::kMatch[i]);
          });
          first_.AddIfNew(key, [&] { return Cut(line, weekly_hours::kHours); });
        }
        return true;
      });
    } catch (...) {
      error_ = std::current_exception();
    }
  }

  const std::u16string path_;
  bool read_ = false;
  FirstByKey<std::u16string> first_;
  std::vector<PassedOver> passed_over_;
  std::exception_ptr error_;
  std::thread reader_;
};

// The weekly hours of each row from the first data record that matches its five values; a row
// that none matches gets one hour in one lesson.
void AddHours(const ExportContext& ctx, HoursIndex& index, Table& asigt, const AsigtFieldsAt& at) {
  const FirstByKey<std::u16string>& first = index.Take(ctx);
  // Every row's match is found first, each look-up a few rows after its key was made and its
  // memory asked for, so that the waits for memory overlap; reading the rows' keys cannot fail,
  // so the rows are then written in order as before.
  constexpr size_t kAhead = 8;
  std::array<std::u16string, kAhead> keys;
  std::array<std::uint64_t, kAhead> hashes{};
  std::vector<const std::u16string*> found;
  found.reserve(static_cast<size_t>(asigt.RowCount()));
  auto look_up = [&](size_t row) {
    found.push_back(first.Find(keys[row % kAhead], hashes[row % kAhead]));
  };
  size_t rows = 0;
  for (asigt.First(); !asigt.Eof(); asigt.Next(), ++rows) {
    if (rows >= kAhead) look_up(rows - kAhead);
    std::u16string& key = keys[rows % kAhead];
    MatchKey(key, [&](std::u16string& k, size_t i) { asigt.AppendText(at.match[i], k); });
    hashes[rows % kAhead] = first.HashOf(key);
    first.Prefetch(hashes[rows % kAhead]);
  }
  for (size_t row = rows > kAhead ? rows - kAhead : 0; row < rows; ++row) look_up(row);

  // What an hours text gives a row, worked out once per text: the records hold few of them.
  struct Written {
    double hours;
    std::u16string lessons;
  };
  FirstByKey<Written> by_text;
  size_t row = 0;
  for (asigt.First(); !asigt.Eof(); asigt.Next(), ++row) {
    const std::u16string* hours_text = found[row];
    if (hours_text == nullptr) {
      CountPassedOver(ctx.counters, u"ASIGT", PassedOver::kHoursNotMatched);
    }
    const Written* written = nullptr;
    if (hours_text != nullptr) {
      written = &by_text.FindOrAdd(*hours_text, [&] {
        const double hours = HoursOf(*hours_text);
        return Written{hours, LessonPattern(hours)};
      });
    }
    asigt.Edit();
    asigt.SetNumber(at.hours, written == nullptr ? kLeastHours : written->hours);
    asigt.SetText(at.lessons, written == nullptr ? u"1" : written->lessons);
    asigt.Post();
  }
}

}  // namespace

void TraspasaAsignaturasGrupos(ExportContext& ctx) {
  const std::u16string path = InputPath(ctx, assignment::kFileName);
  if (!MainInputPresent(ctx, path, u"No existe archivo de grupos (DRUV_ASIGNATGRUPO.TXT)")) {
    return;
  }
  LineReader assignments(path);
  // The hours file is read while the assignments are added (see HoursIndex).
  const std::u16string hours_path = InputPath(ctx, weekly_hours::kFileName);
  std::optional<HoursIndex> hours;
  if (FileExists(hours_path)) hours.emplace(hours_path);
  Table asigt(ctx.table_folder, u"ASIGT.DBF");
  RebuildTable(asigt, ctx, u"ASIGT", AsigtFields());
  Components components(ctx.table_folder);
  Table& subjects = components.wwTableNomAsg;
  subjects.Open(Share::kExclusive, Access::kReadOnly);

  const AsigtFieldsAt at(asigt);
  AddAssignments(ctx, assignments, subjects, asigt, at);
  assignments.Close();
  AddGroupData(ctx, asigt, at);

  if (hours) {
    AddHours(ctx, *hours, asigt, at);
  } else {
    // Unlike a missing assignments file this leaves the run status alone, and the rows keep
    // empty hours.
    ctx.ui.ShowMessage(u"No existe archivo de grupos (DRUV_ASIGNATCURSO.TXT)");
  }
  asigt.Close();
  subjects.Close();
}

}  // namespace tpd
