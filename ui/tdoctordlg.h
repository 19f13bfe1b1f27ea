// The connection doctor's findings after a transfer that found no radio:
// read-only text the user can select and copy (the commands in it are meant
// to be pasted into a terminal), Close, and for a silent port the offer to
// search every port.
#pragma once

#include "link/serial/doctor.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace t880 {

class Document;

class TDoctorDlg : public QDialog
{
    Q_OBJECT
public:
    /// exec() returns SearchAgain when the user chose the automatic search.
    enum Result { Closed = QDialog::Rejected, SearchAgain = 2 };

    /// \a offerSearch: the search button is shown when the findings offer it.
    TDoctorDlg(const Document &state, const link::DoctorReport &report, bool offerSearch,
               QWidget *parent);

    QPlainTextEdit *FindingsText;
    QPushButton *SearchBtn;
    QPushButton *CloseBtn;
};

} // namespace t880
