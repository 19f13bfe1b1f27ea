// The port dialog: nine numbered ports, each shown with the device it stands
// for, and the automatic search. It changes the window state directly: the
// search switch takes effect the moment it is clicked (also when the dialog
// is then cancelled); OK stores the chosen port.
#pragma once

#include "link/serial/portmap.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace t880 {

class Document;

class TCommunicationPort : public QDialog
{
    Q_OBJECT
public:
    /// \a map numbers the devices; by default the system's ports with the
    /// configuration file's bindings.
    TCommunicationPort(Document &state, QWidget *parent);
    TCommunicationPort(Document &state, const link::PortMap &map, QWidget *parent);

    QGroupBox *gbCOM;
    std::array<QRadioButton *, 9> rbCOM{};
    QCheckBox *cAutoSeachPort;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

private:
    void ListComPorts();
    void cAutoSeachPortClick();
    void OKBtnClick();
    void enablePresent();

    Document &m_state;
    link::PortMap m_map;
    std::vector<int> m_portList;
};

} // namespace t880
