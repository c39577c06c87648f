// The process's drawing objects: the handle table with its stock objects and
// live count, making, selecting, reading and deleting pens, brushes, fonts,
// bitmaps, palettes and metafiles.
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/ui_constants.h"

namespace win {

namespace detail {

namespace {

constexpr int kStockCount = 18;
constexpr int kDefaultBitmapIndex = 31;
constexpr int kSysColorCount = COLOR_INFOBK + 1;

// The standard 20 colours of the default palette.
constexpr COLORREF kDefaultPalette[20] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
    RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
    RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
    RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};

std::shared_ptr<GdiBrush> solidBrush(COLORREF color) {
  auto b = std::make_shared<GdiBrush>();
  b->log = LOGBRUSH{BS_SOLID, color, 0};
  return b;
}

std::shared_ptr<GdiPen> pen(int style, COLORREF color) {
  auto p = std::make_shared<GdiPen>();
  p->log = LOGPEN{static_cast<UINT>(style), POINT{1, 0}, color};
  return p;
}

std::shared_ptr<GdiFont> font(const char* face, LONG height, LONG weight) {
  auto f = std::make_shared<GdiFont>();
  f->log.lfHeight = height;
  f->log.lfWeight = weight;
  std::strncpy(f->log.lfFaceName, face, LF_FACESIZE - 1);
  return f;
}

std::shared_ptr<GdiObject> stockObject(int index) {
  switch (index) {
    case WHITE_BRUSH:
      return solidBrush(RGB(255, 255, 255));
    case LTGRAY_BRUSH:
      return solidBrush(RGB(192, 192, 192));
    case GRAY_BRUSH:
      return solidBrush(RGB(128, 128, 128));
    case DKGRAY_BRUSH:
      return solidBrush(RGB(64, 64, 64));
    case BLACK_BRUSH:
      return solidBrush(RGB(0, 0, 0));
    case NULL_BRUSH: {
      auto b = std::make_shared<GdiBrush>();
      b->log = LOGBRUSH{BS_NULL, 0, 0};
      return b;
    }
    case WHITE_PEN:
      return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
      return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN:
      return pen(PS_NULL, RGB(0, 0, 0));
    case OEM_FIXED_FONT:
      return font("Terminal", 12, FW_NORMAL);
    case ANSI_FIXED_FONT:
      return font("Courier", 13, FW_NORMAL);
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT:
      return font("MS Sans Serif", -11, FW_NORMAL);
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
      return font(kSystemFontFace, kDefaultFontHeight, FW_BOLD);
    case SYSTEM_FIXED_FONT:
      return font("Fixedsys", kDefaultFontHeight, FW_NORMAL);
    case DEFAULT_PALETTE: {
      auto p = std::make_shared<GdiPalette>();
      for (COLORREF c : kDefaultPalette)
        p->entries.push_back(PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0});
      return p;
    }
    default:
      return nullptr;
  }
}

const char* kindName(GdiKind kind) {
  switch (kind) {
    case GdiKind::Dc:
      return "dc";
    case GdiKind::Pen:
      return "pen";
    case GdiKind::Brush:
      return "brush";
    case GdiKind::Font:
      return "font";
    case GdiKind::Bitmap:
      return "bitmap";
    case GdiKind::Palette:
      return "palette";
    default:
      return "metafile";
  }
}

bool validBitDepth(UINT bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

bool validSize(int width, int height) {
  return width >= 0 && height >= 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide;
}

HBITMAP makeBitmap(LONG width, LONG height, WORD bits) {
  auto b = std::make_shared<GdiBitmap>();
  b->width = std::max<LONG>(width, 1);
  b->height = std::max<LONG>(height, 1);
  b->bitsPerPixel = (width == 0 || height == 0) ? 1 : bits;
  return static_cast<HBITMAP>(gdiState().add(b));
}

// The bit depth of bitmaps compatible with a DC.
WORD compatibleDepth(HDC hdc) {
  if (auto dc = std::dynamic_pointer_cast<DeviceContext>(gdiState().find(hdc)); dc && dc->dcKind == DcKind::Memory)
    if (auto bm = std::dynamic_pointer_cast<GdiBitmap>(gdiState().find(dc->bitmap))) return bm->bitsPerPixel;
  return static_cast<WORD>(machine().description().system.bitsPerPixel);
}

void traceCreated(std::string_view call, HGDIOBJ object, JsonObject fields) {
  traceGdi(call, nullptr, JsonObject().add("object", hv(object)).append(fields));
}

}  // namespace

GdiState::GdiState(Machine&) : next_(kFirstGdiHandle) {
  for (int i = 0; i < kStockCount; ++i) {
    auto object = stockObject(i);
    stock_.push_back(object ? addStock(kStockObjectHandleBase + 4 * static_cast<std::uintptr_t>(i), object) : nullptr);
  }
  auto bm = std::make_shared<GdiBitmap>();
  defaultBitmap_ = static_cast<HBITMAP>(addStock(kStockObjectHandleBase + 4 * kDefaultBitmapIndex, bm));
  for (int i = 0; i < kSysColorCount; ++i)
    sysBrushes_.push_back(
        addStock(kSysColorBrushBase + 4 * static_cast<std::uintptr_t>(i), solidBrush(GetSysColor(i))));
  auto defaultPalette = std::dynamic_pointer_cast<GdiPalette>(objects_[handleValue(stock_[DEFAULT_PALETTE])]);
  systemPalette = defaultPalette->entries;
}

HGDIOBJ GdiState::addStock(std::uintptr_t handle, std::shared_ptr<GdiObject> object) {
  object->stock = true;
  objects_.emplace(handle, std::move(object));
  ++stockCount_;
  return reinterpret_cast<HGDIOBJ>(handle);
}

HGDIOBJ GdiState::add(std::shared_ptr<GdiObject> object) {
  std::lock_guard lock(mutex);
  std::uintptr_t h = next_;
  next_ += 4;
  objects_.emplace(h, std::move(object));
  return reinterpret_cast<HGDIOBJ>(h);
}

std::shared_ptr<GdiObject> GdiState::find(HGDIOBJ handle) {
  std::lock_guard lock(mutex);
  auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == objects_.end() ? nullptr : it->second;
}

bool GdiState::remove(HGDIOBJ handle) {
  std::lock_guard lock(mutex);
  return objects_.erase(reinterpret_cast<std::uintptr_t>(handle)) > 0;
}

HGDIOBJ GdiState::stock(int index) const {
  return index >= 0 && index < static_cast<int>(stock_.size()) ? stock_[static_cast<std::size_t>(index)] : nullptr;
}

HGDIOBJ GdiState::sysColorBrush(int index) const {
  return index >= 0 && index < static_cast<int>(sysBrushes_.size()) ? sysBrushes_[static_cast<std::size_t>(index)]
                                                                    : nullptr;
}

std::size_t GdiState::liveCount() {
  std::lock_guard lock(mutex);
  return objects_.size() - stockCount_;
}

GdiState& gdiState() { return machine().state<GdiState>(); }

HFONT makeFont(const LOGFONTA& log) {
  auto f = std::make_shared<GdiFont>();
  f->log = log;
  f->log.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(gdiState().add(f));
}

bool deleteObjectQuietly(HGDIOBJ object) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto o = state.find(object);
  if (!o || o->stock || o->selections > 0 || o->kind == GdiKind::Dc) return false;
  return state.remove(object);
}

