// render-windows-pictures FOLDER: draws the Windows program's pictures from the same geometry
// as the Linux window's: FOLDER/zagruzchik.ico (the application icon, 16 to 256 pixels) and
// FOLDER/glyph_pixels.inc (the toolbar's four 16 x 16 glyphs as ARGB words, left to right).
// The Windows build cannot run Qt, so the results are kept in the sources; a test checks that
// they are still what this draws.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <fstream>
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
std::string IconFile() {
  const int sides[] = {16, 32, 48, 256};
  std::vector<QByteArray> pictures;
  for (const int side : sides) {
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
    out += static_cast<char>(sides[i] & 0xff);  // 256 is written as 0
    out += static_cast<char>(sides[i] & 0xff);
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

std::string GlyphWords() {
  std::string out =
      "// Drawn by render-windows-pictures: the toolbar's glyphs, ARGB, rows top down.\n";
  char word[16];
  for (int index = 0; index < ui::kGlyphCount; ++index) {
    const QImage glyph = ui::PaintGlyph(static_cast<ui::Glyph>(index))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < ui::kGlyphSize; ++y) {
      for (int x = 0; x < ui::kGlyphSize; ++x) {
        std::snprintf(word, sizeof word, "0x%08x,", static_cast<unsigned>(glyph.pixel(x, y)));
        out += word;
        out += x + 1 == ui::kGlyphSize ? '\n' : ' ';
      }
    }
  }
  return out;
}

bool Write(const std::string& name, const std::string& bytes) {
  std::ofstream file(name, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: render-windows-pictures FOLDER\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const std::string folder = argv[1];
  if (!Write(folder + "/zagruzchik.ico", IconFile()) ||
      !Write(folder + "/glyph_pixels.inc", GlyphWords())) {
    std::fprintf(stderr, "render-windows-pictures: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
