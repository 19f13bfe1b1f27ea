#include "ui/tform1.h"

#include "link/serial/portmap.h"
#include "text/textnames.h"
#include "ui/channelgrid.h"
#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/documenttracker.h"
#include "ui/factory/tadjustmentdlg.h"
#include "ui/factory/tnewpassworddlg.h"
#include "ui/factory/tpassworddlg.h"
#include "ui/factory/tsetpassworddlg.h"
#include "ui/focusreturn.h"
#include "ui/gridcommands.h"
#include "ui/icons.h"
#include "ui/keypage.h"
#include "ui/mainmenus.h"
#include "ui/manualwindow.h"
#include "ui/messagedialogs.h"
#include "ui/optionspage.h"
#include "ui/taboutdlg.h"
#include "ui/tcommunicationport.h"
#include "ui/tcomparedlg.h"
#include "ui/tgangwritedlg.h"
#include "ui/tprogramdialog.h"
#include "ui/tracecommands.h"
#include "ui/undohistory.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTranslator>
#include <QVBoxLayout>

#include <algorithm>

namespace t880 {

TForm1::TForm1(Document &document, QWidget *parent) : QMainWindow(parent), m_doc(document)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(icons::appIcon());
    // 1. A fresh model, port 1, the calibration defaults: the state is new.
    m_doc.config().port = 1;
    m_menus = new MainMenus(this);
    new FocusReturn(this);
    new HelpKey(m_doc, this);
    connectMenus();
    buildPages();
    // 2. The configuration file, read or created.
    readConfiguration();
    StringGrid1->applySizes();
    // 4. The focus sink: a 1 x 1 button in the corner that does nothing.
    bHide = new QPushButton(this);
    bHide->setObjectName(QStringLiteral("bHide"));
    bHide->setGeometry(0, 0, 1, 1);
    bHide->setFlat(true);
    bHide->setAccessibleName(QStringLiteral(" "));
    // 5. The active band.
    selectActiveBand();
    connect(&m_doc, &Document::codeplugReplaced, this, &TForm1::ApplyLanguage);
    QUndoStack *steps = m_doc.history().stack();
    connect(steps, &QUndoStack::canUndoChanged, m_menus->MenuEdit_Undo, &QAction::setEnabled);
    connect(steps, &QUndoStack::canRedoChanged, m_menus->MenuEdit_Redo, &QAction::setEnabled);
    connect(steps, &QUndoStack::indexChanged, this, [this] { updateUndoTexts(); });
    m_menus->MenuEdit_Undo->setEnabled(false);
    m_menus->MenuEdit_Redo->setEnabled(false);
    connect(m_menus->MenuEdit_Undo, &QAction::triggered, this, [this] {
        commitEdits();
        m_doc.history().stack()->undo();
    });
    connect(m_menus->MenuEdit_Redo, &QAction::triggered, this, [this] {
        commitEdits();
        m_doc.history().stack()->redo();
    });
    m_gridCommands = new GridCommands(m_doc, StringGrid1, this);
    m_menus->MenuEdit->insertActions(m_menus->MenuEdit_Read, m_gridCommands->actions());
    m_menus->MenuEdit->insertSeparator(m_menus->MenuEdit_Read);
    connect(&m_doc, &Document::modifiedChanged, this, [this] { updateTitle(); });
    // 7. The language, then every text and value.
    SelectLanguage();
    ApplyLanguage();
    resize(780, 540);
}

TForm1::~TForm1()
{
    endRun();
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator.get());
}

// --- construction ------------------------------------------------------------

