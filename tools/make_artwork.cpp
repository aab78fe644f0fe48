// Draws the updater's artwork and writes it in the forms the resource compiler reads:
//   make_artwork <icon.ico> <picture.bmp> [<size> <icon.bmp>]...
// The icon holds five opaque 32-bit images (16 to 128 pixels). The picture shows the set-up
// the updater serves, ESC -> programming unit -> USB cable -> PC, on the pure green that the
// dialog leaves undrawn. Each size and file given after them is the icon drawn at that size
// as a bitmap, for the browser page's app icons. The picture has hard edges only: a blended edge pixel would be
// neither green nor artwork and would show as a green fringe.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kTransparentGreen{0, 255, 0};
constexpr int kPictureWidth = 1772;
constexpr int kPictureHeight = 263;
constexpr int kIconSizes[] = {16, 32, 48, 64, 128};
constexpr float kIconDesignSize = 128.0f;  // icon shapes are given in these units
constexpr int kIconSamples = 4;             // per axis, for smooth icon edges

struct Point {
  float x, y;
};

struct Bounds {
  float x0, y0, x1, y1;
};

// Axis-aligned rectangle with rounded corners (radius 0 gives square corners).
struct Box {
  float x0, y0, x1, y1, radius;
};

struct Disc {
  float cx, cy, radius;
};

// A straight stroke with round ends; strokes joined end to end draw a wire.
struct Stroke {
  Point from, to;
  float width;
};

struct Polygon {
  std::vector<Point> corners;
};

Bounds boundsOf(const Box& s) { return {s.x0, s.y0, s.x1, s.y1}; }
Bounds boundsOf(const Disc& s) { return {s.cx - s.radius, s.cy - s.radius, s.cx + s.radius, s.cy + s.radius}; }
Bounds boundsOf(const Stroke& s) {
  float half = s.width / 2;
  return {std::min(s.from.x, s.to.x) - half, std::min(s.from.y, s.to.y) - half, std::max(s.from.x, s.to.x) + half,
          std::max(s.from.y, s.to.y) + half};
}
Bounds boundsOf(const Polygon& s) {
  Bounds b{s.corners[0].x, s.corners[0].y, s.corners[0].x, s.corners[0].y};
  for (const Point& p : s.corners) {
    b = {std::min(b.x0, p.x), std::min(b.y0, p.y), std::max(b.x1, p.x), std::max(b.y1, p.y)};
  }
  return b;
}

bool contains(const Box& s, Point p) {
  float cx = std::clamp(p.x, s.x0 + s.radius, s.x1 - s.radius);
  float cy = std::clamp(p.y, s.y0 + s.radius, s.y1 - s.radius);
  float dx = p.x - cx, dy = p.y - cy;
  return p.x >= s.x0 && p.x < s.x1 && p.y >= s.y0 && p.y < s.y1 && dx * dx + dy * dy <= s.radius * s.radius;
}

bool contains(const Disc& s, Point p) {
  float dx = p.x - s.cx, dy = p.y - s.cy;
  return dx * dx + dy * dy <= s.radius * s.radius;
}

bool contains(const Stroke& s, Point p) {
  float vx = s.to.x - s.from.x, vy = s.to.y - s.from.y;
  float length2 = vx * vx + vy * vy;
  float t = length2 > 0 ? std::clamp(((p.x - s.from.x) * vx + (p.y - s.from.y) * vy) / length2, 0.0f, 1.0f) : 0.0f;
  float dx = p.x - (s.from.x + t * vx), dy = p.y - (s.from.y + t * vy);
  return dx * dx + dy * dy <= s.width * s.width / 4;
}

