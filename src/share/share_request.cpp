#include "share/share_request.h"

#include "share/share_input.h"

namespace qv {

ShareRequest PrepareShareRequest(const AnsiString& pathText, const AnsiString& nameText) {
  // C:\VeltoData\ would name a folder that the existence test finds but the share cannot use.
  return {DropTrailingBackslashes(pathText), Trim(nameText)};
}

ShareRefusal CheckSharePath(const ShareRequest& request) {
  if (Trim(request.path).empty()) return ShareRefusal::EmptyPath;
  // A relative path would make folders wherever the program was started; a network path is not
  // this computer's to share.
  if (!IsLocalAbsolutePath(request.path)) return ShareRefusal::UnsuitablePath;
  return ShareRefusal::None;
}

ShareRefusal CheckShareName(const ShareRequest& request) {
  if (request.name.empty()) return ShareRefusal::EmptyName;
  // The server would refuse these only after the folders were made.
  if (!IsUsableShareName(request.name)) return ShareRefusal::UnusableName;
  // A cut name would be shared under a name nobody gave, and /check would not find it.
  if (request.name.size() > kShareNameByteLimit) return ShareRefusal::NameTooLong;
  return ShareRefusal::None;
}

}  // namespace qv
