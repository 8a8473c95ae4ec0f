// The listing's decisions that do not depend on the system: which entries are passed over,
// how a passed-over entry looks, and which search code an error gives.
#include "platform/DirReader.h"

#include <algorithm>
#include <cerrno>

#include "platform/DirEntryFill.h"
#include "platform/NotReadyErrors.h"

namespace talvenor::platform {

bool IsDotName(std::string_view name) { return name == "." || name == ".."; }

void FillKindOnly(DirEntry& entry, std::string_view name, EntryKind kind) {
  entry.name.assign(name);
  entry.kind = kind;
  entry.size = 0;
  entry.writeTime = 0;
  entry.indirect = entry.otherNames = false;
}

void FillPassedLink(DirEntry& entry, std::string_view name) {
  entry.name.assign(name);
  entry.kind = EntryKind::PassedLink;
  entry.size = 0;
  entry.writeTime = 0;
  entry.indirect = true;
  entry.otherNames = false;
  entry.device = entry.inode = 0;
}

int DirReader::CodeForErrno(int err, bool listedByParent) {
  if (std::ranges::find(kNotReadyErrors, err) != std::end(kNotReadyErrors)) return kSearchNotReady;
  switch (err) {
    case 0:
      return kSearchOk;
    case EACCES:
    case EPERM:
      return kSearchAccessDenied;
    case ENOENT:
    case ENOTDIR:
      return listedByParent ? kSearchNotFound : kSearchPathNotFound;
    case ENAMETOOLONG:
      return kSearchPathTooLong;
    default:
      // Keep other errno values distinct from the codes above so they read as "any other".
      return err == kSearchNotFound || err == kSearchPathNotFound || err == kSearchAccessDenied ||
                     err == kSearchNotReady || err == kSearchPathTooLong
                 ? 1000 + err
                 : err;
  }
}

}  // namespace talvenor::platform
