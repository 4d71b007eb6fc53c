#include "ListRows.h"

#include <cstdio>

namespace {

const char kNotFound[] = "%s ( file not found ).";
const char kNotLoaded[] = "%s ( not loaded ).";

std::string NotFound(const char* path) {
  char buf[sizeof(CondInfo::szConduit) + sizeof kNotFound];
  snprintf(buf, sizeof buf, kNotFound, path);
  return buf;
}

std::string NotLoaded(const char* path) {
  char buf[sizeof(CondInfo::szConduit) + sizeof kNotLoaded];
  snprintf(buf, sizeof buf, kNotLoaded, path);
  return buf;
}

bool IsRemoved(const CondInfo* p) { return p && (p->dwFlags & kFlagRemoved); }

}  // namespace

CondRow AppCatalogueRow(const CondInfo& info, bool skipped) {
  CondRow row{info.szName, info.szCreatorID, "", kImgMissing};
  if (skipped) {
    row.file = NotLoaded(info.szConduit);
  } else if (info.nStatus == kStatusInstalled) {
    row.image = kImgInstalled;
    row.file = info.szConduit;
  } else if (info.szConduit[0] != '\0') {
    row.file = NotFound(info.szConduit);
  }
  return row;
}

CondRow AppRemovedRow(const CondInfo& info) {
  return CondRow{info.szName, info.szCreatorID, info.szConduit, kImgRemoved};
}

CondRow SysRow(const CondInfo& info, bool loaded, bool skipped) {
  char creator[16];
  snprintf(creator, sizeof creator, "0x%x", static_cast<unsigned>(info.dwCreatorID));
  if (skipped) return CondRow{info.szName, creator, NotLoaded(info.szConduit), kImgMissing};
  return CondRow{info.szName, creator, loaded ? std::string(info.szConduit) : NotFound(info.szConduit),
                 loaded ? kImgInstalled : kImgMissing};
}

AppButtons DecideAppButtons(unsigned selectedCount, const std::vector<const CondInfo*>& selected) {
  AppButtons b{false, false, false, false};
  if (selectedCount == 0) return b;
  b.change = true;
  if (selectedCount == 1) {
    if (selected.empty()) return b;  // no selected row found: all three off
    b.props = true;
    b.restore = IsRemoved(selected.front());
    b.uninst = !b.restore;
    return b;
  }
  b.props = true;
  for (const CondInfo* p : selected) {
    if (!p) continue;
    if (IsRemoved(p)) {
      b.restore = true;
    } else {
      b.uninst = true;
    }
  }
  return b;
}