bool logFontOf(HFONT handle, LOGFONTA* out) {
  auto f = std::dynamic_pointer_cast<GdiFont>(gdiState().find(handle ? handle : gdiState().stock(SYSTEM_FONT)));
  if (!f) return false;
  *out = f->log;
  return true;
}

FontMetrics fontMetrics(HFONT handle) {
  LOGFONTA log{};
  if (!logFontOf(handle, &log)) logFontOf(nullptr, &log);
  return metricsOf(log);
}

}  // namespace detail

using detail::gdiState;

HGDIOBJ GetStockObject(int index) {
  HGDIOBJ h = gdiState().stock(index);
  if (!h) SetLastError(ERROR_INVALID_PARAMETER);
  return h;
}

HBRUSH GetSysColorBrush(int index) { return static_cast<HBRUSH>(gdiState().sysColorBrush(index)); }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto dc = detail::gdiObject<detail::DeviceContext>(hdc);
  auto o = state.find(object);
  if (!dc || !o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ* slot = nullptr;
  switch (o->kind) {
    case detail::GdiKind::Pen:
      slot = reinterpret_cast<HGDIOBJ*>(&dc->pen);
      break;
    case detail::GdiKind::Brush:
      slot = reinterpret_cast<HGDIOBJ*>(&dc->brush);
      break;
    case detail::GdiKind::Font:
      slot = reinterpret_cast<HGDIOBJ*>(&dc->font);
      break;
    case detail::GdiKind::Bitmap:
      // Only a memory DC takes a bitmap, and a bitmap sits in one DC at a time.
      if (dc->dcKind == detail::DcKind::Memory && (o->selections == 0 || o->stock || dc->bitmap == object))
        slot = reinterpret_cast<HGDIOBJ*>(&dc->bitmap);
      break;
    default:
      break;
  }
  if (!slot) {
    SetLastError(ERROR_INVALID_PARAMETER);
    detail::traceGdi("SelectObject", hdc, JsonObject().add("object", detail::hv(object)).add("ok", false));
    return nullptr;
  }
  HGDIOBJ previous = *slot;
  if (previous != object) {
    if (auto old = state.find(previous)) --old->selections;
    ++o->selections;
    *slot = object;
  }
  detail::traceGdi("SelectObject", hdc,
                   JsonObject()
                       .add("object", detail::hv(object))
                       .add("kind", detail::kindName(o->kind))
                       .add("previous", detail::hv(previous)));
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto o = state.find(object);
  bool ok = o && o->kind != detail::GdiKind::Dc && (o->stock || o->selections == 0);
  if (ok && !o->stock) state.remove(object);
  if (!o) SetLastError(ERROR_INVALID_HANDLE);
  detail::traceGdi("DeleteObject", nullptr, JsonObject().add("object", detail::hv(object)).add("ok", ok));
  return ok ? TRUE : FALSE;
}

