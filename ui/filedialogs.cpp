#include "ui/filedialogs.h"

#include "codeplug/backupfile.h"
#include "codeplug/safefile.h"
#include "ui/document.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace t880::filedialogs {

namespace {

// The program's own dialog rather than the desktop's: it speaks the
// window's language, and the tests can answer it.
void prepare(QFileDialog &dialog, const QString &name, const QString &folder)
{
    dialog.setObjectName(name);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(folder);
    dialog.resize(760, 480);
}

bool isBackup(const QString &path)
{
    QByteArray bytes;
    return readSmallFile(path, MaxInputFileSize, bytes).ok() && backup::looksLikeBackup(bytes);
}

QString chosenFile(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace

QString startFolder(const AppConfig &config, FileKind kind)
{
    const QString last = config.folders[std::size_t(kind)];
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    // A new account may have no documents folder yet.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void rememberFolder(AppConfig &config, FileKind kind, const QString &path)
{
    config.folders[std::size_t(kind)] = QFileInfo(path).absolutePath();
}

QString askOpenPath(Document &state, QWidget *parent, FileKind kind, const QString &title,
                    const QString &name, const QStringList &filters)
{
    QFileDialog dialog(parent, title);
    prepare(dialog, name, startFolder(state.config(), kind));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    const QString path = chosenFile(dialog);
    // The codeplug dialogs offer backups too, which the program keeps in a
    // folder of its own: the user's codeplugs are not there.
    if (!path.isEmpty() && !(kind == FileKind::Codeplug && isBackup(path)))
        rememberFolder(state.config(), kind, path);
    return path;
}

QString askSavePath(Document &state, QWidget *parent, FileKind kind, const QString &title,
                    const QString &name, const QString &filter, const QString &suffix,
                    const QString &suggested)
{
    // A file that has a place (Save As of the window's file) is offered
    // where it is, so that saving it again does not leave a second copy in
    // another folder unnoticed.
    const QFileInfo offered(suggested);
    const bool placed = offered.isAbsolute() && offered.absoluteDir().exists();
    QFileDialog dialog(parent, title);
    prepare(dialog, name, placed ? offered.absolutePath() : startFolder(state.config(), kind));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (!suggested.isEmpty())
        dialog.selectFile(offered.fileName());
    const QString path = chosenFile(dialog);
    if (path.isEmpty())
        return QString();
    rememberFolder(state.config(), kind, path);
    return withDefaultSuffix(path, suffix);
}

} // namespace t880::filedialogs
