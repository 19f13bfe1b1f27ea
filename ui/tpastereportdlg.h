// The short report after a paste or a batch fill: a summary line and one
// line for every value that was adjusted or refused, in the user's
// language, the fields named as the grid names them. Rows taken as they
// stood are only counted. An import's preview has a line for every row,
// with the row's line in the file.
#pragma once

#include "codeplug/channelcsv.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace t880 {

class Document;

/// The report's line for \a row ("CH05: RX Freq. 446.00620 moved onto the
/// raster: 446.00625"), or an empty text for a row taken as it stood. With
/// \a withLine, every row has a line, beginning with its line in the file
/// ("Line 3, CH05: taken as it stands").
QString reportLine(const Document &state, const channelcsv::RowPreview &row, bool withLine = false);
/// The summary and every non-empty line of \a preview; with \a everyRow,
/// every row with its line in the file (an import's preview).
QStringList reportLines(const Document &state, const channelcsv::Preview &preview,
                        bool everyRow = false);

class TPasteReportDlg : public QDialog
{
    Q_OBJECT
public:
    /// \a lines: the summary first, then a line per value.
    TPasteReportDlg(const Document &state, const QString &title, const QStringList &lines,
                    QWidget *parent);
    /// Offers Cancel beside OK: the report is a preview, and nothing is
    /// changed unless it is accepted.
    void askFirst();

    QLabel *ReportSummary;
    QPlainTextEdit *ReportLines;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
};

} // namespace t880
