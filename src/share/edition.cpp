#include "share/edition.h"

namespace qv {

AnsiString EditionSubfolder(std::int32_t edition) {
  return AnsiString(edition == kSecondEdition ? "quarnelvelto" : "BrevakVelto");
}

AnsiString EditionRemarkPrefix(std::int32_t edition) {
  return AnsiString(edition == kSecondEdition ? "Quarnel財務 共有フォルダ:"
                                              : "ブレバク財務 共有フォルダ:");
}

}  // namespace qv
