#include "ui/tcommunicationport.h"

#include "link/serial/serialport.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace t880 {

namespace {

// What the system knows of the adapter behind a device: its description and
// USB ids, for the tooltip of its button.
QString adapterDescription(const QString &path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    for (const link::PortInfo &info : link::systemPortInfos()) {
        if (info.path != path && info.path != real)
            continue;
        QString text = info.description;
        if (!info.manufacturer.isEmpty() && !text.contains(info.manufacturer))
            text = info.manufacturer + u' ' + text;
        if (!info.usbId.isEmpty())
            text += QStringLiteral(" (USB %1)").arg(info.usbId);
        return text.trimmed();
    }
    return QString();
}

// Short device name beside the number: ttyUSB0 rather than /dev/ttyUSB0,
// COM3 rather than \\.\COM3.
QString shortDevice(const QString &path)
{
    if (path.startsWith(QLatin1String("/dev/")))
        return path.mid(5);
    if (path.startsWith(QLatin1String("\\\\.\\")))
        return path.mid(4);
    return QFileInfo(path).fileName();
}

} // namespace

TCommunicationPort::TCommunicationPort(Document &state, QWidget *parent)
    : TCommunicationPort(state, link::PortMap::withBindings(state.config().portPaths), parent)
{}

TCommunicationPort::TCommunicationPort(Document &state, const link::PortMap &map, QWidget *parent)
    : QDialog(parent), m_state(state), m_map(map)
{
    setObjectName(QStringLiteral("CommunicationPort"));
    setWindowTitle(text::menuCaption(state.langText(text::MainText::PortMenu)));

    gbCOM = new QGroupBox(this);
    gbCOM->setObjectName(QStringLiteral("gbCOM"));
    auto *grid = new QGridLayout(gbCOM);
    grid->setHorizontalSpacing(18);
    for (int i = 0; i < 9; ++i) {
        const int number = i + 1;
        auto *rb = new QRadioButton(gbCOM);
        rb->setObjectName(QStringLiteral("rbCOM%1").arg(number));
        const QString device = m_map.path(number);
        rb->setText(device.isEmpty()
                        ? QStringLiteral("COM%1").arg(number)
                        : QStringLiteral("COM%1  %2").arg(number).arg(shortDevice(device)));
        const QString about = device.isEmpty() ? QString() : adapterDescription(device);
        rb->setToolTip(about.isEmpty() ? device : device + u'\n' + about);
        rb->setAccessibleDescription(rb->toolTip());
        // COM1-COM3 in the first column, top to bottom.
        grid->addWidget(rb, i % 3, i / 3);
        rbCOM[std::size_t(i)] = rb;
    }

    cAutoSeachPort =
        new QCheckBox(state.tableText(text::TextTable::Port, text::PortText::AutoSearch), this);
    cAutoSeachPort->setObjectName(QStringLiteral("cAutoSeachPort"));
    OKBtn = new QPushButton(state.tableText(text::TextTable::Port, text::PortText::Ok), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn =
        new QPushButton(state.tableText(text::TextTable::Port, text::PortText::Cancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    for (QPushButton *b : {OKBtn, CancelBtn})
        b->setMinimumWidth(88);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addSpacing(24);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(12);
    layout->addWidget(gbCOM);
    layout->addWidget(cAutoSeachPort);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Creation, in the dialog's order: the switch, all buttons off, the
    // ports present, a stored port that is not present becomes 1.
    cAutoSeachPort->setChecked(m_state.config().autoSearchPort);
    for (QRadioButton *rb : rbCOM)
        rb->setEnabled(false);
    ListComPorts();
    if (std::find(m_portList.begin(), m_portList.end(), m_state.config().port) == m_portList.end())
        m_state.config().port = 1;
    if (!m_state.config().autoSearchPort)
        enablePresent();
    if (m_state.config().port >= 1 && m_state.config().port <= 9)
        rbCOM[std::size_t(m_state.config().port - 1)]->setChecked(true);

    connect(cAutoSeachPort, &QCheckBox::clicked, this, &TCommunicationPort::cAutoSeachPortClick);
    connect(OKBtn, &QPushButton::clicked, this, &TCommunicationPort::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TCommunicationPort::ListComPorts()
{
    m_portList = m_map.openablePorts();
}

void TCommunicationPort::enablePresent()
{
    for (int n : m_portList)
        rbCOM[std::size_t(n - 1)]->setEnabled(true);
}

void TCommunicationPort::cAutoSeachPortClick()
{
    m_state.config().autoSearchPort = cAutoSeachPort->isChecked();
    ListComPorts();
    if (m_state.config().autoSearchPort) {
        for (QRadioButton *rb : rbCOM)
            rb->setEnabled(false);
    } else {
        enablePresent();
    }
}

void TCommunicationPort::OKBtnClick()
{
    for (int i = 0; i < 9; ++i) {
        if (rbCOM[std::size_t(i)]->isChecked())
            m_state.config().port = i + 1;
    }
    accept();
}

} // namespace t880
