// tpdconsola: the export and import runs from the console, for scripts and for Linux.
// What the dialog shows in a plain message box goes to standard output, one line each, in order;
// an error that ends a run goes to standard error as the standard error box shows it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_shape.h"
#include "app/table_folder.h"
#include "cli/console.h"
#include "cli/show_table.h"
#include "cli/usage_error.h"
#include "export/export_run.h"
#include "report/run_summary.h"
#include "report/validate.h"
#include "timetable/import_run.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd {
namespace {

// Exit statuses.
constexpr int kDone = 0;        // the run completed with estado 1
constexpr int kNotDone = 1;     // completed with estado 0 or -1, or stopped at a missing folder
constexpr int kRunError = 2;    // an error ended the run
constexpr int kBadUsage = 64;   // the command line could not be understood

class ConsoleFrontEnd : public FrontEnd {
 public:
  void ShowMessage(std::u16string_view text) override { WriteOut(text); }
  void SetBusy(bool) override {}
};

// The folder as the folder chooser would give it: absolute, without a trailing separator except
// at the root.
std::u16string FolderInUse(const std::string& given) {
  std::u16string folder = given.empty() ? CurrentDirectory() : AbsolutePath(FromUtf8(given));
  while (folder.size() > 1 && IsPathSeparator(folder.back()) &&
         !(folder.size() == 3 && folder[1] == u':')) {
    folder.pop_back();
  }
  return folder;
}

int Run(RunKind kind, const std::string& carpeta, const std::string& ptemp, bool resumen) {
  ConsoleFrontEnd ui;
  RunCounters counters;
  RunCounters* const sink = resumen ? &counters : nullptr;
  int estado = 0;
  const std::u16string folder = FolderInUse(carpeta);
  const std::u16string tables = ptemp.empty() ? TableFolderFor(folder) : FolderInUse(ptemp);
  try {
    RunOutcome outcome = RunButton(kind, folder, /*parameter_mode=*/true, estado, ui,
                                   [&](const std::u16string& dirTxt) {
                                     if (kind == RunKind::kExport) {
                                       ExportContext ctx{dirTxt, tables, estado, ui, sink};
                                       ExportSteps(ctx);
                                     } else {
                                       ImportTimetable(
                                           ImportContext{dirTxt, tables, LocalNow, sink});
                                     }
                                   });
    if (outcome == RunOutcome::kFolderMissing) return kNotDone;
    if (resumen) {
      for (const std::u16string& line : SummaryLines(counters)) WriteOut(line);
    }
    return estado == 1 ? kDone : kNotDone;
  } catch (const Error& e) {
    WriteErr(ErrorBoxText(e.text()));
  } catch (const std::exception& e) {
    WriteErr(ErrorBoxText(FromUtf8(e.what())));
  }
  return kRunError;
}

// Checks the transfer files of the folder as an export would read them; writes nothing.
int Validate(const std::string& carpeta, const std::string& ptemp) {
  const std::u16string folder = FolderInUse(carpeta);
  const std::u16string tables = ptemp.empty() ? TableFolderFor(folder) : FolderInUse(ptemp);
  const std::u16string dirTxt = folder + std::u16string(PathSeparator());
  if (!FolderExists(dirTxt)) {
    WriteOut(u"No existe la carpeta");
    return kNotDone;
  }
  try {
    const Validation v = ValidateTransferFiles(dirTxt, tables);
    for (const std::u16string& line : ValidationLines(v)) WriteOut(line);
    return ValidationExitStatus(v);
  } catch (const Error& e) {
    WriteErr(ErrorBoxText(e.text()));
  } catch (const std::exception& e) {
    WriteErr(ErrorBoxText(FromUtf8(e.what())));
  }
  return kRunError;
}

// Where the descriptions start in the parser's own help, less the two-space indent.
constexpr std::size_t kHelpColumn = 28;

// The options of the commands, for the general help: each with its default and the commands that
// take it, from the commands' own definitions so that both helps say the same.
std::string CommandOptionsHelp(const CLI::App& app) {
  std::vector<const CLI::Option*> options;
  std::map<std::string, std::vector<std::string>> commands_of;
  for (const CLI::App* sub : app.get_subcommands({})) {
    for (const CLI::Option* o : sub->get_options()) {
      if (o == sub->get_help_ptr() || !o->nonpositional()) continue;
      std::vector<std::string>& commands = commands_of[o->get_name()];
      if (commands.empty()) options.push_back(o);
      commands.push_back(sub->get_name());
    }
  }
  std::string text = "Opciones de las órdenes (se escriben detrás de la orden):\n";
  for (const CLI::Option* o : options) {
    std::string written = o->get_name();
    if (o->get_expected_max() != 0) written += " " + o->get_type_name();
    written.resize(std::max<std::size_t>(written.size() + 2, kHelpColumn), ' ');
    const std::vector<std::string>& commands = commands_of[o->get_name()];
    std::string where;
    for (std::size_t i = 0; i < commands.size(); ++i) {
      where += (i == 0 ? "" : i + 1 == commands.size() ? " y " : ", ") + commands[i];
    }
    text += "  " + written + o->get_description() + "\n" + std::string(kHelpColumn + 2, ' ') +
            "Vale para " + where + ".\n";
  }
  return text;
}

constexpr const char* kExitStatusHelp =
    "Ejemplos:\n"
    "  tpdconsola exportar --carpeta C:\\Escuela\\Druv --resumen\n"
    "  tpdconsola importar --carpeta C:\\Escuela\\Druv\n"
    "  tpdconsola validar --carpeta C:\\Escuela\\Druv\n"
    "  tpdconsola tabla ASIGNOMT\n"
    "\n"
    "Códigos de salida:\n"
    "  0   exportar/importar: terminó bien (estado 1); validar: la exportación terminaría bien\n"
    "  1   terminó, pero faltaba algún fichero o la carpeta no existe (validar: faltaría un "
    "fichero)\n"
    "  2   un error detuvo el proceso (validar: la exportación se detendría)\n"
    "  64  la orden está mal escrita\n"
    "Los mensajes y resúmenes salen por la salida estándar; los errores, por la de errores.";

int Main(int argc, char** argv) {
  CLI::App app{"tpdconsola: pasa los datos del centro entre DRUV y Pelcarin."};
  app.name("tpdconsola");
  // The help in Spanish, for subcommands too: they take the formatter and help flag from here.
  for (const auto& [word, spanish] :
       {std::pair{"Usage", "Uso"}, {"Options", "Opciones"}, {"Subcommands", "Órdenes"},
        {"SUBCOMMAND", "ORDEN"}, {"SUBCOMMANDS", "ÓRDENES"}, {"OPTIONS", "OPCIONES"},
        {"Positionals", "Argumentos"}, {"TEXT", "TEXTO"}, {"INT", "ENTERO"},
        {"REQUIRED", "OBLIGATORIO"}}) {
    app.get_formatter()->label(word, spanish);
  }
  app.option_defaults()->group("Opciones");
  app.set_help_flag("-h,--help", "Muestra esta ayuda y termina.");
  app.set_version_flag("--version", std::string("tpdconsola ") + TPD_VERSION,
                       "Muestra la versión y termina.");
  app.require_subcommand(0, 1);

  std::string carpeta, ptemp;
  const char* carpeta_help =
      "Carpeta de los ficheros TXT de DRUV (por omisión, la carpeta actual).";
  const char* ptemp_help =
      "Carpeta de las tablas de Pelcarin (por omisión, PTEMP en la raíz de la unidad de la "
      "carpeta en uso; fuera de Windows, /PTEMP).";
  CLI::App* exportar = app.add_subcommand(
      "exportar", "Transforma los ficheros TXT de DRUV en las tablas de Pelcarin.");
  CLI::App* importar = app.add_subcommand(
      "importar", "Escribe DRUV_HORARIO.TXT a partir del horario resuelto (SOLUC).");
  for (CLI::App* sub : {exportar, importar}) sub->group("Órdenes");
  bool resumen = false;
  for (CLI::App* sub : {exportar, importar}) {
    sub->add_option("--carpeta", carpeta, carpeta_help)->type_name("DIR");
    sub->add_option("--ptemp", ptemp, ptemp_help)->type_name("DIR");
    sub->add_flag("--resumen", resumen,
                  "Al final, filas escritas por tabla y registros pasados por alto, con el motivo "
                  "(sin ella, sólo los mensajes del proceso).");
  }
  exportar->footer(
      "Ejemplo:\n  tpdconsola exportar --carpeta C:\\Escuela\\Druv --resumen");
  importar->footer("Ejemplo:\n  tpdconsola importar --carpeta C:\\Escuela\\Druv");

  CLI::App* validar = app.add_subcommand(
      "validar",
      "Revisa los ficheros TXT de DRUV como los leería exportar, sin escribir nada, y dice qué "
      "detendría la exportación o qué datos se perderían.");
  validar->group("Órdenes");
  validar->add_option("--carpeta", carpeta, carpeta_help)->type_name("DIR");
  validar->add_option("--ptemp", ptemp, ptemp_help)->type_name("DIR");
  validar->footer(
      "Ejemplo:\n  tpdconsola validar --carpeta C:\\Escuela\\Druv\n"
      "Salida: 0 la exportación terminaría bien, 1 faltaría algún fichero, 2 se detendría por un "
      "error.");

  std::string nombre;
  int filas = 10;
  CLI::App* tabla = app.add_subcommand(
      "tabla", "Muestra el contenido de una tabla de Pelcarin (por ejemplo, ASIGNOMT).");
  tabla->group("Órdenes");
  tabla->add_option("NOMBRE", nombre, "Nombre de la tabla, con o sin .DBF.")
      ->required()
      ->type_name("");
  tabla->add_option("--ptemp", ptemp, ptemp_help)->type_name("DIR");
  tabla->add_option("--filas", filas, "Filas que se muestran (-1: todas; por omisión, 10).")
      ->type_name("N")
      ->check(CLI::Range(-1, std::numeric_limits<int>::max()).description(""));
  tabla->footer("Ejemplo:\n  tpdconsola tabla ASIGNOMT --filas 20");
  app.footer(CommandOptionsHelp(app) + "\n" + kExitStatusHelp);

  for (CLI::App* sub : {exportar, importar, validar, tabla}) {
    sub->get_help_ptr()->group("Opciones");
  }

  std::vector<std::string> args = Arguments(argc, argv);
  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  try {
    app.parse(args);
  } catch (const CLI::Success& e) {
    // --help or --version: written as every other line, so that a Windows console shows the
    // accents of the help as the runs' messages show theirs.
    std::ostringstream text;
    const int rc = app.exit(e, text, text);
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) WriteOut(FromUtf8(line));
    return rc;
  } catch (const CLI::ParseError& e) {
    for (const std::string& line : UsageErrorLines(e, app)) WriteErr(FromUtf8(line));
    return kBadUsage;
  }
  if (exportar->parsed()) return Run(RunKind::kExport, carpeta, ptemp, resumen);
  if (importar->parsed()) return Run(RunKind::kImport, carpeta, ptemp, resumen);
  if (validar->parsed()) return Validate(carpeta, ptemp);
  if (tabla->parsed()) {
    try {
      const std::u16string tables =
          ptemp.empty() ? TableFolderFor(FolderInUse("")) : FolderInUse(ptemp);
      ShowTable(tables, FromUtf8(nombre), filas);
      return kDone;
    } catch (const Error& e) {
      WriteErr(ErrorBoxText(e.text()));
    } catch (const std::exception& e) {
      WriteErr(ErrorBoxText(FromUtf8(e.what())));
    }
    return kRunError;
  }
  for (const std::string& line : MissingCommandLines(app)) WriteErr(FromUtf8(line));
  return kBadUsage;
}

}  // namespace
}  // namespace tpd

int main(int argc, char** argv) { return tpd::Main(argc, argv); }
