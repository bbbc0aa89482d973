#include "report/validate_support.h"

#include "transfer/Clipper.h"
#include "transfer/codepage.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"
#include "transfer/transfer_file.h"

namespace tpd {

void Findings::Add(std::u16string_view file, long long line, FindingKind kind,
                   std::u16string text) {
  if (kind == FindingKind::kStops) v_.stops = true;
  v_.findings.push_back(Finding{std::u16string(file), line, kind, std::move(text)});
}

std::u16string Stored(std::u16string_view value, int width) {
  std::string bytes = EncodeAnsi(value);
  if (bytes.size() > static_cast<size_t>(width)) bytes.resize(static_cast<size_t>(width));
  while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  return DecodeAnsi(bytes);
}

std::u16string Quote(std::u16string_view text) {
  return u"«" + std::u16string(text) + u"»";
}

void CheckWidth(Findings& out, std::u16string_view file, long long line_no,
                std::u16string_view field_name, std::u16string_view value, int width) {
  const std::string bytes = EncodeAnsi(value);
  if (bytes.size() > static_cast<size_t>(width)) {
    out.Add(file, line_no, FindingKind::kCut,
            std::u16string(field_name) + u" " + Quote(value) + u" ocupa " +
                IntToText(static_cast<long long>(bytes.size())) + u" bytes y se corta a " +
                IntToText(width) + u": " + Quote(Stored(value, width)));
  } else if (DecodeAnsi(bytes) != value) {
    // A character that the code page cannot hold is stored as "?".
    out.Add(file, line_no, FindingKind::kCut,
            std::u16string(field_name) + u" " + Quote(value) +
                u" tiene caracteres que la tabla no admite y se guardan como ?");
  }
}

void CheckRecord(Findings& out, std::u16string_view file, long long line_no,
                 std::u16string_view line, std::initializer_list<Column> needed,
                 std::initializer_list<Column> fields) {
  std::u16string unreached;
  for (const Column& f : needed) {
    if (line.size() >= static_cast<size_t>(f.first)) continue;
    if (!unreached.empty()) unreached += u", ";
    unreached += std::u16string(f.name) + u" (columna " + IntToText(f.first) + u")";
  }
  if (!unreached.empty()) {
    out.Add(file, line_no, FindingKind::kShortLine,
            u"la línea tiene " + IntToText(static_cast<long long>(line.size())) +
                u" caracteres y no llega a " + unreached + u": quedan vacíos");
  }
  for (const Column& f : fields) {
    if (f.stored > 0) CheckWidth(out, file, line_no, f.name, Cut(line, f), f.stored);
  }
}

bool DataRecordOrReport(Findings& out, std::u16string_view file, long long line_no,
                        std::u16string_view line, std::u16string_view record_name) {
  if (IsDataRecord(line, record_name)) return true;
  if (!IsHeaderOrTrailer(line)) {
    out.Add(file, line_no, FindingKind::kPassedOver,
            u"el registro lleva el nombre del fichero (" + std::u16string(record_name) +
                u") sin ser cabecera ni cierre: se pasa por alto");
  }
  return false;
}

namespace {

void ReportReadError(Findings& out, std::u16string_view file, long long line_no,
                     const std::u16string& error) {
  out.Add(file, line_no, FindingKind::kStops,
          u"no se puede leer: " + error + u" (la exportación se detendría)");
}

}  // namespace

bool ForEachLine(Findings& out, const std::u16string& dirTxt, std::u16string_view file,
                 const std::function<void(long long, const std::u16string&)>& each) {
  long long line_no = 0;
  try {
    LineReader reader(dirTxt + std::u16string(file));
    while (!reader.AtEnd()) each(++line_no, reader.ReadLine());
    reader.Close();
    return true;
  } catch (const Error& e) {
    ReportReadError(out, file, line_no, e.text());
  }
  return false;
}

bool ReadWhole(Findings& out, const std::u16string& dirTxt, std::u16string_view file,
               std::vector<std::u16string>& lines) {
  try {
    lines = ReadWholeFile(dirTxt + std::u16string(file));
    return true;
  } catch (const Error& e) {
    ReportReadError(out, file, 0, e.text());
  }
  return false;
}

}  // namespace tpd

namespace tpd {

bool MainInputPresent(Findings& out, const std::u16string& dirTxt, std::u16string_view file,
                      std::u16string_view message) {
  if (FileExists(dirTxt + std::u16string(file))) return true;
  out.Add(file, 0, FindingKind::kMissingFile, std::u16string(message));
  out.MainFileMissing();
  return false;
}

}  // namespace tpd
