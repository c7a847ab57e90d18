// Acceptance driver: what the built programs carry: the angle dialog's template, the version
// resource and the import table.
#include <cstring>
#include <fstream>
#include <iterator>

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

// The DLLs the program may import from, and no others: it is linked statically.
const char* const ImportedDlls[] = {"KERNEL32.dll", "USER32.dll", "GDI32.dll", "msvcrt.dll"};

// The bytes of a file, read as little-endian numbers, remembering any read past the end.
struct FileBytes {
  std::vector<unsigned char> data;
  bool overrun = false;

  DWORD Get(size_t at, size_t n) {
    if (at > data.size() || data.size() - at < n) {
      overrun = true;
      return 0;
    }
    DWORD v = 0;
    for (size_t i = n; i-- > 0;) v = (v << 8) | data[at + i];
    return v;
  }
  // A zero-terminated string of 8-bit characters.
  std::string String(size_t at) {
    std::string s;
    for (; at < data.size() && data[at] != 0; ++at) s += static_cast<char>(data[at]);
    if (at >= data.size()) overrun = true;
    return s;
  }
};

// The import table, read from the file itself rather than through the loader, so that the
// 32-bit driver reads the 64-bit program as well: the DLL names of the import directory (data
// directory 1 of a PE32 or PE32+ optional header), located through the section table.
void CheckImports(const std::string& exe) {
  std::ifstream file(exe, std::ios::binary);
  FileBytes f{{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}};
  Require(!f.data.empty(), "%s can be read", exe.c_str());
  const DWORD pe = f.Get(0x3C, 4);
  Require(f.Get(0, 2) == 0x5A4D && f.Get(pe, 4) == 0x4550, "a PE file (MZ, then PE at 0x%lX)",
          static_cast<unsigned long>(pe));
  const DWORD sectionCount = f.Get(pe + 6, 2);
  const size_t optional = pe + 24;
  const size_t sectionTable = optional + f.Get(pe + 20, 2);
  const DWORD magic = f.Get(optional, 2);
  Require(magic == 0x10B || magic == 0x20B,
          "optional header magic 0x%lX (PE32 0x10B or PE32+ 0x20B)",
          static_cast<unsigned long>(magic));
  const size_t directories = optional + (magic == 0x10B ? 96 : 112);
  const DWORD directoryCount = f.Get(directories - 4, 4);
  const DWORD importRva = directoryCount > 1 ? f.Get(directories + 1 * 8, 4) : 0;
  const DWORD delayImportSize = directoryCount > 13 ? f.Get(directories + 13 * 8 + 4, 4) : 0;
  Check(delayImportSize == 0, "no delay-loaded imports (directory 13 holds %lu bytes)",
        static_cast<unsigned long>(delayImportSize));

  // The file offset of an RVA: through the section whose raw data holds it.
  const auto offsetOf = [&](DWORD rva, size_t& offset) {
    for (DWORD i = 0; i < sectionCount; ++i) {
      const size_t header = sectionTable + i * 40;
      const DWORD address = f.Get(header + 12, 4), rawSize = f.Get(header + 16, 4);
      if (rva >= address && rva - address < rawSize) {
        offset = f.Get(header + 20, 4) + (rva - address);
        return true;
      }
    }
    return false;
  };
  size_t descriptor = 0;
  Require(importRva != 0 && offsetOf(importRva, descriptor),
          "an import directory in a section (RVA 0x%lX, %lu sections)",
          static_cast<unsigned long>(importRva), static_cast<unsigned long>(sectionCount));

  // 20-byte descriptors up to an empty one; the name's RVA is at offset 12.
  std::vector<std::string> names;
  bool named = true;
  for (; names.size() < 100; descriptor += 20) {
    const DWORD nameRva = f.Get(descriptor + 12, 4);
    if (nameRva == 0 || f.overrun) break;
    size_t at = 0;
    named = offsetOf(nameRva, at) && named;
    names.push_back(named ? f.String(at) : "?");
  }
  Require(named && !f.overrun, "the import directory and its names lie within the file");

  // Each name one of those DLLs, and each of those DLLs named once.
  std::string list;
  bool exact = true;
  for (const std::string& name : names) {
    list += (list.empty() ? "" : ", ") + name;
    int matches = 0;
    for (const char* dll : ImportedDlls) matches += SameText(name, dll);
    exact = exact && matches == 1;
  }
  std::string expected;
  for (const char* dll : ImportedDlls) {
    expected += (expected.empty() ? "" : ", ") + std::string(dll);
    int matches = 0;
    for (const std::string& name : names) matches += SameText(name, dll);
    exact = exact && matches == 1;
  }
  Check(exact, "imports from %s (expected %s alone, in any case)",
        list.empty() ? "nothing" : list.c_str(), expected.c_str());
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
  CheckImports(exe);

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
