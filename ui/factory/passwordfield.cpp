#include "ui/factory/passwordfield.h"

#include "factory/passwordentry.h"

#include <QPushButton>

namespace t880 {

QValidator::State PasswordValidator::validate(QString &input, int &) const
{
    return passwordBytes(input) ? Acceptable : Invalid;
}

QLineEdit *makePasswordField(QWidget *parent, const char *name, bool radioPassword)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setEchoMode(QLineEdit::Password);
    // A star for each character, whatever the style's own choice.
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    QFont f = edit->font();
    f.setPointSize(16);
    edit->setFont(f);
    edit->setFixedWidth(240);
    if (radioPassword) {
        edit->setMaxLength(PasswordFieldLength);
        edit->setValidator(new PasswordValidator(edit));
    }
    return edit;
}

QPushButton *makeDialogButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(QString(caption).remove(u'&'));
    b->setMinimumWidth(88);
    return b;
}

} // namespace t880
