#pragma once
// Which file a registered library path means. HotSync runs from the Palm Desktop folder, so a
// bare file name or a relative path is found there, then in the system folder, the Windows
// folder and the folders of PATH; never in Kestrin's own folder. Records keep the registered
// text; the existence test, the load and the version read use the resolved full path.

#include <windows.h>

#include <string>
#include <vector>

// The folders of PATH in order, quotes taken off; empty entries stay empty.
std::vector<std::string> PathFolders();

// A file, not a folder.
bool IsPlainFile(const char* pszPath);

// The full path the registered text means, into szOut of MAX_PATH bytes. A relative path is
// found only as an existing file; an absolute one is only made canonical. False (szOut empty)
// for an empty path or a relative one that is nowhere.
bool ResolveLibraryPath(const char* pszPath, char* szOut);

// The resolved path in szBuf (MAX_PATH), or the registered text itself when it resolves to
// nothing, for reads such as the file version that then simply fail.
const char* LibraryFilePath(const char* pszPath, char* szBuf);

// The registered text means an existing file (a folder is no library file).
bool LibraryFileExists(const char* pszPath);

// While one lives, the folders searched are looked up once (a catalogue load resolves every
// registration); scopes nest.
class LibrarySearchScope {
 public:
  LibrarySearchScope();
  ~LibrarySearchScope();
  LibrarySearchScope(const LibrarySearchScope&) = delete;
  LibrarySearchScope& operator=(const LibrarySearchScope&) = delete;
};