int GetObject(HGDIOBJ object, int size, LPVOID buffer) {
  auto o = gdiState().find(object);
  if (!o || size < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  BYTE data[sizeof(LOGFONTA) + sizeof(BITMAP)];
  std::size_t n = 0;
  if (auto p = std::dynamic_pointer_cast<detail::GdiPen>(o)) {
    std::memcpy(data, &p->log, n = sizeof(LOGPEN));
  } else if (auto b = std::dynamic_pointer_cast<detail::GdiBrush>(o)) {
    std::memcpy(data, &b->log, n = sizeof(LOGBRUSH));
  } else if (auto f = std::dynamic_pointer_cast<detail::GdiFont>(o)) {
    std::memcpy(data, &f->log, n = sizeof(LOGFONTA));
  } else if (auto bm = std::dynamic_pointer_cast<detail::GdiBitmap>(o)) {
    BITMAP info{0,          bm->width,        bm->height, ((bm->width * bm->bitsPerPixel + 15) / 16) * 2,
                bm->planes, bm->bitsPerPixel, nullptr};
    std::memcpy(data, &info, n = sizeof(BITMAP));
  } else if (auto pal = std::dynamic_pointer_cast<detail::GdiPalette>(o)) {
    auto count = static_cast<WORD>(pal->entries.size());
    std::memcpy(data, &count, n = sizeof(WORD));
  } else {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!buffer) return static_cast<int>(n);
  n = std::min(n, static_cast<std::size_t>(size));
  std::memcpy(buffer, data, n);
  return static_cast<int>(n);
}

DWORD GetObjectType(HGDIOBJ object) {
  auto o = gdiState().find(object);
  if (!o) return 0;
  switch (o->kind) {
    case detail::GdiKind::Dc:
      return static_cast<detail::DeviceContext&>(*o).dcKind == detail::DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    case detail::GdiKind::Pen:
      return OBJ_PEN;
    case detail::GdiKind::Brush:
      return OBJ_BRUSH;
    case detail::GdiKind::Font:
      return OBJ_FONT;
    case detail::GdiKind::Bitmap:
      return OBJ_BITMAP;
    case detail::GdiKind::Palette:
      return OBJ_PAL;
    default:
      return OBJ_METAFILE;
  }
}

HPEN CreatePen(int style, int width, COLORREF color) {
  auto p = detail::pen(style, color);
  p->log.lopnWidth.x = width;
  auto h = static_cast<HPEN>(gdiState().add(p));
  detail::traceCreated("CreatePen", h,
                       JsonObject().add("style", style).add("width", width).add("color", detail::colorText(color)));
  return h;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto h = static_cast<HBRUSH>(gdiState().add(detail::solidBrush(color)));
  detail::traceCreated("CreateSolidBrush", h, JsonObject().add("color", detail::colorText(color)));
  return h;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  if (!detail::gdiObject<detail::GdiBitmap>(bitmap)) return nullptr;
  auto b = std::make_shared<detail::GdiBrush>();
  b->log = LOGBRUSH{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap)};
  b->pattern = bitmap;
  auto h = static_cast<HBRUSH>(gdiState().add(b));
  detail::traceCreated("CreatePatternBrush", h, JsonObject().add("bitmap", detail::hv(bitmap)));
  return h;
}