void TForm1::connectMenus()
{
    connect(m_menus->MenuFile_New, &QAction::triggered, this, &TForm1::MenuFile_NewClick);
    connect(m_menus->MenuFile_NewPlan, &QAction::triggered, this, &TForm1::MenuFile_NewPlanClick);
    connect(m_menus->MenuFile_Production, &QAction::triggered, this,
            &TForm1::MenuFile_ProductionClick);
    connect(m_menus->MenuHelp_Manual, &QAction::triggered, this, &TForm1::MenuHelp_ManualClick);
    connect(m_menus->MenuFile_Open, &QAction::triggered, this, &TForm1::MenuFile_OpenClick);
    connect(m_menus->MenuFile_Save, &QAction::triggered, this, [this] { MenuFile_SaveClick(); });
    connect(m_menus->MenuFile_SaveAs, &QAction::triggered, this,
            [this] { MenuFile_SaveAsClick(); });
    connect(m_menus->MenuFile_Exit, &QAction::triggered, this, &QWidget::close);
    connect(m_menus->MenuEdit_Read, &QAction::triggered, this, &TForm1::MenuEdit_ReadClick);
    connect(m_menus->MenuEdit_Write, &QAction::triggered, this, &TForm1::MenuEdit_WriteClick);
    connect(m_menus->MenuEdit_WriteSeveral, &QAction::triggered, this,
            &TForm1::MenuEdit_WriteSeveralClick);
    connect(m_menus->MenuFile_SaveTrace, &QAction::triggered, this,
            &TForm1::MenuFile_SaveTraceClick);
    // A transfer run from any dialog leaves its trace behind.
    connect(m_menus->MenuFile, &QMenu::aboutToShow, this,
            [this] { m_menus->MenuFile_SaveTrace->setEnabled(m_doc.lastTrace().has_value()); });
    connect(m_menus->MenuEdit_VerifyReads, &QAction::toggled, this,
            [this](bool on) { m_doc.config().verifyReads = on; });
    connect(m_menus->MenuPort, &QAction::triggered, this, &TForm1::MenuPortClick);
    connect(m_menus->MenuEdit_BackupBeforeWrite, &QAction::toggled, this,
            [this](bool on) { m_doc.config().backupBeforeWrite = on; });
    connect(m_menus->MenuEdit_VerifyAfterWrite, &QAction::toggled, this,
            [this](bool on) { m_doc.config().verifyAfterWrite = on; });
    connect(m_menus->MenuFile_CompareFile, &QAction::triggered, this,
            &TForm1::MenuFile_CompareFileClick);
    connect(m_menus->MenuFile_Backups, &QAction::triggered, this, &TForm1::MenuFile_BackupsClick);
    connect(m_menus->MenuFile_ImportCsv, &QAction::triggered, this,
            &TForm1::MenuFile_ImportCsvClick);
    connect(m_menus->MenuFile_ExportCsv, &QAction::triggered, this,
            &TForm1::MenuFile_ExportCsvClick);
    connect(m_menus->MenuFile_ImportYaml, &QAction::triggered, this,
            &TForm1::MenuFile_ImportYamlClick);
    connect(m_menus->MenuFile_ExportYaml, &QAction::triggered, this,
            &TForm1::MenuFile_ExportYamlClick);
    connect(m_menus->MenuFile_Print, &QAction::triggered, this, &TForm1::MenuFile_PrintClick);
    connect(m_menus->MenuFile_ExportPdf, &QAction::triggered, this,
            &TForm1::MenuFile_ExportPdfClick);
    connect(m_menus->MenuEdit_CompareRadio, &QAction::triggered, this,
            &TForm1::MenuEdit_CompareRadioClick);
    connect(m_menus->MenuEdit_Password, &QAction::triggered, this, &TForm1::MenuEdit_PasswordClick);
    connect(m_menus->MenuEdit_SetRadioNewPD, &QAction::triggered, this,
            &TForm1::MenuEdit_SetRadioNewPDClick);
    connect(m_menus->MenuAdjustment, &QAction::triggered, this, &TForm1::MenuAdjustmentClick);
    connect(m_menus->MenuLanguage_Chs, &QAction::triggered, this,
            [this] { setLanguage(text::Language::Simplified); });
    connect(m_menus->MenuLanguage_Cht, &QAction::triggered, this,
            [this] { setLanguage(text::Language::Traditional); });
    connect(m_menus->MenuLanguage_En, &QAction::triggered, this,
            [this] { setLanguage(text::Language::English); });
    connect(m_menus->MenuAbout, &QAction::triggered, this, &TForm1::MenuAboutClick);
}

