#pragma once
// The safe start. While the program loads a conduit library, asks it for its name or releases
// it, the marker KestrinLoad.dat in the program folder names that library: a run that crashed or
// hung inside a library leaves its name behind for the next start to ask about. Libraries the
// user then chose to start without are on the skip list KestrinSkip.dat and are loaded nowhere.

#include <windows.h>

#include <cstddef>

#include "format/SkipList.h"

namespace safeload {

const char kMarkerFile[] = "KestrinLoad.dat";
const char kSkipFile[] = "KestrinSkip.dat";
const size_t kMarkerSize = 260;  // one zero-padded path at offset 0

// Keeps the marker file open for a load of many libraries and reads the skip list once for it.
// Sessions nest; the outermost closes the file. A library marked outside any session opens the
// file for itself.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

// The marker names pszFullPath while the object lives and holds zeros afterwards. Written with
// WriteFile only: what it wrote survives a crash of the process.
class Mark {
 public:
  explicit Mark(const char* pszFullPath);
  ~Mark();
  Mark(const Mark&) = delete;
  Mark& operator=(const Mark&) = delete;

 private:
  bool m_bOwnFile = false;
};

// The library the marker names into szBuf (kMarkerSize bytes); false when it names none.
bool ReadMarker(char* szBuf);
void ClearMarker();

// True when the library is on the skip list and still the file that was put there. An entry
// whose file changed (size or last-write time) or is gone is dropped.
bool IsSkipped(const char* pszFullPath);
// Puts the library on the list with its present size and time; false when the list could not
// be written.
bool AddSkip(const char* pszFullPath);
// Takes the library off the list; nothing when it is not on it.
void DropSkip(const char* pszFullPath);

}  // namespace safeload
