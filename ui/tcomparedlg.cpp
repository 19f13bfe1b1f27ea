#include "ui/tcomparedlg.h"

#include "codeplug/backupfile.h"
#include "codeplug/codeplugdiff.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/filedialogs.h"
#include "ui/messagedialogs.h"
#include "ui/tprogramdialog.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace t880 {

TCompareDlg::TCompareDlg(const Document &state, const CodeplugData &windowSide,
                         const CodeplugData &other, int otherColumn, const QString &what,
                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CompareDlg"));
    setWindowTitle(state.langText(text::MainText::DifferencesTitle).arg(what));
    const std::vector<DiffEntry> entries = diffCodeplugs(windowSide, other);

    sNoDifferences = new QLabel(state.langText(text::MainText::NoDifferences), this);
    sNoDifferences->setObjectName(QStringLiteral("sNoDifferences"));
    sNoDifferences->setVisible(entries.empty());

    tDifferences = new QTableWidget(int(entries.size()), 3, this);
    tDifferences->setObjectName(QStringLiteral("tDifferences"));
    tDifferences->setHorizontalHeaderLabels({state.langText(text::MainText::FieldColumn),
                                             state.langText(text::MainText::WindowColumn),
                                             state.langText(otherColumn)});
    tDifferences->setAccessibleName(windowTitle());
    tDifferences->verticalHeader()->hide();
    tDifferences->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tDifferences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tDifferences->setSelectionBehavior(QAbstractItemView::SelectRows);
    tDifferences->setVisible(!entries.empty());
    for (int row = 0; row < int(entries.size()); ++row) {
        const DiffEntry &e = entries[std::size_t(row)];
        tDifferences->setItem(row, 0, new QTableWidgetItem(diffField(e, state.lang())));
        tDifferences->setItem(
            row, 1, new QTableWidgetItem(diffValue(e.oldText, e.oldTextNumber, state.lang())));
        tDifferences->setItem(
            row, 2, new QTableWidgetItem(diffValue(e.newText, e.newTextNumber, state.lang())));
    }
    tDifferences->resizeColumnsToContents();
    tDifferences->horizontalHeader()->setStretchLastSection(true);

    CloseBtn = new QPushButton(state.langText(text::MainText::Close), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setDefault(true);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sNoDifferences);
    layout->addWidget(tDifferences, 1);
    layout->addLayout(buttons);
    resize(entries.empty() ? QSize(360, 120) : QSize(620, 440));
}

void TCompareDlg::compareWithFile(Document &state, QWidget *parent)
{
    const QString path = filedialogs::askOpenPath(state, parent, FileKind::Codeplug,
                                                  state.langText(text::MainText::OpenTitle),
                                                  QStringLiteral("CompareFileDialog"),
                                                  {state.langText(text::MainText::CodeplugFilter),
                                                   state.langText(text::MainText::BackupFilter)});
    if (path.isEmpty())
        return;
    // The file is read onto a copy of the window's codeplug, as File > Open
    // would read it; the window's own stays as it is.
    CodeplugData other = state.program().codeplug;
    const FileResult result = loadCodeplugOrBackup(path, other);
    if (!result.ok()) {
        showFileError(state.lang(), parent, state.langText(text::MainText::CannotOpen), path,
                      result, MainFileErrorTexts);
        return;
    }
    TCompareDlg compare(state, state.program().codeplug, other, text::MainText::FileColumn,
                        QFileInfo(path).fileName(), parent);
    compare.exec();
}

void TCompareDlg::compareWithRadio(Document &state, QWidget *parent)
{
    TProgramDialog read(state, link::OpCode::Codeplug, link::ReadMode::Read, parent);
    read.setWindowTitle(state.langText(text::MainText::HintRead));
    read.setReadOperation(backup::Operation::Compare);
    read.exec();
    const ProgramState *radio = read.completedResult();
    if (!radio)
        return; // the transfer said why
    TCompareDlg compare(state, state.program().codeplug, radio->codeplug,
                        text::MainText::RadioColumn, QStringLiteral("COM%1").arg(read.usedPort()),
                        parent);
    compare.exec();
}

} // namespace t880
