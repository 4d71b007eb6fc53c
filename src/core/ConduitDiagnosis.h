#pragma once
// Why a registered conduit would not work, or what HotSync will do with it when it would: one
// cause per record, found from its files (read, not trusted to the loader: Wine binds a missing
// import to a stub), the skip list, the catalogues and, last, a real load. Runs only when asked;
// a DiagnosisCache keeps the answers until the next Refresh.

#include <map>
#include <string>

#include "format/CondInfo.h"

class CCondMgr;

enum class Cause {
  Healthy,
  Removed,          // uninstalled by Kestrin, can be restored
  FileMissing,
  FolderMissing,    // the file and its folder
  DriveMissing,     // the file's drive is not there at all
  NamesFolder,      // the path is a folder
  Skipped,          // on the skip list after it stopped the program
  Unreadable,
  NotLibrary,       // not a Windows library (or not a DLL)
  Library16,        // a 16-bit module
  OtherProcessor,   // neither i386 nor AMD64
  Library64,        // a 64-bit library, which 32-bit HotSync cannot use
  Library32,        // a 32-bit library this 64-bit Kestrin cannot load (HotSync can)
  DllMissing,       // an imported DLL is found nowhere
  FunctionMissing,  // a found DLL lacks an imported function or ordinal
  NoOpenConduit,
  StartRefused,     // the load failed though the files look right
  DuplicateCreator, // another application record holds the same creator ID
};
constexpr Cause kLastCause = Cause::DuplicateCreator;  // a new cause goes before, or moves this

// What the text tells the user to do.
enum class Remedy { None, Restore, Reinstall, InstallRuntime, Uninstall, Use32Bit };

enum class Catalogue { Application, System };

struct DiagnosisContext {
  Catalogue catalogue = Catalogue::Application;
  CCondMgr* application = nullptr;  // the application catalogue, for duplicate creator IDs
  bool removed = false;             // the record is in the removed list
  std::string palmFolder;           // the Palm Desktop folder; empty: as registered
};

struct Diagnosis {
  Cause cause = Cause::Healthy;
  Remedy remedy = Remedy::None;
  std::string file;      // the library's full path, or the registered text when it is nowhere
  std::string place;     // the missing folder or drive, or the machine type
  std::string dll;       // the DLL found nowhere, or the one that lacks the function
  std::string through;   // the DLL of ours that imports `dll`, when not the library itself
  std::string function;  // the function, or "#12" for an ordinal
  std::string other;     // the other record holding the creator ID
  std::string text;      // the whole sentence for the user

  bool IsProblem() const;  // InTrouble(cause)
};

Diagnosis DiagnoseConduit(const CondInfo& info, const DiagnosisContext& ctx);

// The remedy a cause's text gives.
Remedy RemedyOf(Cause cause);
// The cause in a few words ("Needed DLL missing").
const char* CauseTitle(Cause cause);
// The cause's text with its blanks ("{file} needs {dll}{through}, ..."), as the help lists it.
const char* CauseTemplate(Cause cause);
// Whether HotSync would fail with the conduit: every cause but nothing wrong, uninstalled by
// Kestrin, and a 32-bit library seen from the 64-bit Kestrin.
bool InTrouble(Cause cause);

// Answers by record (catalogue, creator ID, path, removed) until Clear, which Refresh calls.
class DiagnosisCache {
 public:
  const Diagnosis& Get(const CondInfo& info, const DiagnosisContext& ctx);
  void Clear() { m_answers.clear(); }
  size_t Size() const { return m_answers.size(); }

 private:
  std::map<std::string, Diagnosis> m_answers;
};
