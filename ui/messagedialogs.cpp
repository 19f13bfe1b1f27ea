#include "ui/messagedialogs.h"

#include "codeplug/safefile.h"
#include "text/applang.h"
#include "text/textnames.h"

#include <QDir>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

const FileErrorTexts MainFileErrorTexts = {
    text::TextTable::Main,        text::MainText::FileTooShort, text::MainText::NotRegularFile,
    text::MainText::FileTooLarge, text::MainText::IsFolder,     text::MainText::NoFolder};

QString fileErrorReason(const text::TAppLang &lang, const FileResult &result,
                        const FileErrorTexts &texts)
{
    const auto t = [&](int n) {
        return lang.text(texts.table, n);
    };
    switch (result.error) {
    case FileError::TooShort:
        return t(texts.tooShort);
    case FileError::NotRegular:
        return t(texts.notRegular);
    case FileError::TooLarge:
        return t(texts.tooLarge);
    case FileError::IsFolder:
        return t(texts.isFolder);
    case FileError::NoFolder:
        return t(texts.noFolder);
    default:
        return result.detail; // the system's own words
    }
}

void showFileError(const text::TAppLang &lang, QWidget *parent, const QString &headline,
                   const QString &path, const FileResult &result, const FileErrorTexts &texts)
{
    const QString reason = fileErrorReason(lang, result, texts);
    TUserWarnDlg message(lang, parent);
    message.setMessage(
        QStringLiteral("%1\n%2\n%3").arg(headline, QDir::toNativeSeparators(path), reason));
    message.exec();
}

namespace {

QLabel *messageLabel(QWidget *parent, const char *name, int pointSize)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(360);
    if (pointSize > 0) {
        QFont f = label->font();
        f.setPointSize(pointSize);
        label->setFont(f);
    }
    return label;
}

QPushButton *button(QWidget *parent, const char *name)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(88);
    return b;
}

// Message above, buttons centred below.
void arrange(QDialog *dialog, QLabel *label, std::initializer_list<QPushButton *> buttons)
{
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(18);
    layout->addWidget(label);
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    row->addStretch();
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace

TUserWarnDlg::TUserWarnDlg(const text::TAppLang &lang, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UserWarnDlg"));
    setWindowTitle(lang.text(text::TextTable::Main, text::MainText::Title));
    WarnDlgText = messageLabel(this, "WarnDlgText", 0);
    OKBtn = button(this, "OKBtn");
    OKBtn->setText(lang.text(text::TextTable::Warn, text::WarnText::Ok));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    arrange(this, WarnDlgText, {OKBtn});
}

void TUserWarnDlg::setMessage(const QString &text)
{
    WarnDlgText->setText(text);
    setAccessibleDescription(text);
}

QPushButton *TUserWarnDlg::addButton(const QString &text, const char *name)
{
    QPushButton *b = button(this, name);
    b->setText(text);
    // Enter answers the message with OK, even when the extra button has
    // the focus: it acts only when clicked or pressed with Space.
    b->setAutoDefault(false);
    // The buttons' row sits under the message, its stretches at both ends.
    auto *row = static_cast<QBoxLayout *>(layout()->itemAt(1)->layout());
    row->insertWidget(row->indexOf(OKBtn), b);
    return b;
}

TMyWarnDlg_2::TMyWarnDlg_2(const text::TAppLang &lang, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MyWarnDlg_2"));
    setWindowTitle(lang.text(text::TextTable::Main, text::MainText::Title));
    Label1 = messageLabel(this, "Label1", 12);
    OKBtn = button(this, "OKBtn");
    CancelBtn = button(this, "CancelBtn");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    arrange(this, Label1, {OKBtn, CancelBtn});
}

TMyWarnDlg_3::TMyWarnDlg_3(const text::TAppLang &lang, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MyWarnDlg_3"));
    setWindowTitle(lang.text(text::TextTable::Main, text::MainText::Title));
    Label1 = messageLabel(this, "Label1", 10);
    OKBtn = button(this, "OKBtn");
    NoBtn = button(this, "NoBtn");
    CancelBtn = button(this, "CancelBtn");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(Ok); });
    connect(NoBtn, &QPushButton::clicked, this, [this] { done(No); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(Cancel); });
    arrange(this, Label1, {OKBtn, NoBtn, CancelBtn});
}

} // namespace t880