void TForm1::buildPages()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet_ChInfo = new QWidget;
    TabSheet_ChInfo->setObjectName(QStringLiteral("TabSheet_ChInfo"));
    TabSheet_Option = new OptionsPage(m_doc);
    TabSheet_Key = new KeyPage(m_doc);
    PageControl1->addTab(TabSheet_ChInfo, QString());
    PageControl1->addTab(TabSheet_Option, QString());
    PageControl1->addTab(TabSheet_Key, QString());

    // Under the channel grid: the date of the radio's last programming.
    sLastWrite = new QLabel(TabSheet_ChInfo);
    sLastWrite->setObjectName(QStringLiteral("sLastWrite"));
    sLastWriteTime = new QLabel(TabSheet_ChInfo);
    sLastWriteTime->setObjectName(QStringLiteral("sLastWriteTime"));
    sLastWriteTime->setFrameShape(QFrame::Panel);
    sLastWriteTime->setFrameShadow(QFrame::Sunken);
    sLastWriteTime->setAlignment(Qt::AlignCenter);
    sLastWriteTime->setMinimumWidth(150);
    sLastWriteTime->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    sLastWriteTime->setFocusPolicy(Qt::TabFocus);
    sLastWrite->setBuddy(sLastWriteTime);
    StringGrid1 = new ChannelGrid(m_doc, TabSheet_ChInfo);
    auto *channelLayout = new QVBoxLayout(TabSheet_ChInfo);
    channelLayout->addWidget(StringGrid1, 1);
    auto *status = new QHBoxLayout;
    status->addWidget(sLastWrite);
    status->addWidget(sLastWriteTime);
    status->addStretch();
    channelLayout->addLayout(status);

    setCentralWidget(PageControl1);
}

void TForm1::readConfiguration()
{
    const ConfigLoad load = loadConfig(m_doc.configPath());
    m_doc.config() = load.config;
    if (!load.existed)
        return;
    // A stored port that is not present now falls back to the first. The
    // system's list says what is present; opening each port to see would
    // wait on a port that leads nowhere, before the window is even shown.
    const std::vector<int> present =
        link::PortMap::withBindings(m_doc.config().portPaths).numbers();
    if (std::find(present.begin(), present.end(), m_doc.config().port) == present.end())
        m_doc.config().port = 1;
}

void TForm1::selectActiveBand()
{
    int band = m_doc.config().selectedBand;
    if (band < 1 || band > 5)
        band = 0;
    m_doc.config().selectedBand = band;
    m_doc.program().activeBandLow = m_doc.config().bands[std::size_t(band)].min;
    m_doc.program().activeBandHigh = m_doc.config().bands[std::size_t(band)].max;
}

// --- language ----------------------------------------------------------------

void TForm1::SelectLanguage()
{
    m_doc.selectLanguage();
    loadQtTranslations();
}

void TForm1::loadQtTranslations()
{
    // Qt's own dialogs (the file dialogs above all) speak the same language.
    if (m_qtTranslator) {
        QCoreApplication::removeTranslator(m_qtTranslator.get());
        m_qtTranslator.reset();
    }
    QString locale;
    if (m_doc.lang().language() == text::Language::Simplified)
        locale = QStringLiteral("zh_CN");
    else if (m_doc.lang().language() == text::Language::Traditional)
        locale = QStringLiteral("zh_TW");
    if (locale.isEmpty())
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_") + locale,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        m_qtTranslator = std::move(translator);
    }
}

void TForm1::BuildKeyFunctionLists()
{
    TabSheet_Key->BuildKeyFunctionLists();
}

void TForm1::ApplyLanguage()
{
    // 1. Menus and tool bar; the key-function lists.
    m_menus->applyLanguage(m_doc);
    BuildKeyFunctionLists();

    // 2. Title and undo items.
    const auto t = [this](int n) {
        return m_doc.langText(n);
    };
    updateTitle();
    updateUndoTexts();

    // 3. The selected band: the first band whose limits are the active ones.
    for (int k = 0; k < AppConfig::Bands; ++k) {
        const BandLimits &b = m_doc.config().bands[std::size_t(k)];
        if (b.min == m_doc.program().activeBandLow && b.max == m_doc.program().activeBandHigh) {
            m_doc.config().selectedBand = k;
            break;
        }
    }

    // 5. The last programming date.
    sLastWrite->setText(t(text::MainText::LastProgramDate));
    sLastWriteTime->setText(lastProgramDateText());
    sLastWriteTime->setAccessibleName(t(text::MainText::LastProgramDate));

    // 6. Page captions.
    PageControl1->setTabText(0, t(text::MainText::ChannelsPage));
    PageControl1->setTabText(1, t(text::MainText::OptionsPage));
    PageControl1->setTabText(2, t(text::MainText::KeysPage));

    // 7. The channel grid, every row from the model; the option and key
    // pages, every list rebuilt and selected from the model.
    StringGrid1->applyLanguage();
    if (m_gridCommands)
        m_gridCommands->applyLanguage();
    TabSheet_Option->applyLanguage();
    TabSheet_Key->applyLanguage();
}

