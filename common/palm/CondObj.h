#pragma once
// One conduit library loaded into the program: to test that it is a conduit and to ask it for
// its display name. Also the process-wide table behind CondInfo::hCondObj.

#include <windows.h>

#include <memory>

#include "format/CondInfo.h"
#include "misc/KxHandle.h"

class CCondObj {
 public:
  // Conduit exports use the C calling convention.
  using GetConduitNameFn = long(__cdecl*)(char*, WORD);

  // Opens the library at once; the object exists (closed) when that fails.
  explicit CCondObj(const char* pszPath);
  virtual ~CCondObj();

  CCondObj(const CCondObj&) = delete;
  CCondObj& operator=(const CCondObj&) = delete;

  // A missing or empty path changes nothing, so an open object keeps its library.
  // Otherwise the old library is released first. The path is resolved as HotSync would find it
  // (palm/LibraryPath.h) and loaded by its full path, its own DLLs from its folder; a library on
  // the skip list is not loaded at all. True when the new one loaded.
  bool Open(const char* pszPath);
  void Close();
  // What makes a library a valid conduit: it exports "OpenConduit".
  bool IsConduit() const { return m_pfnOpenConduit != nullptr; }
  // The library's "GetConduitName" into pszBuf of wCap bytes, terminated inside it; its result.
  // kPalmMissing, with pszBuf untouched, when the library has no such export (or no scratch page
  // could be had). The library never sees pszBuf: it writes into a scratch page preloaded with
  // the field, and only the text up to its first zero (at most wCap - 1 characters) comes back.
  int GetName(char* pszBuf, WORD wCap);
  // The last Open found the library on the skip list and did not load it.
  bool WasSkipped() const { return m_bSkipped; }

  bool IsOpen() const { return static_cast<bool>(m_pInst); }
  HMODULE GetModule() const { return m_pInst.get(); }

 private:
  kx::UniqueModule m_pInst;
  FARPROC m_pfnOpenConduit = nullptr;
  FARPROC m_pfnCfgConduit = nullptr;
  FARPROC m_pfnConfigureConduit = nullptr;
  FARPROC m_pfnGetConduitInfo = nullptr;
  GetConduitNameFn m_pfnGetConduitName = nullptr;
  FARPROC m_pfnGetConduitVersion = nullptr;
  char m_szPath[MAX_PATH] = {};  // the full path loaded, for the marker at release
  bool m_bSkipped = false;
};

// The table behind CondInfo::hCondObj. Handles count up from 1 and are never reused, so a stale
// byte copy of a record resolves to nullptr instead of another record's object.
// Takes the object over and returns its handle; 0 for no object.
CondObjHandle RegisterCondObj(std::unique_ptr<CCondObj> pObj);
// The object of a handle; nullptr for 0 or a released handle.
CCondObj* ResolveCondObj(CondObjHandle h);
// Destroys the object (unloading its library); an unknown handle does nothing.
void ReleaseCondObj(CondObjHandle h);

// Gives the record a new module object for its library path (this loads the library) and lets
// the library write its own name into the display name. The record owns the object from then on.
CCondObj* AttachCondObj(CondInfo& info);
