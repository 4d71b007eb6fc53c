#pragma once
// Small shared services over Windows: the program folder (home of all the program's own files),
// a file's version numbers and creation time, and the shell's "open".

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

// The program's thread error mode: no system box for a missing disk, a file that cannot be
// opened or a library that does not load, since conduit libraries are loaded and probed all the
// time. WinMain sets it first; the libraries loaded afterwards inherit it.
const DWORD kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
bool SetQuietErrorMode();

// Writes the folder of the module's file, drive and folder with a trailing backslash, into
// szBuf of MAX_PATH (260) bytes. hModule nullptr means the running program. False when there is
// no buffer or the module's file name cannot be had (szBuf is then empty).
bool GetProgramFolder(HMODULE hModule, char* szBuf);

// Tests run the program's code against a folder of their own: while an override is set,
// GetProgramFolder(nullptr, ...) returns it (give it with its trailing backslash). nullptr clears.
void SetProgramFolderOverride(const char* szFolder);

// Drive and folder of a full path ("D:\\kestrin.exe" gives "D:\\"), cut to cap and terminated.
void SplitProgramFolder(const char* szPath, char* szBuf, size_t cap);

// The fixed file version of a file. The four outputs are always set, to 0 on failure.
bool GetFileVersion(const char* szPath, int* pnMajor, int* pnMinor, int* pnRelease, int* pnBuild);

// Shows a version the way the program does everywhere: "%d.%d.%d.%04d".
char* FormatFileVersion(char* szBuf, size_t cap, int nMajor, int nMinor, int nRelease, int nBuild);

// The file's creation time in local time. False (pTime untouched) when the file cannot be
// opened without sharing, e.g. it is missing or held open elsewhere.
bool GetFileCreationTime(const char* szPath, SYSTEMTIME* pTime);

// Asks the shell to "open" a document, program or web address; what the shell then does is
// not checked. False only for a null or empty argument.
bool ShellOpen(const char* szTarget);

// Replaces what ShellOpen hands its argument to (an empty one restores the shell); returns the
// previous opener.
using ShellOpener = std::function<void(const char*)>;
ShellOpener SetShellOpener(ShellOpener opener);

// The target of a shell shortcut (.lnk); false when it is none or names nothing.
bool ResolveShortcut(const char* szLink, std::string& target);

// Opens the file's folder in Explorer with the file selected: explorer.exe /select,"<path>".
// False only for a null or empty path.
bool ShowInFolder(const char* szPath);
// Replaces what ShowInFolder hands the path to (an empty one restores Explorer).
ShellOpener SetFolderShower(ShellOpener shower);
