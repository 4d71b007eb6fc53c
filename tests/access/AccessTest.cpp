// What a screen reader learns of every window: the skinned controls' own accessible objects
// (name, role, state, shortcut), the standard controls' captions and the labels just before
// their boxes, and the Tab order against each window's layout.
#include <windows.h>

#include <oleacc.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AccessWalk.h"
#include "TestSupport.h"
#include "ui/Accessible.h"
#include "ui/SkinControls.h"

namespace atest {
namespace {

using itest::Text;

struct ReleaseCom {
  void operator()(IUnknown* p) const {
    if (p) p->Release();
  }
};
using AccPtr = std::unique_ptr<IAccessible, ReleaseCom>;

class Bstr {
 public:
  ~Bstr() { SysFreeString(m_b); }
  BSTR* out() { return &m_b; }
  std::string str() const {
    if (!m_b) return "";
    char buf[512] = {};
    WideCharToMultiByte(CP_ACP, 0, m_b, -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
  }

 private:
  BSTR m_b = nullptr;
};

// What WM_GETOBJECT gives for OBJID_CLIENT, read the way a client reads it.
struct Seen {
  bool answered = false;
  std::string name, shortcut, action;
  long role = 0, state = 0;
};

// WM_GETOBJECT for OBJID_CLIENT, as a screen reader asks; where the marshalling fails (Wine 8),
// the same handler's answer without it.
AccPtr ClientObject(HWND h) {
  const LRESULT res = SendMessageA(h, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  IAccessible* acc = nullptr;
  if (res > 0 &&
      SUCCEEDED(ObjectFromLresult(res, IID_IAccessible, 0, reinterpret_cast<void**>(&acc)))) {
    return AccPtr(acc);
  }
  return AccPtr(kui::InThreadAccessible(h));
}

Seen Read(HWND h) {
  Seen s;
  AccPtr acc = ClientObject(h);
  if (!acc) return s;
  s.answered = true;
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  Bstr name, key, action;
  acc->get_accName(self, name.out());
  acc->get_accKeyboardShortcut(self, key.out());
  acc->get_accDefaultAction(self, action.out());
  s.name = name.str();
  s.shortcut = key.str();
  s.action = action.str();
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(acc->get_accRole(self, &v)) && v.vt == VT_I4) s.role = v.lVal;
  VariantInit(&v);
  if (SUCCEEDED(acc->get_accState(self, &v)) && v.vt == VT_I4) s.state = v.lVal;
  return s;
}

const long kAsked = STATE_SYSTEM_DEFAULT | STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE |
                    STATE_SYSTEM_INVISIBLE;
const long kPush = ROLE_SYSTEM_PUSHBUTTON, kRadio = ROLE_SYSTEM_RADIOBUTTON,
           kGroup = ROLE_SYSTEM_GROUPING, kLink = ROLE_SYSTEM_LINK;
const long kDefault = STATE_SYSTEM_DEFAULT, kChecked = STATE_SYSTEM_CHECKED,
           kHidden = STATE_SYSTEM_INVISIBLE;

struct Skinned {
  HWND h;
  const char* name;
  long role;
  long state;  // of kAsked; a disabled control adds UNAVAILABLE itself
  const char* shortcut;
};

void ExpectSkinned(const std::vector<Skinned>& table) {
  for (const Skinned& e : table) {
    SCOPED_TRACE(e.name);
    const Seen s = Read(e.h);
    ASSERT_TRUE(s.answered);
    EXPECT_EQ(e.name, s.name);
    EXPECT_EQ(e.role, s.role);
    const long disabled = IsWindowEnabled(e.h) ? 0 : STATE_SYSTEM_UNAVAILABLE;
    EXPECT_EQ(e.state | disabled, s.state & kAsked);
    EXPECT_EQ(e.shortcut, s.shortcut);
    // The focus, where it can go, is told too.
    if (e.role != kGroup && IsWindowVisible(e.h) && IsWindowEnabled(e.h)) {
      SetFocus(e.h);
      EXPECT_TRUE(Read(e.h).state & STATE_SYSTEM_FOCUSED);
    } else {
      EXPECT_FALSE(s.state & STATE_SYSTEM_FOCUSED);
    }
  }
}

// A box and the label that names it: the label comes just before the box in z-order.
struct Labelled {
  HWND box;
  HWND label;
  const char* caption;
};

void ExpectLabels(const std::vector<Labelled>& table) {
  for (const Labelled& e : table) {
    SCOPED_TRACE(e.caption);
    EXPECT_EQ(e.caption, Text(e.label));
    EXPECT_EQ(e.label, GetWindow(e.box, GW_HWNDPREV));
  }
}

// Tab from the first control of the visual order (top to bottom, left to right) through the
// window and back, and Shift+Tab the other way. The dialog manager skips what is hidden or
// disabled, and stops once in a run of radio buttons, at the checked one (the arrows move within
// the run); so does the table.
bool IsRadio(HWND h) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  return lstrcmpiA(cls, "Button") == 0 && kui::ButtonRole(h) == ROLE_SYSTEM_RADIOBUTTON;
}

void ExpectTabOrder(HWND window, const std::vector<HWND>& visual) {
  std::vector<HWND> want;
  for (size_t i = 0; i < visual.size(); ++i) {
    const HWND h = visual[i];
    const bool inRun = IsRadio(h) && ((i > 0 && IsRadio(visual[i - 1])) ||
                                      (i + 1 < visual.size() && IsRadio(visual[i + 1])));
    if (inRun && SendMessageA(h, BM_GETCHECK, 0, 0) != BST_CHECKED) continue;
    if (IsWindowVisible(h) && IsWindowEnabled(h)) want.push_back(h);
  }
  ASSERT_FALSE(want.empty());
  std::vector<HWND> forward{want.front()};
  for (size_t i = 1; i <= want.size(); ++i) {
    forward.push_back(GetNextDlgTabItem(window, forward.back(), FALSE));
  }
  std::vector<HWND> expectForward = want;
  expectForward.push_back(want.front());
  EXPECT_EQ(expectForward, forward);
  std::vector<HWND> backward{want.front()};
  for (size_t i = 1; i <= want.size(); ++i) {
    backward.push_back(GetNextDlgTabItem(window, backward.back(), TRUE));
  }
  std::vector<HWND> expectBackward{want.front()};
  for (size_t i = want.size(); i-- > 0;) expectBackward.push_back(want[i]);
  EXPECT_EQ(expectBackward, backward);
}

TEST(AccessibleText, TheNameDropsTheMnemonicMarkerAndTheShortcutNamesIt) {
  struct Case {
    const char* caption;
    const char* name;
    const char* shortcut;
  } cases[] = {
      {"&OK", "OK", "Alt+O"},
      {"E&xit", "Exit", "Alt+X"},
      {"Res&tore", "Restore", "Alt+T"},
      {"Save && &Quit", "Save & Quit", "Alt+Q"},  // "&&" is one '&', no mnemonic
      {"&&", "&", ""},
      {"Tom && Jerry", "Tom & Jerry", ""},
      {" HotSync Settings ", "HotSync Settings", ""},
      {"Trailing&", "Trailing", ""},
      {"", "", ""},
      {"&x", "x", "Alt+X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(c.name, kui::AccessibleName(c.caption));
    EXPECT_EQ(c.shortcut, kui::KeyboardShortcut(c.caption));
  }
}

// A check box and a push button of their own, skinned: a check box the program's windows do
// not have, and the state and default action read live.
TEST(SkinnedObject, AnswersLiveAndItsDefaultActionClicks) {
  kui::ComApartment com;
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(parent);
  HWND check = CreateWindowExA(0, "BUTTON", "&Keep copies", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                               10, 10, 150, 20, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND plain = CreateWindowExA(0, "BUTTON", "Plain", WS_CHILD | BS_PUSHBUTTON, 10, 40, 80, 24,
                               parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(kui::SkinControl(check, kui::Theme::Protein));

  Seen s = Read(check);
  ASSERT_TRUE(s.answered);
  EXPECT_EQ("Keep copies", s.name);
  EXPECT_EQ(ROLE_SYSTEM_CHECKBUTTON, s.role);
  EXPECT_EQ("Alt+K", s.shortcut);
  EXPECT_EQ(0, s.state & STATE_SYSTEM_CHECKED);
  EXPECT_EQ("Check", s.action);

  {
    AccPtr acc = ClientObject(check);
    ASSERT_TRUE(acc);
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    EXPECT_EQ(S_OK, acc->accDoDefaultAction(self));
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    long x = 0, y = 0, w = 0, hgt = 0;
    EXPECT_EQ(S_OK, acc->accLocation(&x, &y, &w, &hgt, self));
    RECT r;
    GetWindowRect(check, &r);
    EXPECT_EQ((std::vector<long>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<long>{x, y, w, hgt}));
    long children = -1;
    EXPECT_EQ(S_OK, acc->get_accChildCount(&children));
    EXPECT_EQ(0, children);
    // The parent is the control's own window object, which leads a client up the tree.
    IDispatch* up = nullptr;
    EXPECT_EQ(S_OK, acc->get_accParent(&up));
    EXPECT_NE(nullptr, up);
    std::unique_ptr<IDispatch, ReleaseCom> parentObject(up);
    VARIANT other;
    other.vt = VT_I4;
    other.lVal = 1;
    Bstr name;
    EXPECT_EQ(E_INVALIDARG, acc->get_accName(other, name.out()));
  }
  s = Read(check);
  EXPECT_TRUE(s.state & STATE_SYSTEM_CHECKED);
  EXPECT_EQ("Uncheck", s.action);

  SetWindowTextA(check, "Keep &old copies");
  EnableWindow(check, FALSE);
  s = Read(check);
  EXPECT_EQ("Keep old copies", s.name);
  EXPECT_EQ("Alt+O", s.shortcut);
  EXPECT_TRUE(s.state & STATE_SYSTEM_UNAVAILABLE);

  // A button the skin does not paint keeps the system's own answer.
  EXPECT_NE(ROLE_SYSTEM_CHECKBUTTON, Read(plain).role);
  DestroyWindow(parent);
}

class AccessTest : public WindowsTest {};

TEST_F(AccessTest, EveryWindowNamesItsSkinnedControlsAndLabelsItsBoxes) {
  StartWithASet();
  SelectOnly({0});
  TfmMain& m = *fm;
  ExpectSkinned({
      {m.sbtnHelp, "Help", kPush, 0, "Alt+H"},
      {m.sbtnExit, "Exit", kPush, 0, "Alt+X"},
      {m.sbtnInstall, "Install", kPush, 0, "Alt+I"},
      {m.sbtnUninst, "UnInstall", kPush, 0, "Alt+U"},
      {m.sbtnRestore, "Restore", kPush, 0, "Alt+T"},
      {m.sbtnAppProp, "Properties", kPush, 0, "Alt+P"},
      {m.sbtnSysProp, "Properties", kPush, 0, "Alt+R"},
      {m.sbtnBackup, "Backup", kPush, 0, "Alt+U"},
      {m.sbtnRestoreCond, "Restore", kPush, 0, "Alt+O"},
      {m.sbtnSkin, "Options", kPush, 0, "Alt+O"},
      {m.sbtnRefresh, "Refresh", kPush, 0, "Alt+H"},
      {m.sbtnClose, "Exit", kPush, 0, "Alt+X"},
      {m.sbtnReport, "Report", kPush, kHidden, "Alt+O"},
      {m.sbtnHotSync, "HotSync", kPush, kHidden, "Alt+S"},
      {m.sbtnCustom, "Custom", kPush, kHidden, "Alt+C"},
      {m.sbtnLog, "Log", kPush, kHidden, "Alt+L"},
  });
  // The group boxes keep the system's look, and its proxy reads their captions.
  EXPECT_EQ(" Application Conduits ", Text(m.gbApp));
  EXPECT_EQ("System Conduits ", Text(m.gbSys));
  // The link has its own class: it answers too.
  const Seen link = Read(m.lblWeb);
  EXPECT_EQ("Welcome to Kestrin Web Site", link.name);
  EXPECT_EQ(kLink, link.role);
  EXPECT_TRUE(link.state & STATE_SYSTEM_LINKED);
  EXPECT_EQ("Jump", link.action);
  // A state change shows at the next question.
  EnableWindow(m.sbtnInstall, FALSE);
  EXPECT_TRUE(Read(m.sbtnInstall).state & STATE_SYSTEM_UNAVAILABLE);
  EnableWindow(m.sbtnInstall, TRUE);

  Properties([](TfmCondProp& d) {
    ExpectSkinned({
        {d.gbSync, "HotSync Settings", kGroup, 0, ""},
        {d.sbtnCreatorID, "More about Creator ID", kPush, 0, ""},
        {d.gbMisc, "Misc. Conduit Info.", kGroup, 0, ""},
        {d.sbtnOK, "OK", kPush, 0, "Alt+O"},
        {d.sbtnCancel, "Cancel", kPush, 0, "Alt+C"},
    });
    std::vector<Labelled> labels;
    const char* captions[] = {"Title:", "Creator ID:", "Data Directory:", "Data File Name:",
                              "Priority:", "Palm Database:", "File Name:", "Version:"};
    const HWND boxes[] = {d.lblTitle, d.edtCreatorID, d.edtDirectory, d.edtFile,
                          d.edtPriority, d.edtPalmDB, d.edtFileName, d.edtVersion};
    for (size_t i = 0; i < 8; ++i) {
      labels.push_back({boxes[i], GetWindow(boxes[i], GW_HWNDPREV), captions[i]});
    }
    ExpectLabels(labels);
  });

  Backup([](TfmBackup& d) {
    ExpectSkinned({
        {d.rbtnNew, "Backup to New File", kRadio, kChecked, ""},
        {d.rbtnExist, "Backup to Existed File", kRadio, 0, ""},
        {d.btnOK, "OK", kPush, kDefault, "Alt+O"},
        {d.btnCancel, "Cancel", kPush, 0, "Alt+C"},
    });
    // The new file's box is named by its radio button, the list by the other one.
    ExpectLabels({{d.edtNewFile, d.rbtnNew, "Backup to New File"},
                  {d.edtDesc, d.Label1, "Description:"},
                  {d.lvFile, d.rbtnExist, "Backup to Existed File"}});
  });

  Restore([](TfmRestore& d) {
    ExpectSkinned({
        {d.btnOK, "OK", kPush, kDefault, "Alt+O"},
        {d.btnCancel, "Cancel", kPush, 0, "Alt+C"},
    });
  });

  Detail([](TfmBakDetail& d) {
    ExpectSkinned({{d.btnOK, "OK", kPush, kDefault, "Alt+O"}});
    EXPECT_EQ(d.lblDesc, GetWindow(d.lvCond, GW_HWNDPREV));
    EXPECT_NE(std::string::npos, Text(d.lblDesc).find("Conduit information in"));
  });

  Options([](TfmSkin& d) {
    ExpectSkinned({
        {d.gbSkin, "Choose your favorite skin", kGroup, 0, ""},
        {d.rbtnBlueGlass, "Blue Glass", kRadio, kChecked, ""},
        {d.rbtnDeepBlue, "Deep Blue", kRadio, 0, ""},
        {d.rbtnMacOS, "Mac OS", kRadio, 0, ""},
        {d.rbtnWinXP, "Windows XP", kRadio, 0, ""},
        {d.rbtnProtein, "Protein", kRadio, 0, ""},
        {d.gbFont, "Choose font of the conduit table", kGroup, 0, ""},
        {d.btnFont, "Set Font", kPush, 0, ""},
        {d.sbtnOK, "OK", kPush, kDefault, "Alt+O"},
        {d.sbtnCancel, "Cancel", kPush, 0, "Alt+C"},
    });
    EXPECT_EQ("Sample Text", Text(d.lblSample));
  });

  About([](TfmAbout& d) {
    ExpectSkinned({{d.btnOK, "OK", kPush, kDefault, "Alt+O"}});
    const Seen url = Read(d.urlHome);
    EXPECT_EQ("Visit Kestrin homepage.", url.name);
    EXPECT_EQ(kLink, url.role);
    EXPECT_TRUE(url.state & STATE_SYSTEM_FOCUSABLE);
    EXPECT_EQ("Orlenta Kestrin", Text(d.Label1));
    EXPECT_EQ("( version 3.3.0.1220 )", Text(d.Label2));
  });
}

TEST_F(AccessTest, TabAndShiftTabFollowEachWindowsLayout) {
  StartWithASet();
  SelectOnly({0});
  TfmMain& m = *fm;
  ExpectTabOrder(m.hwnd(), {m.lblWeb, m.sbtnHelp, m.sbtnExit, m.slvApp, m.sbtnInstall,
                            m.sbtnUninst, m.sbtnRestore, m.sbtnAppProp, m.slvSys, m.sbtnSysProp,
                            m.sbtnBackup, m.sbtnRestoreCond, m.sbtnSkin, m.sbtnRefresh,
                            m.sbtnClose});
  Properties([](TfmCondProp& d) {
    ExpectTabOrder(d.hwnd(), {d.edtCreatorID, d.sbtnCreatorID, d.edtDirectory, d.edtFile,
                              d.edtPriority, d.edtPalmDB, d.edtFileName, d.edtVersion, d.sbtnOK,
                              d.sbtnCancel});
  });
  Backup([](TfmBackup& d) {
    ExpectTabOrder(d.hwnd(), {d.rbtnNew, d.edtNewFile, d.edtDesc, d.rbtnExist, d.lvFile,
                              d.btnOK, d.btnCancel});
  });
  Restore([](TfmRestore& d) { ExpectTabOrder(d.hwnd(), {d.lvFile, d.btnOK, d.btnCancel}); });
  Detail([](TfmBakDetail& d) { ExpectTabOrder(d.hwnd(), {d.lvCond, d.btnOK}); });
  Options([](TfmSkin& d) {
    ExpectTabOrder(d.hwnd(), {d.rbtnBlueGlass, d.rbtnDeepBlue, d.rbtnMacOS, d.rbtnWinXP,
                              d.rbtnProtein, d.btnFont, d.sbtnOK, d.sbtnCancel});
  });
  About([](TfmAbout& d) { ExpectTabOrder(d.hwnd(), {d.urlHome, d.btnOK}); });
}

}  // namespace
}  // namespace atest
