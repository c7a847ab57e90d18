// Acceptance driver: the angle dialog's template as it is stored in the built program.
#include <cstring>

#include "e2e.h"
#include "lobecast_version.h"

namespace {
const int DialogId = 101;
const WORD EnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Reads the little-endian words of a dialog template, remembering any overrun.
struct Reader {
  const unsigned char* data;
  size_t size;
  size_t pos = 0;
  bool overrun = false;

  WORD Word() {
    if (pos + 2 > size) {
      overrun = true;
      pos = size;
      return 0;
    }
    const WORD v = static_cast<WORD>(data[pos] | (data[pos + 1] << 8));
    pos += 2;
    return v;
  }
  DWORD Dword() {
    const DWORD lo = Word();
    return lo | (static_cast<DWORD>(Word()) << 16);
  }
  short Short() { return static_cast<short>(Word()); }
  void AlignDword() {
    while (pos % 4 && pos < size) ++pos;
  }
  // A zero-terminated UTF-16 string, as 8-bit text ('?' for anything beyond ASCII).
  std::string String() {
    std::string s;
    for (WORD c = Word(); c != 0 && !overrun; c = Word()) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
  }
};

// A name-or-ordinal field: nothing, an ordinal, or a string.
struct NameOrOrdinal {
  bool absent = false;
  bool ordinal = false;
  WORD number = 0;
  std::string text;
};

NameOrOrdinal ReadNameOrOrdinal(Reader& r) {
  NameOrOrdinal n;
  const size_t start = r.pos;
  const WORD first = r.Word();
  if (first == 0) {
    n.absent = true;
  } else if (first == 0xFFFF) {
    n.ordinal = true;
    n.number = r.Word();
  } else {
    r.pos = start;
    n.text = r.String();
  }
  return n;
}

bool SameText(const std::string& a, const char* b) {
  return lstrcmpiA(a.c_str(), b) == 0;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

struct Control {
  const char* kind;
  WORD atom;
  int id;
  const char* text;
  short x, y, cx, cy;
  DWORD style;
};

const Control Expected[] = {
    {"button", 0x80, 1, "OK", 68, 66, 50, 14, 0x50010001},
    {"static", 0x82, 0xFFFF, "Enter phase angle", 7, 25, 58, 8, 0x50020000},
    {"edit", 0x81, 1001, "", 107, 22, 40, 14, 0x50810080},
};

// The version resource: this tree's release (major.minor.patch.0, the string as written in
// project(VERSION)) of the product "Lobecast", in US English.
void CheckVersion(const std::string& exe) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  std::vector<char> data(size ? size : 1);
  Require(size > 0 && GetFileVersionInfoA(exe.c_str(), 0, size, data.data()),
          "the program carries a version resource");
  void* value = nullptr;
  UINT length = 0;
  const VS_FIXEDFILEINFO* fixed = nullptr;
  if (VerQueryValueA(data.data(), "\\", &value, &length) && length >= sizeof *fixed)
    fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  const DWORD high = (LOBECAST_VERSION_MAJOR << 16) | LOBECAST_VERSION_MINOR;
  const DWORD low = LOBECAST_VERSION_PATCH << 16;
  Check(fixed && fixed->dwSignature == 0xFEEF04BD && fixed->dwFileVersionMS == high &&
            fixed->dwFileVersionLS == low && fixed->dwProductVersionMS == high &&
            fixed->dwProductVersionLS == low,
        "file and product version %d.%d.%d.0", LOBECAST_VERSION_MAJOR, LOBECAST_VERSION_MINOR,
        LOBECAST_VERSION_PATCH);
  const struct {
    const char* key;
    const char* expected;
  } strings[] = {
      {"ProductName", "Lobecast"},
      {"ProductVersion", LOBECAST_VERSION},
      {"FileVersion", LOBECAST_VERSION},
  };
  for (const auto& s : strings) {
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + s.key;
    const char* text = VerQueryValueA(data.data(), path.c_str(), &value, &length) && length
                           ? static_cast<const char*>(value)
                           : "";
    Check(std::strcmp(text, s.expected) == 0, "%s \"%s\" (expected \"%s\")", s.key, text,
          s.expected);
  }
}
}  // namespace

