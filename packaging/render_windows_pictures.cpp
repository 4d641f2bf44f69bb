// render-windows-pictures FOLDER: draws the Windows program's pictures from the same geometry
// as the Linux window's: FOLDER/zagruzchik.ico (the application icon, 16 to 256 pixels) and
// FOLDER/glyph_pixels.inc (the toolbar's four 16 x 16 glyphs as ARGB words, left to right).
// The Windows build cannot run Qt, so the results are kept in the sources; a test checks that
// they are still what this draws (render-windows-pictures --check FOLDER).
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/qt/widgets/app_icon.h"
#include "ui/qt/widgets/glyphs.h"

namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}
void Put32(std::string& out, unsigned value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

// An icon file of PNG pictures, which every Windows since Vista reads at any size.
constexpr int kIconSides[] = {16, 32, 48, 256};

std::string IconFile() {
  std::vector<QByteArray> pictures;
  for (const int side : kIconSides) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ui::ApplicationIconImage(side).save(&buffer, "PNG");
    pictures.push_back(png);
  }
  std::string out;
  Put16(out, 0);
  Put16(out, 1);  // an icon
  Put16(out, static_cast<unsigned>(pictures.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    out += static_cast<char>(kIconSides[i] & 0xff);  // 256 is written as 0
    out += static_cast<char>(kIconSides[i] & 0xff);
    out += '\0';  // no palette
    out += '\0';
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<unsigned>(pictures[i].size()));
    Put32(out, offset);
    offset += static_cast<unsigned>(pictures[i].size());
  }
  for (const QByteArray& png : pictures) out.append(png.constData(), png.size());
  return out;
}

// The glyphs' pixels, ARGB, glyph after glyph, rows top down.
std::vector<unsigned> GlyphPixels() {
  std::vector<unsigned> pixels;
  for (int index = 0; index < ui::kGlyphCount; ++index) {
    const QImage glyph = ui::PaintGlyph(static_cast<ui::Glyph>(index))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < ui::kGlyphSize; ++y)
      for (int x = 0; x < ui::kGlyphSize; ++x) pixels.push_back(glyph.pixel(x, y));
  }
  return pixels;
}

std::string GlyphWords() {
  std::string out =
      "// Drawn by render-windows-pictures: the toolbar's glyphs, ARGB, rows top down.\n";
  char word[16];
  const std::vector<unsigned> pixels = GlyphPixels();
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    std::snprintf(word, sizeof word, "0x%08x,", pixels[i]);
    out += word;
    out += (i + 1) % ui::kGlyphSize == 0 ? '\n' : ' ';
  }
  return out;
}

std::string Read(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Anti-aliased edges come out a step or two apart on processors whose drawing code differs
// (vector units of other widths round differently); a changed picture differs by far more.
constexpr int kRoundingSteps = 3;

bool SamePixel(unsigned a, unsigned b) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int difference =
        static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
    if (difference > kRoundingSteps || difference < -kRoundingSteps) return false;
  }
  return true;
}

bool SameImage(const QImage& drawn, const QImage& kept) {
  if (drawn.size() != kept.size()) return false;
  const QImage a = drawn.convertToFormat(QImage::Format_ARGB32);
  const QImage b = kept.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (!SamePixel(a.pixel(x, y), b.pixel(x, y))) return false;
  return true;
}

unsigned Get32(const std::string& bytes, std::size_t at) {
  unsigned value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The kept icon file holds, in order, a PNG for each side that the drawing gives alike.
bool IconIsDrawn(const std::string& icon) {
  constexpr std::size_t kCount = std::size(kIconSides);
  if (icon.size() < 6 + 16 * kCount || static_cast<unsigned char>(icon[4]) != kCount) return false;
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const unsigned size = Get32(icon, entry + 8), offset = Get32(icon, entry + 12);
    if (offset > icon.size() || size > icon.size() - offset) return false;
    const QImage kept = QImage::fromData(reinterpret_cast<const uchar*>(icon.data() + offset),
                                         static_cast<int>(size), "PNG");
    if (!SameImage(ui::ApplicationIconImage(kIconSides[i]), kept)) return false;
  }
  return true;
}

bool GlyphsAreDrawn(const std::string& words) {
  const std::vector<unsigned> drawn = GlyphPixels();
  std::size_t at = words.find('\n');  // past the comment line
  for (const unsigned pixel : drawn) {
    at = words.find("0x", at);
    if (at == std::string::npos || !SamePixel(pixel, std::stoul(words.substr(at, 10), nullptr, 16)))
      return false;
    at += 10;
  }
  return words.find("0x", at) == std::string::npos;
}

bool Write(const std::string& name, const std::string& bytes) {
  std::ofstream file(name, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::string(argv[1]) == "--check";
  if (argc != 2 && !check) {
    std::fprintf(stderr, "Usage: render-windows-pictures [--check] FOLDER\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const std::string folder = argv[argc - 1];
  if (check) {
    const bool icon = IconIsDrawn(Read(folder + "/zagruzchik.ico"));
    const bool glyphs = GlyphsAreDrawn(Read(folder + "/glyph_pixels.inc"));
    if (!icon) std::fprintf(stderr, "%s/zagruzchik.ico is not what is drawn\n", folder.c_str());
    if (!glyphs) std::fprintf(stderr, "%s/glyph_pixels.inc is not what is drawn\n", folder.c_str());
    return icon && glyphs ? 0 : 1;
  }
  if (!Write(folder + "/zagruzchik.ico", IconFile()) ||
      !Write(folder + "/glyph_pixels.inc", GlyphWords())) {
    std::fprintf(stderr, "render-windows-pictures: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
