#pragma once
// What a table row shows and which group buttons a selection enables: decisions only, no window.

#include <string>
#include <vector>

#include "format/CondInfo.h"

// Pictures of ilCond.
enum CondImage { kImgInstalled = 0, kImgRemoved = 1, kImgMissing = 2 };

struct CondRow {
  std::string name;
  std::string creator;
  std::string file;
  int image;
};

// A catalogue record of the application table: present by its status. A library on the skip
// list shows as not loaded, whatever its status.
CondRow AppCatalogueRow(const CondInfo& info, bool skipped = false);
// A removed conduit of the application table.
CondRow AppRemovedRow(const CondInfo& info);
// A record of the system table: present when its library loaded and exports "OpenConduit".
CondRow SysRow(const CondInfo& info, bool loaded, bool skipped = false);

// Enable states of "&UnInstall", "Res&tore" and "&Properties"; `change` false: leave them as
// they are.
struct AppButtons {
  bool change;
  bool uninst;
  bool restore;
  bool props;
};
// `selectedCount` as the table reports it; `selected` the records of the selected rows in table
// order (a row without a record is a null entry). With a count of one, an empty `selected` means
// the table found no selected row.
AppButtons DecideAppButtons(unsigned selectedCount, const std::vector<const CondInfo*>& selected);