int ResourceScenario(const std::string& exe) {
  Say("the resources of %s", exe.c_str());
  CheckVersion(exe);
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  Require(module != nullptr, "LoadLibraryExA(%s, LOAD_LIBRARY_AS_DATAFILE)", exe.c_str());

  std::vector<WORD> languages;
  EnumResourceLanguagesA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(DialogId),
                         CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
  Check(languages.size() == 1 && languages[0] == EnglishUs,
        "dialog %d exists in exactly one language, 1033 (found %d, first %d)", DialogId,
        static_cast<int>(languages.size()), languages.empty() ? -1 : languages[0]);

  HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(DialogId), EnglishUs);
  Require(found != nullptr, "FindResourceExA(RT_DIALOG, %d, English (United States))", DialogId);
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  Require(bytes != nullptr && size >= 18, "the template loads (%lu bytes)",
          static_cast<unsigned long>(size));

  Reader r{static_cast<const unsigned char*>(bytes), size};
  const DWORD style = r.Dword();
  Require(!(LOWORD(style) == 1 && HIWORD(style) == 0xFFFF),
          "a classic DLGTEMPLATE (not the extended form)");
  const DWORD exStyle = r.Dword();
  const WORD count = r.Word();
  const short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
  Check(style == 0x80C800C0, "dialog style 0x%08lX (expected 0x80C800C0)",
        static_cast<unsigned long>(style));
  Check(exStyle == 0, "dialog extended style 0x%lX (expected 0)",
        static_cast<unsigned long>(exStyle));
  Check(x == 0 && y == 0, "dialog position %d,%d (expected 0,0)", x, y);
  Check(cx == 186 && cy == 95, "dialog size %dx%d (expected 186x95)", cx, cy);
  const NameOrOrdinal menu = ReadNameOrOrdinal(r);
  Check(menu.absent, "no menu");
  const NameOrOrdinal windowClass = ReadNameOrOrdinal(r);
  Check(windowClass.absent, "the default dialog class");
  const std::string caption = r.String();
  Check(caption == "Lobecast", "caption \"%s\" (expected \"Lobecast\")", caption.c_str());
  if (style & DS_SETFONT) {
    const WORD points = r.Word();
    const std::string face = r.String();
    Check(points == 8 && face == "MS Sans Serif", "font %d \"%s\" (expected 8 \"MS Sans Serif\")",
          points, face.c_str());
  } else {
    Check(false, "DS_SETFONT is set, so the template carries a font");
  }
  Require(count == 3, "%d controls (expected 3)", count);

  for (int i = 0; i < count; ++i) {
    const Control& e = Expected[i];
    r.AlignDword();
    const DWORD itemStyle = r.Dword();
    const DWORD itemExStyle = r.Dword();
    const short ix = r.Short(), iy = r.Short(), icx = r.Short(), icy = r.Short();
    const WORD id = r.Word();
    const NameOrOrdinal itemClass = ReadNameOrOrdinal(r);
    const NameOrOrdinal itemText = ReadNameOrOrdinal(r);
    const WORD extra = r.Word();
    r.pos += extra;
    const bool classOk =
        (itemClass.ordinal && itemClass.number == e.atom) ||
        (!itemClass.ordinal && !itemClass.absent && SameText(itemClass.text, e.kind));
    const std::string text = itemText.ordinal ? "#ordinal" : itemText.text;
    Check(classOk, "control %d is a %s (class %s)", i + 1, e.kind,
          itemClass.ordinal ? "atom" : itemClass.text.c_str());
    Check(id == e.id, "control %d id %u (expected %d)", i + 1, id, e.id);
    Check(!itemText.ordinal && text == e.text, "control %d text \"%s\" (expected \"%s\")", i + 1,
          text.c_str(), e.text);
    Check(ix == e.x && iy == e.y && icx == e.cx && icy == e.cy,
          "control %d at %d,%d size %dx%d (expected %d,%d %dx%d)", i + 1, ix, iy, icx, icy, e.x,
          e.y, e.cx, e.cy);
    Check(itemStyle == e.style && itemExStyle == 0,
          "control %d style 0x%08lX ex 0x%lX (expected 0x%08lX, 0)", i + 1,
          static_cast<unsigned long>(itemStyle), static_cast<unsigned long>(itemExStyle),
          static_cast<unsigned long>(e.style));
    Check(extra == 0, "control %d has no creation data", i + 1);
  }
  Check(!r.overrun, "the template holds all it declares (%lu bytes read of %lu)",
        static_cast<unsigned long>(r.pos), static_cast<unsigned long>(size));
  FreeLibrary(module);
  return 0;
}
