// The printed channel list: one page with the 16 channels (number, name,
// frequencies, tones, power, bandwidth, scan, busy lock) and the main
// settings below, in the user's language. It paints on any paged device, so
// the window prints through QPrinter and the command line writes a PDF; it
// needs QtGui, which is why it lives apart from the core library.
#pragma once

#include "codeplug/codeplugdata.h"
#include "codeplug/safefile.h"
#include "text/applang.h"

#include <QRectF>

class QPagedPaintDevice;
class QPainter;

namespace t880::print {

/// Paints the sheet into \a area (device coordinates) of the painter's page.
void paintChannelSheet(QPainter &painter, const QRectF &area, const CodeplugData &codeplug,
                       const text::TAppLang &lang);

/// Paints the sheet on one page of \a device in the page layout it has (the
/// one the print dialog chose). False when the device cannot be painted on.
bool printChannelSheet(QPagedPaintDevice &device, const CodeplugData &codeplug,
                       const text::TAppLang &lang);

/// The sheet as PDF bytes on an A4 portrait page; empty when rendering
/// failed. Needs a QGuiApplication (fonts).
QByteArray channelSheetPdf(const CodeplugData &codeplug, const text::TAppLang &lang);

/// Writes the sheet as a PDF file, replacing \a path only once it is whole.
FileResult writeChannelSheetPdf(const QString &path, const CodeplugData &codeplug,
                                const text::TAppLang &lang);

} // namespace t880::print
