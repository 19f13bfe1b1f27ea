// The About box: product, version and maker, in the user's language.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace t880 {

class Document;

class TAboutDlg : public QDialog
{
    Q_OBJECT
public:
    TAboutDlg(const Document &state, QWidget *parent);
    QLabel *sName;
    QLabel *sVersion;
    QLabel *sMakerCaption;
    QLabel *sMaker;
    QPushButton *OKBtn;
};

} // namespace t880
