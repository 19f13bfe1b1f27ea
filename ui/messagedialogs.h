// The program's message dialogs, each created by its caller, filled, shown
// modally and destroyed: TUserWarnDlg (one message, OK), TMyWarnDlg_2 (a
// question with OK and Cancel), TMyWarnDlg_3 (a question with OK, No and
// Cancel). Captions of the buttons of the last two are set by the caller.
#pragma once

#include "text/texttables.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace t880 {

namespace text {
class TAppLang;
}
struct FileResult;

/// Where the reasons of a refused or failed file are, in a text table.
struct FileErrorTexts
{
    text::TextTable table;
    int tooShort;
    int notRegular;
    int tooLarge;
    int isFolder;
    int noFolder;
};
/// The reasons for codeplug files, in the main table.
extern const FileErrorTexts MainFileErrorTexts;

/// Why a file could not be opened or saved, in the user's language (or the
/// system's own words when there is no text for it).
QString fileErrorReason(const text::TAppLang &lang, const FileResult &result,
                        const FileErrorTexts &texts);

/// Tells, in TUserWarnDlg, that \a path could not be opened or saved:
/// \a headline, the path, and the reason in the user's language (or the
/// system's own words when it has no text).
void showFileError(const text::TAppLang &lang, QWidget *parent, const QString &headline,
                   const QString &path, const FileResult &result, const FileErrorTexts &texts);

/// One message and an OK button whose caption comes from the message
/// dialog's own table. Enter and Escape both close it.
class TUserWarnDlg : public QDialog
{
    Q_OBJECT
public:
    TUserWarnDlg(const text::TAppLang &lang, QWidget *parent);
    void setMessage(const QString &text);
    /// Adds a button named \a name before OK; the caller connects it. OK
    /// stays the default: Enter never presses the added button.
    QPushButton *addButton(const QString &text, const char *name);
    QLabel *WarnDlgText;
    QPushButton *OKBtn;
};

/// A question with two answers: OKBtn (result Accepted) and CancelBtn
/// (Rejected); the message label uses a 12-point font.
class TMyWarnDlg_2 : public QDialog
{
    Q_OBJECT
public:
    TMyWarnDlg_2(const text::TAppLang &lang, QWidget *parent);
    QLabel *Label1;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
};

/// A question with three answers: OKBtn (result Ok), NoBtn (No) and
/// CancelBtn (Cancel, also the close box and Escape); 10-point message.
class TMyWarnDlg_3 : public QDialog
{
    Q_OBJECT
public:
    enum Result { Cancel = 0, Ok = 1, No = 2 };
    TMyWarnDlg_3(const text::TAppLang &lang, QWidget *parent);
    QLabel *Label1;
    QPushButton *OKBtn;
    QPushButton *NoBtn;
    QPushButton *CancelBtn;
};

} // namespace t880
