#include "app/status_file.h"

#include <windows.h>

#include "transfer/error.h"
#include "transfer/text.h"

namespace tpd {

void WriteStatusFile(const std::u16string& path, int estado) {
  const std::u16string value = IntToText(estado);
  const BOOL written = WritePrivateProfileStringW(
      L"Transformadores", L"Transformado", reinterpret_cast<const wchar_t*>(value.c_str()),
      reinterpret_cast<const wchar_t*>(path.c_str()));
  if (!written) throw Error(Subst(u"Unable to write to %s", {path}));
}

}  // namespace tpd
