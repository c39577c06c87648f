// The drawing objects behind GDI handles, the process's object table with its
// stock objects and live count, and the untraced steps other parts of the layer
// use (a dialog's font, a control's owner-draw DC).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "gdi_backend.h"
#include "text_metrics.h"
#include "win/error.h"
#include "win/gdi.h"
#include "win/json.h"
#include "win/machine.h"

namespace win::detail {

struct Surface;

enum class GdiKind { Dc, Pen, Brush, Font, Bitmap, Palette, MetaFile };
enum class DcKind { Window, Paint, Screen, Memory };

struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  const GdiKind kind;
  bool stock = false;
  int selections = 0;  // DCs it is selected into
};

struct GdiPen : GdiObject {
  GdiPen() : GdiObject(GdiKind::Pen) {}
  LOGPEN log{};
};

struct GdiBrush : GdiObject {
  GdiBrush() : GdiObject(GdiKind::Brush) {}
  LOGBRUSH log{};
  HBITMAP pattern = nullptr;
};

struct GdiFont : GdiObject {
  GdiFont() : GdiObject(GdiKind::Font) {}
  LOGFONTA log{};
};

struct GdiBitmap : GdiObject {
  GdiBitmap() : GdiObject(GdiKind::Bitmap) {}
  LONG width = 0;
  LONG height = 0;
  WORD planes = 1;
  WORD bitsPerPixel = 1;
  std::shared_ptr<Surface> pixels;  // the canvas's, made on first use
};

struct GdiPalette : GdiObject {
  GdiPalette() : GdiObject(GdiKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

struct GdiMetaFile : GdiObject {
  GdiMetaFile() : GdiObject(GdiKind::MetaFile) {}
  std::string bits;
};

struct DeviceContext : GdiObject {
  DeviceContext() : GdiObject(GdiKind::Dc) {}
  DcKind dcKind = DcKind::Screen;
  HWND hwnd = nullptr;
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;  // memory DCs
  HPALETTE palette = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  int mapMode = MM_TEXT;
  int stretchMode = BLACKONWHITE;
  SIZE viewportExt{1, 1};
  SIZE windowExt{1, 1};
  POINT viewportOrg{0, 0};
  POINT windowOrg{0, 0};
  bool hasClip = false;
  RECT clip{};
  GdiBackend* backend = nullptr;
};

class GdiState : public MachineState {
 public:
  explicit GdiState(Machine& machine);

  std::recursive_mutex mutex;

  HGDIOBJ add(std::shared_ptr<GdiObject> object);
  std::shared_ptr<GdiObject> find(HGDIOBJ handle);
  bool remove(HGDIOBJ handle);
  HGDIOBJ stock(int index) const;
  HGDIOBJ sysColorBrush(int index) const;
  HBITMAP defaultBitmap() const { return defaultBitmap_; }
  std::size_t liveCount();

  std::vector<PALETTEENTRY> systemPalette;  // what the last realised palette left

 private:
  HGDIOBJ addStock(std::uintptr_t handle, std::shared_ptr<GdiObject> object);

  std::map<std::uintptr_t, std::shared_ptr<GdiObject>> objects_;
  std::uintptr_t next_;
  std::size_t stockCount_ = 0;
  std::vector<HGDIOBJ> stock_;
  std::vector<HGDIOBJ> sysBrushes_;
  HBITMAP defaultBitmap_ = nullptr;
};

GdiState& gdiState();

// The object of a handle if it is of type T (null with ERROR_INVALID_HANDLE otherwise).
template <typename T>
std::shared_ptr<T> gdiObject(const void* handle) {
  auto object = std::dynamic_pointer_cast<T>(gdiState().find(const_cast<void*>(handle)));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

// A DC on a window's client area (GetDC, BeginPaint), or the screen's for a null window.
HDC makeWindowDc(HWND hwnd, DcKind kind);
// Releases a window or paint DC: deselects its objects and forgets it.
bool releaseDc(HDC hdc);
// A font object made without a transcript line (a dialog's DS_SETFONT font).
HFONT makeFont(const LOGFONTA& font);
// Deletes an object without a transcript line; false when it is stock, unknown or selected.
bool deleteObjectQuietly(HGDIOBJ object);
// The metrics of a font handle (a stock font's, the system font's for null).
FontMetrics fontMetrics(HFONT font);
// The LOGFONTA of a font handle, if it is one.
bool logFontOf(HFONT font, LOGFONTA* out);

// One "gdi" transcript line: {"call":..., "hdc":..., fields...}.
void traceGdi(std::string_view call, const void* hdc, const JsonObject& fields = JsonObject());
// The DC's clip, colours and selected brush as transcript fields for a drawing call.
void addDrawingState(DeviceContext& dc, JsonObject& f, bool text, bool brush);

}  // namespace win::detail
