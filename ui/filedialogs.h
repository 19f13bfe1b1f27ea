// The window's file dialogs. Each kind of file (codeplugs, CSV channel
// lists, PDF sheets, serial traces, calibration records) has a folder of its
// own: a dialog starts where a file of that kind was last chosen, kept in the
// configuration across runs, and the first time in the user's documents
// folder, never in the program's. Saving a file that has a place already
// starts beside it.
#pragma once

#include "ui/config/appconfig.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace t880 {

class Document;

namespace filedialogs {

/// Where a dialog for \a kind starts: the folder last used for it while it
/// still exists, else the documents folder (else the home folder).
QString startFolder(const AppConfig &config, FileKind kind);
/// Takes the folder of \a path as the one last used for \a kind.
void rememberFolder(AppConfig &config, FileKind kind, const QString &path);

/// Asks for an existing file of \a kind with the program's own file dialog
/// (\a name is its object name). Returns its path, empty when cancelled. A
/// backup chosen in a codeplug dialog leaves the codeplug folder as it was.
QString askOpenPath(Document &state, QWidget *parent, FileKind kind, const QString &title,
                    const QString &name, const QStringList &filters);
/// Asks where to save a file of \a kind, offering the file name of
/// \a suggested: in its own folder when \a suggested is an absolute path
/// into a folder that exists, else in the kind's folder. Returns the path
/// chosen, \a suffix added when it has none; empty when cancelled.
QString askSavePath(Document &state, QWidget *parent, FileKind kind, const QString &title,
                    const QString &name, const QString &filter, const QString &suffix,
                    const QString &suggested);

} // namespace filedialogs
} // namespace t880
