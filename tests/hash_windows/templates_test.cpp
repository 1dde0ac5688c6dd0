// The dialog templates that Hash.dll carries, read back from the module's resources.

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <richedit.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::test {

namespace {

struct Control {
  int id;
  std::string className;
  std::string text;
  int x, y, cx, cy;
  DWORD style;
};

struct Template {
  int id;
  bool extended;
  std::string caption;
  int cx, cy;
  DWORD style;
  std::string font;
  int pointSize;
  std::vector<Control> controls;
};

bool operator==(const Control& a, const Control& b) {
  return a.id == b.id && ::lstrcmpiA(a.className.c_str(), b.className.c_str()) == 0 &&
         a.text == b.text && a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy &&
         a.style == b.style;
}

std::ostream& operator<<(std::ostream& out, const Control& c) {
  return out << "{" << c.id << " " << c.className << " \"" << c.text << "\" " << c.x << "," << c.y
             << " " << c.cx << "x" << c.cy << " style 0x" << std::hex << c.style << std::dec << "}";
}

// Reads a template as the dialog manager does.
class TemplateReader {
public:
  explicit TemplateReader(const uint8_t* data) : data_(data) {}

  Template Read(int id) {
    Template t{};
    t.id = id;
    t.extended = Word(0) == 1 && Word(2) == 0xFFFF;
    uint16_t count;
    if (t.extended) {
      at_ = 12;
      t.style = Dword();
      count = Word();
    } else {
      t.style = Dword();
      Dword();
      count = Word();
    }
    Short(); // x, y: no position is given
    Short();
    t.cx = Short();
    t.cy = Short();
    NameOrOrdinal(); // menu
    NameOrOrdinal(); // class
    t.caption = String();
    if (t.style & DS_SETFONT) {
      t.pointSize = Word();
      if (t.extended) {
        Word();   // weight
        at_ += 2; // italic, charset
      }
      t.font = String();
    }
    for (uint16_t i = 0; i < count; ++i) {
      at_ = (at_ + 3) & ~size_t{3};
      Control c{};
      if (t.extended) {
        Dword(); // help id
        Dword(); // extended style
        c.style = Dword();
      } else {
        c.style = Dword();
        Dword();
      }
      c.x = Short();
      c.y = Short();
      c.cx = Short();
      c.cy = Short();
      c.id = t.extended ? static_cast<int>(Dword()) : static_cast<int16_t>(Word());
      c.className = NameOrOrdinal();
      c.text = NameOrOrdinal();
      at_ += Word(); // creation data
      t.controls.push_back(c);
    }
    return t;
  }

private:
  uint16_t Word(size_t at) const { return static_cast<uint16_t>(data_[at] | data_[at + 1] << 8); }
  uint16_t Word() {
    uint16_t value = Word(at_);
    at_ += 2;
    return value;
  }
  int Short() { return static_cast<int16_t>(Word()); }
  DWORD Dword() {
    DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  std::string String() {
    std::string text;
    while (uint16_t ch = Word()) {
      text += static_cast<char>(ch);
    }
    return text;
  }
  std::string NameOrOrdinal() {
    if (Word(at_) == 0xFFFF) {
      at_ += 2;
      switch (uint16_t ordinal = Word()) {
      case 0x80:
        return "Button";
      case 0x81:
        return "Edit";
      case 0x82:
        return "Static";
      default:
        return "#" + std::to_string(ordinal);
      }
    }
    return String();
  }

  const uint8_t* data_;
  size_t at_ = 0;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | WS_GROUP;
constexpr DWORD kFrame = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr char kFont[] = "MS Sans Serif";

const std::vector<Template>& Expected() {
  static const std::vector<Template> templates{
      {1000,
       true,
       "Hashing File(s)...",
       279,
       100,
       kFrame,
       kFont,
       8,
       {{IDCANCEL, "Button", "Cancel", 174, 78, 50, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
        {-1, "Static", "Filename:", 12, 12, 31, 8, kLabel | SS_LEFT},
        {-1, "Static", "File Size:", 12, 24, 29, 8, kLabel | SS_LEFT},
        {1000, "Static", "Filename will appear here", 54, 12, 160, 8, kLabel | SS_LEFT},
        {1001, "Static", "File size here", 54, 24, 85, 8, kLabel | SS_LEFT},
        {1002, "msctls_progress32", "Progress1", 7, 54, 265, 15, kChild | WS_BORDER},
        {1004, "Static", "", 12, 78, 101, 10, kLabel | SS_CENTER},
        {1003, "Static", "Current progress here", 54, 36, 162, 8, kLabel | SS_LEFT},
        {-1, "Static", "Progress:", 12, 36, 30, 8, kLabel | SS_RIGHT}}},
      {1001,
       true,
       "Corvane 2004 - 64-bit Edition",
       320,
       110,
       kFrame,
       kFont,
       8,
       {{IDOK, "Button", "OK", 74, 85, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {1003, "RICHEDIT", "", 5, 5, 310, 65,
         kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
             ES_AUTOHSCROLL | ES_AUTOVSCROLL},
        {1006, "Button", "Save to File", 134, 85, 50, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
        {1007, "Button", "Copy", 194, 85, 50, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON}}},
      {1002,
       true,
       "Message Digest to Verify",
       207,
       61,
       kFrame,
       kFont,
       8,
       {{IDOK, "Button", "OK", 43, 40, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {IDCANCEL, "Button", "Cancel", 113, 40, 50, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
        {1000, "Edit", "", 10, 20, 190, 12, kChild | WS_BORDER | WS_TABSTOP | ES_LEFT},
        {-1, "Static", "Enter the message digest string to verify against", 10, 10, 150, 8,
         kLabel | SS_LEFT}}},
      {1007,
       false,
       "",
       102,
       33,
       DS_SETFONT | DS_3DLOOK | WS_POPUP | WS_THICKFRAME,
       kFont,
       8,
       {{-1, "Static", "Formatting output...", 19, 12, 62, 8, kLabel | SS_LEFT}}}};
  return templates;
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

} // namespace

TEST(HashTemplates, EveryTemplateHasItsCaptionSizeFontAndControls) {
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  for (const Template& expected : Expected()) {
    SCOPED_TRACE("template " + std::to_string(expected.id));
    HRSRC found = ::FindResourceA(module.Handle(), MAKEINTRESOURCEA(expected.id), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* data =
        static_cast<const uint8_t*>(::LockResource(::LoadResource(module.Handle(), found)));
    ASSERT_NE(data, nullptr);
    Template actual = TemplateReader(data).Read(expected.id);
    EXPECT_EQ(actual.extended, expected.extended);
    EXPECT_EQ(actual.caption, expected.caption);
    EXPECT_EQ(actual.cx, expected.cx);
    EXPECT_EQ(actual.cy, expected.cy);
    EXPECT_EQ(actual.style, expected.style) << std::hex << actual.style;
    EXPECT_EQ(actual.font, expected.font);
    EXPECT_EQ(actual.pointSize, expected.pointSize);
    EXPECT_EQ(actual.controls, expected.controls);
  }
}

TEST(HashTemplates, EveryTemplateCreatesAllItsControls) {
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  HMODULE richEdit = ::LoadLibraryA("riched32.dll");
  ASSERT_NE(richEdit, nullptr);
  for (const Template& expected : Expected()) {
    SCOPED_TRACE("template " + std::to_string(expected.id));
    HWND dialog = ::CreateDialogParamA(module.Handle(), MAKEINTRESOURCEA(expected.id), nullptr,
                                       QuietDialog, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(::IsWindowVisible(dialog)) << "created hidden, shown by its owner";
    size_t children = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      ASSERT_LT(children, expected.controls.size());
      const Control& control = expected.controls[children++];
      char className[64] = {};
      ::GetClassNameA(child, className, sizeof className);
      EXPECT_STRCASEEQ(className, control.className.c_str());
      // The dialog manager maps the position and the size of a control each on its own.
      RECT placed{}, wanted{control.x, control.y, control.cx, control.cy};
      ::GetWindowRect(child, &placed);
      ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
      ::MapDialogRect(dialog, &wanted);
      wanted.right += wanted.left;
      wanted.bottom += wanted.top;
      EXPECT_TRUE(::EqualRect(&placed, &wanted)) << control;
    }
    EXPECT_EQ(children, expected.controls.size());
    ::DestroyWindow(dialog);
  }
  ::FreeLibrary(richEdit);
}

} // namespace corvane::test
