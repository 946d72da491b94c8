// Finds a running csv2sql window the way another program would, for the Wine checks of
// scripts/windows-build.sh and the screenshot of scripts/windows-screenshot.sh:
//   window_probe TITLE CONTROL [PNG]
// waits up to 60 seconds for a top-level window titled TITLE and a control in it named CONTROL
// (the name property of app/win32/native_view.h), prints the control's place and text, writes
// the window's picture to PNG when asked, then closes the window. Status 0 when both were found,
// 1 otherwise.
#include <windows.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/native_view.h"
#include "app/win32/wide_text.h"

namespace {

using namespace csv2sql;

void putBig(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void chunk(std::vector<std::uint8_t>& png, const char* type,
           const std::vector<std::uint8_t>& data) {
  putBig(png, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  putBig(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// RGB rows as a PNG (zlib for the compressed pixels and the chunks' checksums).
std::vector<std::uint8_t> png(int width, int height, const std::vector<std::uint8_t>& rgbRows) {
  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  putBig(header, static_cast<std::uint32_t>(width));
  putBig(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  chunk(out, "IHDR", header);
  uLongf size = compressBound(static_cast<uLong>(rgbRows.size()));
  std::vector<std::uint8_t> z(size);
  if (compress(z.data(), &size, rgbRows.data(), static_cast<uLong>(rgbRows.size())) != Z_OK) {
    return {};
  }
  z.resize(size);
  chunk(out, "IDAT", z);
  chunk(out, "IEND", {});
  return out;
}

// The window as it is on the screen, frame and title included.
bool savePicture(HWND window, const char* file) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  RECT place{};
  GetWindowRect(window, &place);
  const int width = place.right - place.left, height = place.bottom - place.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const auto previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
  GdiFlush();
  std::vector<std::uint8_t> rows;
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* bgra = pixels + (static_cast<std::size_t>(y) * width + x) * 4;
      rows.insert(rows.end(), {bgra[2], bgra[1], bgra[0]});
    }
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const auto image = png(width, height, rows);
  if (image.empty()) return false;
  std::FILE* out = std::fopen(file, "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(image.data(), 1, image.size(), out) == image.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: window_probe TITLE CONTROL [PNG]\n");
    return 2;
  }
  const std::wstring title = widen(argv[1]);
  HWND window = nullptr, control = nullptr;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while ((window = FindWindowW(nullptr, title.c_str())) == nullptr ||
         (control = findControl(window, argv[2])) == nullptr) {
    if (std::chrono::steady_clock::now() > end) {
      std::fprintf(stderr, "window_probe: no window \"%s\" with a control \"%s\"\n", argv[1],
                   argv[2]);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
  // WM_GETTEXT, which reaches another process's edit field (GetWindowText does not).
  wchar_t text[256] = {};
  SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  std::printf("window_probe: \"%s\" holds %s at %ld,%ld size %ldx%ld: \"%s\"\n", argv[1], argv[2],
              place.left, place.top, place.right - place.left, place.bottom - place.top,
              narrow(text).c_str());
  int status = 0;
  if (argc == 4 && !savePicture(window, argv[3])) {
    std::fprintf(stderr, "window_probe: cannot write %s\n", argv[3]);
    status = 1;
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  return status;
}
