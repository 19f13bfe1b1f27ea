#include "ui/taboutdlg.h"

#include "text/textnames.h"
#include "ui/document.h"
#include "ui/icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, int pointSize)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPointSize(pointSize);
    l->setFont(f);
    return l;
}

} // namespace

TAboutDlg::TAboutDlg(const Document &state, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(state.langText(text::MainText::About));
    sName = label(this, "sName",
                  state.langText(text::MainText::Title) + u' ' +
                      state.langText(text::MainText::ProgramName),
                  12);
    sVersion = label(this, "sVersion", state.langText(text::MainText::Version), 10);
    sMakerCaption =
        label(this, "sMakerCaption", state.langText(text::MainText::ManufacturerCaption), 10);
    sMaker = label(this, "sMaker", state.langText(text::MainText::Manufacturer), 10);
    OKBtn = new QPushButton(state.langText(text::MainText::Ok), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setMinimumWidth(88);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto *logo = new QLabel(this);
    logo->setPixmap(icons::appIcon().pixmap(64, 64));
    logo->setAlignment(Qt::AlignTop);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(sName);
    texts->addWidget(sVersion);
    auto *maker = new QHBoxLayout;
    maker->addWidget(sMakerCaption);
    maker->addWidget(sMaker);
    maker->addStretch();
    texts->addLayout(maker);

    auto *top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(logo);
    top->addLayout(texts);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(18);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace t880
