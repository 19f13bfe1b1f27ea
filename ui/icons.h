// The window's own icons, drawn with QPainter at every scale the screen
// asks for, so they are crisp at 100 % and 200 % and need no image files.
#pragma once

#include <QIcon>

namespace t880::icons {

QIcon newFile();
QIcon openFile();
QIcon saveFile();
QIcon readRadio();
QIcon writeRadio();
/// A language button: \a label drawn on a rounded tag (简, 繁, EN).
QIcon language(const QString &label);
/// The program's icon: a handheld radio.
QIcon appIcon();

} // namespace t880::icons