QString TForm1::lastProgramDateText() const
{
    const ProgramDate &d = m_doc.program().lastProgramDate;
    // A codeplug that never went through a radio has no date to show.
    if (d.year == 0 && d.month == 0 && d.day == 0 && d.hour == 0 && d.minute == 0)
        return QString();
    return QStringLiteral("%1-%2-%3  %4:%5")
        .arg(d.year)
        .arg(d.month)
        .arg(d.day)
        .arg(d.hour)
        .arg(d.minute);
}

void TForm1::updateUndoTexts()
{
    // Without a step the items say what they do, with nothing after it.
    m_menus->MenuEdit_Undo->setText(
        m_doc.langText(text::MainText::UndoItem).arg(m_doc.history().undoName()).trimmed());
    m_menus->MenuEdit_Redo->setText(
        m_doc.langText(text::MainText::RedoItem).arg(m_doc.history().redoName()).trimmed());
}

void TForm1::updateTitle()
{
    // The document's name, then the program's; Qt puts the change mark in
    // place of "[*]".
    const QString name =
        m_doc.tracker().documentName(m_doc.langText(text::MainText::RadioDocument));
    const QString program = m_doc.langText(text::MainText::Title);
    setWindowTitle(name.isEmpty() ? program + QStringLiteral("[*]")
                                  : name + QStringLiteral("[*] - ") + program);
    setWindowModified(m_doc.isModified());
}

bool TForm1::isModelModified() const
{
    return m_doc.isModified();
}

void TForm1::modelTouched()
{
    m_doc.touched();
}

void TForm1::recordStep(const StepName &name)
{
    m_doc.recordStep(name);
}

void TForm1::enableRecovery(const QString &folder)
{
    m_doc.tracker().enableRecovery(folder);
}

