// transpelcardruv: the export and import runs from the console, for scripts and for Linux.
// What the dialog shows in a plain message box goes to standard output, one line each, in order;
// an error that ends a run goes to standard error as the standard error box shows it.
#include <CLI/CLI.hpp>

#include <exception>
#include <string>

#include "app/run_shape.h"
#include "app/table_folder.h"
#include "cli/console.h"
#include "cli/show_table.h"
#include "export/export_run.h"
#include "timetable/import_run.h"
#include "transfer/error.h"
#include "transfer/file_system.h"
#include "transfer/text.h"

namespace tpd::cli {
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

int Run(RunKind kind, const std::string& carpeta, const std::string& ptemp) {
  ConsoleFrontEnd ui;
  int estado = 0;
  const std::u16string folder = FolderInUse(carpeta);
  const std::u16string tables = ptemp.empty() ? TableFolderFor(folder) : FolderInUse(ptemp);
  try {
    RunOutcome outcome = RunButton(kind, folder, /*parameter_mode=*/true, estado, ui,
                                   [&](const std::u16string& dirTxt) {
                                     if (kind == RunKind::kExport) {
                                       ExportContext ctx{dirTxt, tables, estado, ui};
                                       ExportSteps(ctx);
                                     } else {
                                       ImportTimetable(ImportContext{dirTxt, tables, LocalNow});
                                     }
                                   });
    if (outcome == RunOutcome::kFolderMissing) return kNotDone;
    return estado == 1 ? kDone : kNotDone;
  } catch (const Error& e) {
    WriteErr(ErrorBoxText(e.text()));
  } catch (const std::exception& e) {
    WriteErr(ErrorBoxText(FromUtf8(e.what())));
  }
  return kRunError;
}

int Main(int argc, char** argv) {
  CLI::App app{"transpelcardruv: pasa los datos del centro entre DRUV y Pelcarin."};
  app.set_version_flag("--version", std::string("transpelcardruv ") + TPD_VERSION);
  app.require_subcommand(0, 1);

  std::string carpeta, ptemp;
  const char* carpeta_help =
      "Carpeta de los ficheros TXT de DRUV (por omisión, la carpeta actual).";
  const char* ptemp_help =
      "Carpeta de las tablas de Pelcarin (por omisión, PTEMP en la raíz de la unidad de la "
      "carpeta; fuera de Windows, /PTEMP).";
  CLI::App* exportar = app.add_subcommand(
      "exportar", "Transforma los ficheros TXT de DRUV en las tablas de Pelcarin.");
  CLI::App* importar = app.add_subcommand(
      "importar", "Escribe DRUV_HORARIO.TXT a partir del horario resuelto (SOLUC).");
  for (CLI::App* sub : {exportar, importar}) {
    sub->add_option("--carpeta", carpeta, carpeta_help);
    sub->add_option("--ptemp", ptemp, ptemp_help);
  }

  std::string nombre;
  int filas = 10;
  CLI::App* tabla = app.add_subcommand(
      "tabla", "Muestra el contenido de una tabla de Pelcarin (por ejemplo, ASIGNOMT).");
  tabla->add_option("nombre", nombre, "Nombre de la tabla, con o sin .DBF.")->required();
  tabla->add_option("--ptemp", ptemp, ptemp_help);
  tabla->add_option("--filas", filas, "Filas que se muestran (-1: todas; por omisión, 10).");

  std::vector<std::string> args = Arguments(argc, argv);
  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  try {
    app.parse(args);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : kBadUsage;
  }
  if (exportar->parsed()) return Run(RunKind::kExport, carpeta, ptemp);
  if (importar->parsed()) return Run(RunKind::kImport, carpeta, ptemp);
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
  std::cerr << app.help();
  return kBadUsage;
}

}  // namespace
}  // namespace tpd::cli

int main(int argc, char** argv) { return tpd::cli::Main(argc, argv); }
