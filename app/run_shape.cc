#include "app/run_shape.h"

#include "transfer/error.h"
#include "transfer/file_system.h"

namespace tpd {
namespace {

// The busy cursor goes back to normal however the work ends.
class BusyCursor {
 public:
  explicit BusyCursor(FrontEnd& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyCursor() { Release(); }
  void Release() {
    if (on_) ui_.SetBusy(false);
    on_ = false;
  }

 private:
  FrontEnd& ui_;
  bool on_ = true;
};

}  // namespace

RunOutcome RunButton(RunKind kind, const std::u16string& folder_in_use, bool parameter_mode,
                     int& estado, FrontEnd& ui,
                     const std::function<void(const std::u16string& dirTxt)>& work) {
  // At a drive's root the folder already ends in a separator and dirTxt gets two; the file system
  // reads the doubled separator as one.
  const std::u16string dirTxt = folder_in_use + std::u16string(PathSeparator());

  if (!FolderExists(dirTxt)) {
    ui.ShowMessage(u"No existe la carpeta");
    if (parameter_mode) estado = kind == RunKind::kExport ? -1 : 0;
    return RunOutcome::kFolderMissing;
  }

  {
    BusyCursor busy(ui);
    try {
      work(dirTxt);
    } catch (...) {
      // A run that stopped half-way must never leave "1" for the timetabler to read.
      if (kind == RunKind::kExport) estado = -1;
      throw;
    }
  }
  if (kind == RunKind::kImport) estado = 1;
  ui.ShowMessage(u"Proceso finalizado");
  return RunOutcome::kCompleted;
}

}  // namespace tpd