void TForm1::offerRecovery()
{
    DocumentTracker &tracker = m_doc.tracker();
    for (const RecoveryStore::Orphan &orphan : tracker.orphans()) {
        TMyWarnDlg_2 prompt(m_doc.lang(), this);
        prompt.setObjectName(QStringLiteral("RecoveryPrompt"));
        prompt.Label1->setText(
            m_doc.langText(text::MainText::RecoveryQuestion)
                .arg(orphan.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        prompt.Label1->setWordWrap(true);
        prompt.OKBtn->setText(m_doc.langText(text::MainText::Yes));
        prompt.CancelBtn->setText(m_doc.langText(text::MainText::No));
        if (prompt.exec() != QDialog::Accepted) {
            tracker.discard(orphan);
            continue;
        }
        const QByteArray bytes = tracker.adopt(orphan);
        if (bytes.size() != CodeplugData::Size)
            continue; // unreadable: nothing to restore from it
        CodeplugData recovered = m_doc.codeplug();
        recovered.replaceLeading(bytes);
        m_doc.replace(recovered, Origin::recovery());
        return;
    }
}

void TForm1::setLanguage(text::Language language)
{
    commitEdits();
    m_doc.config().language = int(language);
    SelectLanguage();
    ApplyLanguage();
}

// --- commands ----------------------------------------------------------------

void TForm1::commitEdits()
{
    // An editor that loses the focus stores its value; the grid's in-cell
    // control is told directly, as the focus may not move in a window that
    // is not active.
    StringGrid1->commitEditor();
    TabSheet_Option->commit();
    TabSheet_Key->commit();
    const QPointer<QWidget> had = focusWidget();
    bHide->setFocus(Qt::OtherFocusReason);
    modelTouched();
    // The sink only made the editor let go: the keyboard stays where it was.
    if (had && had != bHide && had->isVisible() && had->isEnabled())
        had->setFocus(Qt::OtherFocusReason);
}

void TForm1::MenuEdit_ReadClick()
{
    runTransfer(true);
}

void TForm1::MenuEdit_WriteClick()
{
    runTransfer(false);
}

void TForm1::runTransfer(bool read)
{
    commitEdits();
    StringGrid1->setCurrentCell(1, 1);
    TProgramDialog dialog(m_doc, link::OpCode::Codeplug,
                          read ? link::ReadMode::Read : link::ReadMode::Write, this);
    dialog.setWindowTitle(
        m_doc.langText(read ? text::MainText::HintRead : text::MainText::HintWrite));
    dialog.exec();
    m_menus->MenuFile_SaveTrace->setEnabled(m_doc.lastTrace().has_value());
    // The read's result reaches the model only now, after its message.
    const ProgramState *result = dialog.completedResult();
    if (!result)
        return;
    if (read) {
        // With the automatic search on, where the radio answered.
        m_doc.replace(*result, Origin::radio(QStringLiteral("COM%1").arg(dialog.usedPort()),
                                             QDateTime::currentDateTime()));
    } else {
        m_doc.markWritten(*result);
    }
}

void TForm1::MenuEdit_WriteSeveralClick()
{
    commitEdits();
    TGangWriteDlg dialog(m_doc, this);
    dialog.exec();
    if (dialog.wroteAny())
        m_doc.markWritten();
}

void TForm1::MenuFile_SaveTraceClick()
{
    if (m_doc.lastTrace())
        tracecommands::saveTrace(m_doc, this, *m_doc.lastTrace());
}

void TForm1::MenuPortClick()
{
    TCommunicationPort dialog(m_doc, this);
    dialog.exec();
}

void TForm1::MenuEdit_PasswordClick()
{
    TSetPasswordDlg dialog(m_doc, this);
    dialog.exec();
    modelTouched();
}

void TForm1::MenuEdit_SetRadioNewPDClick()
{
    commitEdits();
    TNewPasswordDlg dialog(m_doc, this);
    dialog.exec();
    modelTouched();
}

void TForm1::MenuAdjustmentClick()
{
    openAdjustment(QString());
}

void TForm1::openAdjustment(const QString &path)
{
    TPasswordDlg prompt(
        m_doc,
        [this, &prompt, path] {
            TAdjustmentDlg dialog(
                m_doc, [this] { MenuEdit_WriteClick(); }, &prompt);
            if (!path.isEmpty())
                dialog.openCalibration(path);
            dialog.exec();
        },
        this);
    prompt.exec();
}

void TForm1::MenuEdit_CompareRadioClick()
{
    commitEdits();
    TCompareDlg::compareWithRadio(m_doc, this);
}

void TForm1::MenuAboutClick()
{
    TAboutDlg dialog(m_doc, this);
    dialog.exec();
}

void TForm1::MenuHelp_ManualClick()
{
    const QWidget *page = PageControl1->currentWidget();
    const QString section =
        page == TabSheet_ChInfo                                 ? QStringLiteral("channels")
        : page == static_cast<const QWidget *>(TabSheet_Option) ? QStringLiteral("settings")
        : page == static_cast<const QWidget *>(TabSheet_Key)    ? QStringLiteral("keys")
                                                                : QString();
    ManualWindow::open(m_doc, this, section);
}

// --- the end of the run ------------------------------------------------------

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_promptOnClose) {
        TMyWarnDlg_3 prompt(m_doc.lang(), this);
        prompt.Label1->setText(m_doc.langText(text::MainText::SaveQuestion));
        prompt.OKBtn->setText(m_doc.langText(text::MainText::Yes));
        prompt.NoBtn->setText(m_doc.langText(text::MainText::No));
        prompt.CancelBtn->setText(m_doc.langText(text::MainText::Cancel));
        const int answer = prompt.exec();
        // "Yes" and then a save that was cancelled or failed keeps the
        // window, and the edits, rather than losing them.
        if (answer == TMyWarnDlg_3::Cancel ||
            (answer == TMyWarnDlg_3::Ok && !MenuFile_SaveClick())) {
            event->ignore();
            return;
        }
    }
    endRun();
    event->accept();
}

void TForm1::closeWithoutPrompt()
{
    m_promptOnClose = false;
    close();
}

void TForm1::endRun()
{
    if (m_runEnded)
        return;
    m_runEnded = true;
    saveConfig(m_doc.configPath(), m_doc.config());
    m_doc.tracker().end();
}

} // namespace t880
