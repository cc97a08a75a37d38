#include "shell/ui/AppInfo.h"

#include "shell/ui/FileDialogTexts.h"

#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QScreen>
#include <QWidget>

namespace vlm {

QString UiText(const QString& text) {
  QString out = text;
  out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return out;
}

QString UiText(const std::string& utf8) { return UiText(QString::fromStdString(utf8)); }

void FitOnScreen(QWidget* window) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  QRect r = window->geometry();
  int top = r.top(), left = r.left();
  if (top < area.top() || top > area.bottom() - 10) top = area.top();
  if (left < area.left() || left > area.right() - 10) left = area.left();
  const int width = std::min(r.width(), area.width());
  const int height = std::min(r.height(), area.height());
  window->setGeometry(left, top, width, height);
}

QFont FixedPitchFont(int pixelSize) {
  QFont font("Lucida Console");
  font.setPixelSize(pixelSize);
  if (QFontInfo(font).family() == "Lucida Console" && QFontInfo(font).fixedPitch()) return font;
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(pixelSize);
  return fixed;
}

QColor WinColor(unsigned value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

bool InstallQtRussian() {
  InstallRussianFileDialogs();
  static QTranslator* installed = nullptr;
  if (installed) return true;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}

}  // namespace vlm
