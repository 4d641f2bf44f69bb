// render-icons FOLDER: writes the desktop's icons of the application into FOLDER as the
// hicolor theme lays them out (NxN/apps/zagruzchik.png, scalable/apps/zagruzchik.svg).
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <fstream>

#include "ui/qt/widgets/app_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: render-icons FOLDER\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (const int side : {16, 32, 48, 64, 128, 256}) {
    const QString folder = root + QStringLiteral("/%1x%1/apps").arg(side);
    if (!QDir().mkpath(folder) ||
        !ui::ApplicationIconImage(side).save(folder + QStringLiteral("/zagruzchik.png"))) {
      std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  const QString scalable = root + QStringLiteral("/scalable/apps");
  QDir().mkpath(scalable);
  std::ofstream svg((scalable + QStringLiteral("/zagruzchik.svg")).toStdString());
  svg << ui::ApplicationIconSvg();
  return svg.flush() ? 0 : 1;
}
