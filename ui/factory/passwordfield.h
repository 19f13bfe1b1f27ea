// The entry field the password dialogs and the access prompt share: a large
// font, a star for every character, a fixed width, and (for radio passwords)
// only what the radio's twelve bytes can hold.
#pragma once

#include <QLineEdit>
#include <QValidator>

class QPushButton;

namespace t880 {

/// Refuses a text that the codeplug could not store as typed (too long in
/// the code page, or a character the code page lacks), so that the password
/// kept is always the one typed.
class PasswordValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

/// A password entry named \a name; \a radioPassword limits it to what the
/// radio can hold.
QLineEdit *makePasswordField(QWidget *parent, const char *name, bool radioPassword);
/// A dialog button named \a name with \a caption, also its accessible name.
QPushButton *makeDialogButton(QWidget *parent, const char *name, const QString &caption);

} // namespace t880