// Even-odd rule.
bool contains(const Polygon& s, Point p) {
  bool inside = false;
  for (std::size_t i = 0, j = s.corners.size() - 1; i < s.corners.size(); j = i++) {
    const Point& a = s.corners[i];
    const Point& b = s.corners[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

class Canvas {
 public:
  // samples: sample points per pixel and axis; 1 keeps every edge hard.
  Canvas(int width, int height, Rgb background, int samples, float scale)
      : width_(width), height_(height), samples_(samples), scale_(scale),
        pixels_(static_cast<std::size_t>(width) * height, background) {}

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  template <typename Shape>
  void fill(const Shape& shape, Rgb colour) {
    Bounds b = boundsOf(shape);
    int x0 = std::max(0, static_cast<int>(std::floor(b.x0 * scale_)));
    int y0 = std::max(0, static_cast<int>(std::floor(b.y0 * scale_)));
    int x1 = std::min(width_, static_cast<int>(std::ceil(b.x1 * scale_)) + 1);
    int y1 = std::min(height_, static_cast<int>(std::ceil(b.y1 * scale_)) + 1);
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) blend(x, y, colour, coverage(shape, x, y));
    }
  }

 private:
  template <typename Shape>
  int coverage(const Shape& shape, int x, int y) const {
    int hits = 0;
    for (int sy = 0; sy < samples_; ++sy) {
      for (int sx = 0; sx < samples_; ++sx) {
        Point p{(x + (sx + 0.5f) / samples_) / scale_, (y + (sy + 0.5f) / samples_) / scale_};
        hits += contains(shape, p) ? 1 : 0;
      }
    }
    return hits;
  }

  void blend(int x, int y, Rgb colour, int hits) {
    if (hits == 0) return;
    int all = samples_ * samples_;
    Rgb& pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
    auto mix = [&](std::uint8_t under, std::uint8_t over) {
      return static_cast<std::uint8_t>((under * (all - hits) + over * hits + all / 2) / all);
    };
    pixel = {mix(pixel.r, colour.r), mix(pixel.g, colour.g), mix(pixel.b, colour.b)};
  }

  int width_, height_, samples_;
  float scale_;
  std::vector<Rgb> pixels_;
};

void drawWire(Canvas& canvas, const std::vector<Point>& path, float width, Rgb colour) {
  for (std::size_t i = 1; i < path.size(); ++i) canvas.fill(Stroke{path[i - 1], path[i], width}, colour);
}

// Palette of the artwork; none of it is the transparent green.
constexpr Rgb kShrinkBlue{32, 70, 156};
constexpr Rgb kAluminium{182, 190, 200};
constexpr Rgb kAluminiumShade{132, 140, 152};
constexpr Rgb kLabelWhite{236, 239, 243};
constexpr Rgb kLabelInk{70, 78, 92};
constexpr Rgb kAccentRed{214, 38, 38};
constexpr Rgb kMotorWire{46, 52, 64};
constexpr Rgb kBulletGold{214, 172, 62};
constexpr Rgb kBatteryRed{204, 32, 32};
constexpr Rgb kBatteryBlack{28, 28, 30};
constexpr Rgb kPlugYellow{242, 198, 34};
constexpr Rgb kSignalBrown{116, 72, 40};
constexpr Rgb kSignalRed{206, 44, 44};
constexpr Rgb kSignalOrange{242, 150, 32};
constexpr Rgb kPlugBlack{38, 38, 42};
constexpr Rgb kUnitBody{60, 64, 74};
constexpr Rgb kUnitFace{94, 100, 114};
constexpr Rgb kLedBlue{64, 144, 242};
constexpr Rgb kButtonGrey{204, 206, 212};
constexpr Rgb kButtonShade{168, 172, 180};
constexpr Rgb kCableGrey{72, 72, 80};
constexpr Rgb kBezel{44, 48, 58};
constexpr Rgb kScreenBlue{172, 206, 236};
constexpr Rgb kWindowWhite{250, 250, 252};
constexpr Rgb kTitleBlue{40, 90, 182};
constexpr Rgb kTrackGrey{204, 208, 214};
constexpr Rgb kProgressFill{56, 168, 92};
constexpr Rgb kKeyboard{92, 98, 110};
constexpr Rgb kIconBackground{34, 40, 52};
constexpr Rgb kArrowAmber{250, 182, 40};

// The ESC: shrink-wrapped body with a finned heat sink, motor wires on the left, battery
// leads and the signal lead on the right.
void drawEsc(Canvas& c) {
  for (float y : {100.0f, 142.0f, 184.0f}) {
    drawWire(c, {{150, y}, {40, y}}, 16, kMotorWire);
    c.fill(Box{14, y - 10, 56, y + 10, 9}, kBulletGold);
  }
  drawWire(c, {{630, 158}, {700, 158}, {748, 206}}, 16, kBatteryRed);
  drawWire(c, {{630, 198}, {690, 198}, {730, 226}}, 16, kBatteryBlack);
  c.fill(Box{722, 190, 792, 250, 8}, kPlugYellow);
  c.fill(Box{736, 204, 778, 236, 5}, kPlugBlack);
  c.fill(Box{150, 60, 642, 230, 18}, kShrinkBlue);
  c.fill(Box{168, 46, 624, 82, 4}, kAluminium);
  for (float x = 178; x < 610; x += 30) c.fill(Box{x, 12, x + 18, 56, 4}, kAluminium);
  c.fill(Box{168, 74, 624, 82, 0}, kAluminiumShade);
  c.fill(Box{228, 108, 562, 204, 10}, kLabelWhite);
  c.fill(Box{228, 108, 562, 126, 0}, kAccentRed);
  c.fill(Box{252, 142, 478, 156, 7}, kLabelInk);
  c.fill(Box{252, 168, 418, 180, 6}, kLabelInk);
}

// Signal lead from the ESC into the programming unit's servo socket.
void drawSignalLead(Canvas& c) {
  const Rgb colours[] = {kSignalBrown, kSignalRed, kSignalOrange};
  for (int i = 0; i < 3; ++i) {
    float y = 86.0f + 8.0f * i;
    drawWire(c, {{640, y}, {790, y}}, 7, colours[i]);
  }
  c.fill(Box{780, 76, 838, 112, 4}, kPlugBlack);
}

void drawProgrammingUnit(Canvas& c) {
  c.fill(Box{830, 38, 1142, 226, 22}, kUnitBody);
  c.fill(Box{856, 62, 1116, 202, 14}, kUnitFace);
  c.fill(Disc{900, 100, 12}, kAccentRed);
  c.fill(Disc{942, 100, 12}, kLedBlue);
  c.fill(Disc{1060, 148, 30}, kButtonGrey);
  c.fill(Disc{1060, 148, 21}, kButtonShade);
  c.fill(Box{880, 146, 1010, 160, 7}, kLabelWhite);
  c.fill(Box{880, 174, 978, 186, 6}, kLabelWhite);
}

// USB cable from the unit's right side to the laptop's left side.
void drawUsbCable(Canvas& c) {
  drawWire(c, {{1180, 130}, {1214, 130}, {1214, 222}, {1246, 222}}, 12, kCableGrey);
  c.fill(Box{1136, 118, 1186, 142, 5}, kPlugBlack);
  c.fill(Box{1240, 210, 1290, 234, 5}, kPlugBlack);
  c.fill(Box{1286, 214, 1300, 230, 2}, kAluminium);
}

// A laptop showing the updater's progress bar.
void drawLaptop(Canvas& c) {
  c.fill(Box{1318, 4, 1732, 202, 14}, kBezel);
  c.fill(Box{1334, 18, 1716, 188, 4}, kScreenBlue);
  c.fill(Box{1392, 44, 1658, 162, 6}, kWindowWhite);
  c.fill(Box{1392, 44, 1658, 66, 0}, kTitleBlue);
  c.fill(Box{1416, 108, 1634, 128, 4}, kTrackGrey);
  c.fill(Box{1416, 108, 1562, 128, 4}, kProgressFill);
  c.fill(Polygon{{{1298, 200}, {1744, 200}, {1770, 252}, {1272, 252}}}, kAluminium);
  c.fill(Polygon{{{1330, 206}, {1712, 206}, {1724, 228}, {1318, 228}}}, kKeyboard);
  c.fill(Box{1482, 233, 1560, 247, 3}, kAluminiumShade);
}

Canvas drawPicture() {
  Canvas c(kPictureWidth, kPictureHeight, kTransparentGreen, 1, 1.0f);
  drawEsc(c);
  drawSignalLead(c);
  drawProgrammingUnit(c);
  drawUsbCable(c);
  drawLaptop(c);
  return c;
}

// An amber arrow into an ESC: new firmware going into the controller.
Canvas drawIcon(int size) {
  Canvas c(size, size, kIconBackground, kIconSamples, size / kIconDesignSize);
  for (float y : {80.0f, 96.0f}) drawWire(c, {{6, y}, {30, y}}, 7, kAluminiumShade);
  c.fill(Box{22, 66, 106, 114, 9}, kShrinkBlue);
  c.fill(Box{26, 62, 102, 76, 3}, kAluminium);
  c.fill(Box{38, 88, 90, 104, 4}, kLabelWhite);
  c.fill(Box{54, 8, 74, 44, 2}, kArrowAmber);
  c.fill(Polygon{{{32, 40}, {96, 40}, {64, 72}}}, kArrowAmber);
  return c;
}

void put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// BITMAPINFOHEADER, uncompressed; the height is doubled for icon images (colour plus mask).
void putInfoHeader(std::vector<std::uint8_t>& out, int width, int storedHeight, int bitsPerPixel, std::uint32_t bytes) {
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(width));
  put32(out, static_cast<std::uint32_t>(storedHeight));
  put16(out, 1);
  put16(out, static_cast<unsigned>(bitsPerPixel));
  put32(out, 0);  // BI_RGB
  put32(out, bytes);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
}

