// The differences between the window's codeplug and another one (a radio's,
// read for the purpose, or a file's), channel by channel and setting by
// setting in the window's own words and the user's language. Nothing is
// changed: the dialog only shows.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace t880 {

class CodeplugData;
class Document;

class TCompareDlg : public QDialog
{
    Q_OBJECT
public:
    /// The differences from \a windowSide to \a other; \a otherColumn is the
    /// text number of the other side's column ("In the radio", "In the
    /// file"), \a what names the other side in the title.
    TCompareDlg(const Document &state, const CodeplugData &windowSide, const CodeplugData &other,
                int otherColumn, const QString &what, QWidget *parent);

    /// File > Compare with file: asks for a codeplug file or backup, shows
    /// its differences. A file that cannot be read is reported.
    static void compareWithFile(Document &state, QWidget *parent);
    /// Edit > Compare with radio: reads the radio (kept as a backup, the
    /// window's codeplug untouched) and shows the differences.
    static void compareWithRadio(Document &state, QWidget *parent);

    QLabel *sNoDifferences;
    QTableWidget *tDifferences;
    QPushButton *CloseBtn;
};

} // namespace t880
