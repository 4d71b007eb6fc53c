// Command-line helper for demo set-ups: registers conduits through the condmgr.dll beside it
// (so the library's own entry points do the work) and writes install conduit keys.
//   palmreg add <creator> <library> <title> [directory [file [priority [remote]]]]
//   palmreg backup <library>
//   palmreg install <creator> <library> <name>
//   palmreg clear      removes every Application%d and InstallConduit%d key and the fault switches
//   palmreg list
//   palmreg custom     asks the running HotSync Manager for its Custom dialog (HSAPI.DLL)
#include "StandIn.h"

#include <cstdlib>

namespace {

typedef int(WINAPI* TextFn)(char*, char*);
typedef int(WINAPI* IntFn)(char*, int);
typedef int(WINAPI* GetTextFn)(char*, char*, int*);
typedef int(WINAPI* BackupFn)(char*);
typedef int(WINAPI* CountFn)(void);
typedef int(WINAPI* CreatorAtFn)(int, char*, int*);
typedef int(WINAPI* GetBackupFn)(char*, int*);

HMODULE g_lib;

template <typename Fn>
Fn Entry(const char* name) {
  FARPROC p = GetProcAddress(g_lib, name);
  if (!p) {
    fprintf(stderr, "palmreg: condmgr.dll lacks %s\n", name);
    exit(1);
  }
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

void Check(const char* what, int rc) {
  if (rc != 0) {
    fprintf(stderr, "palmreg: %s answered %d\n", what, rc);
    exit(1);
  }
}

HMODULE LoadBeside(const char* file) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = strrchr(path, '\\');
  if (!slash) return nullptr;
  strcpy(slash + 1, file);
  HMODULE m = LoadLibraryA(path);
  if (!m) fprintf(stderr, "palmreg: cannot load %s\n", path);
  return m;
}

bool LoadCondMgr() { return (g_lib = LoadBeside("condmgr.dll")) != nullptr; }

int Custom() {
  g_lib = LoadBeside("HSAPI.DLL");
  if (!g_lib) return 1;
  int rc = Entry<CountFn>("HsDisplayCustomDlg")();
  printf("HsDisplayCustomDlg answered %d\n", rc);
  return rc == 0 ? 0 : 1;
}

int Add(int argc, char** argv) {
  char* creator = argv[2];
  char empty[1] = "";
  char* dir = argc > 5 ? argv[5] : empty;
  char* file = argc > 6 ? argv[6] : empty;
  int priority = argc > 7 ? atoi(argv[7]) : 2;
  char* remote = argc > 8 ? argv[8] : empty;
  Check("CmInstallCreator", Entry<IntFn>("CmInstallCreator")(creator, 1));
  Check("CmSetCreatorName", Entry<TextFn>("CmSetCreatorName")(creator, argv[3]));
  Check("CmSetCreatorDirectory", Entry<TextFn>("CmSetCreatorDirectory")(creator, dir));
  Check("CmSetCreatorFile", Entry<TextFn>("CmSetCreatorFile")(creator, file));
  Check("CmSetCreatorPriority", Entry<IntFn>("CmSetCreatorPriority")(creator, priority));
  Check("CmSetCreatorRemote", Entry<TextFn>("CmSetCreatorRemote")(creator, remote));
  Check("CmSetCreatorTitle", Entry<TextFn>("CmSetCreatorTitle")(creator, argv[4]));
  return 0;
}

int Install(char** argv) {
  char path[300];
  ks::InstallKey(ks::DenseCount(ks::InstallKey), path, sizeof path);
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS) {
    fprintf(stderr, "palmreg: cannot create %s\n", path);
    return 1;
  }
  LONG rc = ks::WriteText(h, "Conduit", argv[3]);
  if (rc == ERROR_SUCCESS) rc = ks::WriteText(h, "Creator", argv[2]);
  if (rc == ERROR_SUCCESS) rc = ks::WriteText(h, "Name", argv[4]);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

bool StartsWith(const char* s, const char* prefix) { return strncmp(s, prefix, strlen(prefix)) == 0; }

int Clear() {
  HKEY root;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, KS_ROOT, 0, KEY_READ, &root) != ERROR_SUCCESS) return 0;
  // Collect first: deleting while enumerating shifts the enumeration.
  std::string doomed;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(root, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (StartsWith(name, "Application") || StartsWith(name, "InstallConduit") ||
        strcmp(name, "StandIn Faults") == 0)
      doomed += std::string(name) + '\n';
  }
  RegCloseKey(root);
  for (size_t at = 0, end; (end = doomed.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string key = std::string(KS_ROOT "\\") + doomed.substr(at, end - at);
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  }
  return 0;
}

int List() {
  int count = Entry<CountFn>("CmGetConduitCount")();
  printf("%d conduit(s)\n", count);
  for (int i = 0; i < count; ++i) {
    char creator[5] = "", library[260] = "", title[64] = "";
    int cap5 = 5, cap260 = 260, cap64 = 64;
    Entry<CreatorAtFn>("CmGetConduitCreatorID")(i, creator, &cap5);
    Entry<GetTextFn>("CmGetCreatorName")(creator, library, &cap260);
    Entry<GetTextFn>("CmGetCreatorTitle")(creator, title, &cap64);
    printf("%d %s \"%s\" %s\n", i, creator, title, library);
  }
  char backup[260] = "";
  int cap = 260;
  Entry<GetBackupFn>("CmGetBackupConduit")(backup, &cap);
  printf("backup %s\n", backup);
  return 0;
}

int Usage() {
  fprintf(stderr,
          "usage: palmreg add <creator> <library> <title> [directory [file [priority [remote]]]]\n"
          "       palmreg backup <library>\n"
          "       palmreg install <creator> <library> <name>\n"
          "       palmreg clear | list | custom\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* cmd = argv[1];
  if (strcmp(cmd, "clear") == 0) return Clear();
  if (strcmp(cmd, "install") == 0) return argc == 5 ? Install(argv) : Usage();
  if (strcmp(cmd, "custom") == 0) return Custom();
  if (!LoadCondMgr()) return 1;
  if (strcmp(cmd, "add") == 0) return argc >= 5 && argc <= 9 ? Add(argc, argv) : Usage();
  if (strcmp(cmd, "backup") == 0 && argc == 3) {
    Check("CmSetBackupConduit", Entry<BackupFn>("CmSetBackupConduit")(argv[2]));
    return 0;
  }
  if (strcmp(cmd, "list") == 0) return List();
  return Usage();
}
