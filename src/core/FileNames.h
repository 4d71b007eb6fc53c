#pragma once
// The names of the program's own files in its folder, and which names it can use there: each
// must fit in a Windows path (259 characters) together with the suffix of a safe write's
// temporary file.

#include <string>

// Every name the program itself writes in its folder, its longest proposed backup set included.
extern const char* const kProgramFileNames[];
extern const size_t kProgramFileNameCount;

// The full path of one of them in the program folder; false when the folder is unknown.
bool ProgramFilePath(const char* name, std::string* pPath);

// The folder (with its trailing backslash) and the name, plus the temporary suffix, fit.
bool FitsInFolder(const char* folder, const char* name);
// A folder in which one of the program's own files would not fit.
bool ProgramFolderTooLong(const char* folder);

// A name the user may give a new backup set in that folder: not empty, none of \ / : * ? " < > |
// or control characters, no device name (CON, NUL, COM1, ... also with an extension), not
// ending in a dot or a blank, and fitting in the folder.
bool IsValidSetName(const char* name, const char* folder);

namespace filetext {
extern const char kFolderTooLong[];   // one %s: the folder
extern const char kInvalidSetName[];  // no %s
}  // namespace filetext