std::uint32_t rowBytes(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

// 24-bit BMP file, rows bottom-up.
std::vector<std::uint8_t> encodeBitmapFile(const Canvas& c) {
  const std::uint32_t stride = rowBytes(c.width(), 24);
  const std::uint32_t pixelBytes = stride * c.height();
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, 14 + 40 + pixelBytes);
  put32(out, 0);
  put32(out, 14 + 40);
  putInfoHeader(out, c.width(), c.height(), 24, pixelBytes);
  for (int y = c.height() - 1; y >= 0; --y) {
    std::size_t rowStart = out.size();
    for (int x = 0; x < c.width(); ++x) {
      Rgb p = c.at(x, y);
      out.insert(out.end(), {p.b, p.g, p.r});
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

// One icon image: 32-bit colour with alpha 255 everywhere, then an all-opaque AND mask.
std::vector<std::uint8_t> encodeIconImage(const Canvas& c) {
  const std::uint32_t maskStride = rowBytes(c.width(), 1);
  const std::uint32_t bytes = rowBytes(c.width(), 32) * c.height() + maskStride * c.height();
  std::vector<std::uint8_t> out;
  putInfoHeader(out, c.width(), 2 * c.height(), 32, bytes);
  for (int y = c.height() - 1; y >= 0; --y) {
    for (int x = 0; x < c.width(); ++x) {
      Rgb p = c.at(x, y);
      out.insert(out.end(), {p.b, p.g, p.r, 255});
    }
  }
  out.resize(out.size() + maskStride * c.height(), 0);
  return out;
}

std::vector<std::uint8_t> encodeIconFile() {
  std::vector<std::vector<std::uint8_t>> images;
  for (int size : kIconSizes) images.push_back(encodeIconImage(drawIcon(size)));
  std::vector<std::uint8_t> out;
  put16(out, 0);
  put16(out, 1);  // icon
  put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(kIconSizes[i]));
    out.push_back(static_cast<std::uint8_t>(kIconSizes[i]));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, static_cast<std::uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

bool writeFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: %s <icon.ico> <picture.bmp> [<size> <icon.bmp>]...\n", argv[0]);
    return 2;
  }
  if (!writeFile(argv[1], encodeIconFile()) || !writeFile(argv[2], encodeBitmapFile(drawPicture()))) {
    std::perror("make_artwork");
    return 1;
  }
  for (int i = 3; i < argc; i += 2) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || !writeFile(argv[i + 1], encodeBitmapFile(drawIcon(size)))) {
      std::perror("make_artwork");
      return 1;
    }
  }
  return 0;
}
