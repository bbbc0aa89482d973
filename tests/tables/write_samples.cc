// Writes every kind of table this store makes into the folder given, then prints, as JSON, the
// values that the store itself reads back from them; interop_check.py compares those with what
// independent dBase readers see in the same files.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tables/table.h"
#include "transfer/error.h"
#include "transfer/text.h"

namespace tpd {
namespace {

struct SampleRow {
  std::optional<std::u16string> cod, nombre;
  std::optional<bool> estarea;
  std::optional<double> dni, horas;
};

const std::vector<FieldDef> kFields = {{u"COD", FieldKind::kText, 10},
                                       {u"NOMBRE", FieldKind::kText, 80},
                                       {u"ESTAREA", FieldKind::kLogical},
                                       {u"DNI", FieldKind::kInteger},
                                       {u"HORAS", FieldKind::kNumber}};

std::vector<SampleRow> Rows() {
  return {
      {u"MAT", u"Matemáticas", true, 12345678, 2.5},
      {u"LENB", u"  Lengua y Literatura  ", false, -2147483648.0, 16.5},
      {u"FÍS", std::u16string(90, u'x'), std::nullopt, 2147483647, 1.3333},
      {u"ÑÁÉÍÓÚüç€", u"", true, 0, -7.25},
      {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {u"END", u"ünïcödé ł", false, -1, 123456789012345.0},
  };
}

std::string Json(std::u16string_view text) {
  std::string out = "\"";
  for (char c : ToUtf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void Write(const std::u16string& folder) {
  DeleteTableFiles(folder, u"SAMPLE");
  Table t(folder, u"SAMPLE.DBF");
  t.Create(kFields);
  t.Open(Share::kShared, Access::kReadWrite);
  for (const SampleRow& r : Rows()) {
    t.Append();
    if (r.cod) t.SetText(u"COD", *r.cod);
    if (r.nombre) t.SetText(u"NOMBRE", *r.nombre);
    if (r.estarea) t.SetLogical(u"ESTAREA", *r.estarea);
    if (r.dni) t.SetNumber(u"DNI", *r.dni);
    if (r.horas) t.SetNumber(u"HORAS", *r.horas);
    t.Post();
  }
  t.Close();

  Table empty(folder, u"EMPTY.DBF");
  empty.Create(kFields);
  empty.Open(Share::kShared, Access::kReadWrite);
  empty.Close();
}

// Empty number and logical fields print as null, as the readers give None.
void Print(const std::u16string& folder) {
  Table t(folder, u"SAMPLE");
  t.Open(Share::kShared, Access::kReadOnly);
  std::string rows;
  for (t.First(); !t.Eof(); t.Next()) {
    const std::u16string flag = t.AsText(u"ESTAREA");
    std::string row = "{\"COD\": " + Json(t.AsText(u"COD")) +
                      ", \"NOMBRE\": " + Json(t.AsText(u"NOMBRE")) + ", \"ESTAREA\": " +
                      (flag.empty()      ? "null"
                       : flag == u"True" ? "true"
                                         : "false");
    for (const char16_t* field : {u"DNI", u"HORAS"}) {
      const std::u16string number = t.AsText(field);
      row += ", \"" + ToUtf8(field) + "\": " + (number.empty() ? "null" : ToUtf8(number));
    }
    rows += (rows.empty() ? "" : ",\n") + row + "}";
  }
  std::printf("[%s]\n", rows.c_str());
}

}  // namespace
}  // namespace tpd

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_samples FOLDER\n");
    return 2;
  }
  try {
    const std::u16string folder = tpd::FromUtf8(argv[1]);
    tpd::Write(folder);
    tpd::Print(folder);
  } catch (const tpd::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