HFONT CreateFontIndirect(const LOGFONTA* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HFONT h = detail::makeFont(*font);
  LOGFONTA log{};
  detail::logFontOf(h, &log);
  detail::traceCreated("CreateFontIndirect", h,
                       JsonObject()
                           .add("face", log.lfFaceName)
                           .add("height", log.lfHeight)
                           .add("weight", log.lfWeight)
                           .add("italic", log.lfItalic != 0)
                           .add("charset", static_cast<int>(log.lfCharSet)));
  return h;
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, LPCSTR face) {
  LOGFONTA log{};
  log.lfHeight = height;
  log.lfWidth = width;
  log.lfEscapement = escapement;
  log.lfOrientation = orientation;
  log.lfWeight = weight;
  log.lfItalic = static_cast<BYTE>(italic);
  log.lfUnderline = static_cast<BYTE>(underline);
  log.lfStrikeOut = static_cast<BYTE>(strikeOut);
  log.lfCharSet = static_cast<BYTE>(charSet);
  log.lfOutPrecision = static_cast<BYTE>(outPrecision);
  log.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  log.lfQuality = static_cast<BYTE>(quality);
  log.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (face) std::strncpy(log.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirect(&log);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (!detail::validSize(width, height) || planes != 1 || !detail::validBitDepth(bitsPerPixel)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HBITMAP h = detail::makeBitmap(width, height, static_cast<WORD>(bitsPerPixel));
  if (auto bm = detail::gdiObject<detail::GdiBitmap>(h))
    detail::defaultGdiBackend().bitmapCreated(*bm, bits, nullptr, 0);
  detail::traceCreated("CreateBitmap", h,
                       JsonObject()
                           .add("width", width)
                           .add("height", height)
                           .add("bpp", static_cast<std::uint64_t>(bitsPerPixel))
                           .add("bits", bits != nullptr));
  return h;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (!detail::gdiObject<detail::DeviceContext>(hdc)) return nullptr;
  if (!detail::validSize(width, height)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  WORD depth = detail::compatibleDepth(hdc);
  HBITMAP h = detail::makeBitmap(width, height, depth);
  detail::traceGdi("CreateCompatibleBitmap", hdc,
                   JsonObject()
                       .add("object", detail::hv(h))
                       .add("width", width)
                       .add("height", height)
                       .add("bpp", static_cast<int>(depth)));
  return h;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
  if (!header || header->biWidth < 0 || !detail::validSize(header->biWidth, std::abs(header->biHeight)) ||
      ((init & CBM_INIT) && (!bits || !info))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (hdc && !detail::gdiObject<detail::DeviceContext>(hdc)) return nullptr;
  WORD depth = detail::compatibleDepth(hdc);
  HBITMAP h = detail::makeBitmap(header->biWidth, std::abs(header->biHeight), depth);
  if (auto bm = detail::gdiObject<detail::GdiBitmap>(h))
    detail::defaultGdiBackend().bitmapCreated(*bm, (init & CBM_INIT) ? bits : nullptr, info, usage);
  detail::traceGdi("CreateDIBitmap", hdc,
                   JsonObject()
                       .add("object", detail::hv(h))
                       .add("width", header->biWidth)
                       .add("height", header->biHeight)
                       .add("dibbpp", static_cast<int>(header->biBitCount))
                       .add("init", (init & CBM_INIT) != 0));
  return h;
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palNumEntries == 0 || palette->palNumEntries > 1024) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<detail::GdiPalette>();
  p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  auto h = static_cast<HPALETTE>(gdiState().add(p));
  detail::traceCreated("CreatePalette", h, JsonObject().add("entries", static_cast<int>(palette->palNumEntries)));
  return h;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto dc = detail::gdiObject<detail::DeviceContext>(hdc);
  auto p = detail::gdiObject<detail::GdiPalette>(palette);
  if (!dc || !p) return nullptr;
  HPALETTE previous = dc->palette;
  if (previous != palette) {
    if (auto old = state.find(previous)) --old->selections;
    ++p->selections;
    dc->palette = palette;
  }
  detail::traceGdi("SelectPalette", hdc,
                   JsonObject()
                       .add("palette", detail::hv(palette))
                       .add("background", forceBackground != FALSE)
                       .add("previous", detail::hv(previous)));
  return previous;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto p = detail::gdiObject<detail::GdiPalette>(palette);
  if (!p) return 0;
  const std::size_t size = p->entries.size();
  if (!entries) return static_cast<UINT>(size);
  if (start >= size) return 0;
  const std::size_t n = std::min<std::size_t>(count, size - start);
  std::copy_n(p->entries.begin() + static_cast<std::ptrdiff_t>(start), n, entries);
  return static_cast<UINT>(n);
}

UINT RealizePalette(HDC hdc) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto dc = detail::gdiObject<detail::DeviceContext>(hdc);
  if (!dc) return static_cast<UINT>(-1);
  auto p = detail::gdiObject<detail::GdiPalette>(dc->palette);
  UINT changed = 0;
  if (p) {
    auto& system = state.systemPalette;
    for (std::size_t i = 0; i < p->entries.size(); ++i) {
      const auto& e = p->entries[i];
      if (i >= system.size() || system[i].peRed != e.peRed || system[i].peGreen != e.peGreen ||
          system[i].peBlue != e.peBlue)
        ++changed;
    }
    system = p->entries;
  }
  detail::traceGdi(
      "RealizePalette", hdc,
      JsonObject().add("palette", detail::hv(dc->palette)).add("changed", static_cast<std::uint64_t>(changed)));
  return changed;
}

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data) {
  // A Windows metafile starts with its 18-byte header whose size field says 9 words.
  if (!data || size < 18 || size > kMaxMetaFileBytes || data[2] != 9 || data[3] != 0) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  auto m = std::make_shared<detail::GdiMetaFile>();
  m->bits.assign(reinterpret_cast<const char*>(data), size);
  auto h = static_cast<HMETAFILE>(gdiState().add(m));
  detail::traceCreated("SetMetaFileBitsEx", h, JsonObject().add("bytes", static_cast<std::uint64_t>(size)));
  return h;
}

BOOL DeleteMetaFile(HMETAFILE metafile) {
  bool ok = detail::gdiObject<detail::GdiMetaFile>(metafile) && gdiState().remove(metafile);
  detail::traceGdi("DeleteMetaFile", nullptr, JsonObject().add("object", detail::hv(metafile)).add("ok", ok));
  return ok ? TRUE : FALSE;
}

std::size_t gdiObjectCount() { return gdiState().liveCount(); }

}  // namespace win
