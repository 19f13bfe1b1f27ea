#include "ui/mainmenus.h"

#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/icons.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

#include <utility>

namespace t880 {

namespace {

QAction *action(QObject *parent, const char *name)
{
    auto *a = new QAction(parent);
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

MainMenus::MainMenus(QMainWindow *window) : QObject(window)
{
    buildMenus(window);
    buildToolBar(window);
}

void MainMenus::buildMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    MenuFile = bar->addMenu(QString());
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuFile_New = action(window, "MenuFile_New");
    MenuFile_New->setIcon(icons::newFile());
    MenuFile_New->setShortcut(QKeySequence::New);
    MenuFile_NewPlan = action(window, "MenuFile_NewPlan");
    MenuFile_Open = action(window, "MenuFile_Open");
    MenuFile_Open->setIcon(icons::openFile());
    MenuFile_Open->setShortcut(QKeySequence::Open);
    MenuFile_Save = action(window, "MenuFile_Save");
    MenuFile_Save->setIcon(icons::saveFile());
    MenuFile_Save->setShortcut(QKeySequence::Save);
    MenuFile_SaveAs = action(window, "MenuFile_SaveAs");
    MenuFile_SaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    MenuFile_Exit = action(window, "MenuFile_Exit");
    MenuFile_Exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    MenuFile_CompareFile = action(window, "MenuFile_CompareFile");
    MenuFile_Backups = action(window, "MenuFile_Backups");
    MenuFile_Production = action(window, "MenuFile_Production");
    MenuFile->addActions(
        {MenuFile_New, MenuFile_NewPlan, MenuFile_Open, MenuFile_Save, MenuFile_SaveAs});
    MenuFile->addSeparator();
    MenuFile_SaveTrace = action(window, "MenuFile_SaveTrace");
    MenuFile_SaveTrace->setEnabled(false);
    MenuFile->addActions(
        {MenuFile_CompareFile, MenuFile_Backups, MenuFile_Production, MenuFile_SaveTrace});
    MenuFile->addSeparator();
    MenuFile_ImportCsv = action(window, "MenuFile_ImportCsv");
    MenuFile_ExportCsv = action(window, "MenuFile_ExportCsv");
    MenuFile_ImportYaml = action(window, "MenuFile_ImportYaml");
    MenuFile_ExportYaml = action(window, "MenuFile_ExportYaml");
    MenuFile->addActions(
        {MenuFile_ImportCsv, MenuFile_ExportCsv, MenuFile_ImportYaml, MenuFile_ExportYaml});
    MenuFile->addSeparator();
    MenuFile_Print = action(window, "MenuFile_Print");
    MenuFile_Print->setShortcut(QKeySequence::Print);
    MenuFile_ExportPdf = action(window, "MenuFile_ExportPdf");
    MenuFile->addActions({MenuFile_Print, MenuFile_ExportPdf});
    MenuFile->addSeparator();
    MenuFile->addAction(MenuFile_Exit);

    MenuEdit = bar->addMenu(QString());
    MenuEdit->setObjectName(QStringLiteral("MenuEdit"));
    MenuEdit_Undo = action(window, "MenuEdit_Undo");
    MenuEdit_Undo->setShortcuts({QKeySequence::Undo});
    MenuEdit_Redo = action(window, "MenuEdit_Redo");
    MenuEdit_Redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    MenuEdit->addActions({MenuEdit_Undo, MenuEdit_Redo});
    MenuEdit->addSeparator();
    MenuEdit_Read = action(window, "MenuEdit_Read");
    MenuEdit_Read->setIcon(icons::readRadio());
    MenuEdit_Read->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    MenuEdit_Write = action(window, "MenuEdit_Write");
    MenuEdit_Write->setIcon(icons::writeRadio());
    MenuEdit_Write->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    MenuEdit_Password = action(window, "MenuEdit_Password");
    MenuEdit_SetRadioNewPD = action(window, "MenuEdit_SetRadioNewPD");
    MenuEdit_VerifyReads = action(window, "MenuEdit_VerifyReads");
    MenuEdit_VerifyReads->setCheckable(true);
    MenuEdit_CompareRadio = action(window, "MenuEdit_CompareRadio");
    MenuEdit_WriteSeveral = action(window, "MenuEdit_WriteSeveral");
    MenuEdit->addActions(
        {MenuEdit_Read, MenuEdit_Write, MenuEdit_WriteSeveral, MenuEdit_CompareRadio});
    MenuEdit->addSeparator();
    MenuEdit->addActions({MenuEdit_Password, MenuEdit_SetRadioNewPD});
    MenuEdit->addSeparator();
    MenuEdit_BackupBeforeWrite = action(window, "MenuEdit_BackupBeforeWrite");
    MenuEdit_BackupBeforeWrite->setCheckable(true);
    MenuEdit_VerifyAfterWrite = action(window, "MenuEdit_VerifyAfterWrite");
    MenuEdit_VerifyAfterWrite->setCheckable(true);
    MenuEdit->addActions(
        {MenuEdit_VerifyReads, MenuEdit_BackupBeforeWrite, MenuEdit_VerifyAfterWrite});

    MenuPort = action(window, "MenuPort");
    bar->addAction(MenuPort);

    MenuLanguage = bar->addMenu(QString());
    MenuLanguage->setObjectName(QStringLiteral("MenuLanguage"));
    MenuLanguage_Chs = action(window, "MenuLanguage_Chs");
    MenuLanguage_Cht = action(window, "MenuLanguage_Cht");
    MenuLanguage_En = action(window, "MenuLanguage_En");
    for (QAction *a : {MenuLanguage_Chs, MenuLanguage_Cht, MenuLanguage_En})
        a->setCheckable(true);
    MenuLanguage->addActions({MenuLanguage_Chs, MenuLanguage_Cht, MenuLanguage_En});

    MenuAdjustment = action(window, "MenuAdjustment");
    bar->addAction(MenuAdjustment);

    MenuHelp = bar->addMenu(QString());
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    MenuHelp_Manual = action(window, "MenuHelp_Manual");
    MenuHelp_Manual->setShortcut(QKeySequence::HelpContents);
    MenuAbout = action(window, "MenuAbout");
    MenuHelp->addActions({MenuHelp_Manual, MenuAbout});
}

void MainMenus::buildToolBar(QMainWindow *window)
{
    ToolBar1 = window->addToolBar(QString());
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setMovable(false);
    ToolBar1->addActions({MenuFile_New, MenuFile_Open, MenuFile_Save});
    ToolBar1->addSeparator();
    ToolBar1->addActions({MenuEdit_Read, MenuEdit_Write});
    ToolBar1->addSeparator();
    ToolLanguage_Chs = action(window, "ToolLanguage_Chs");
    ToolLanguage_Chs->setIcon(icons::language(QStringLiteral("简")));
    ToolLanguage_Cht = action(window, "ToolLanguage_Cht");
    ToolLanguage_Cht->setIcon(icons::language(QStringLiteral("繁")));
    ToolLanguage_En = action(window, "ToolLanguage_En");
    ToolLanguage_En->setIcon(icons::language(QStringLiteral("EN")));
    ToolBar1->addActions({ToolLanguage_Chs, ToolLanguage_Cht, ToolLanguage_En});
    connect(ToolLanguage_Chs, &QAction::triggered, MenuLanguage_Chs, &QAction::trigger);
    connect(ToolLanguage_Cht, &QAction::triggered, MenuLanguage_Cht, &QAction::trigger);
    connect(ToolLanguage_En, &QAction::triggered, MenuLanguage_En, &QAction::trigger);

    const std::pair<QAction *, const char *> names[] = {
        {MenuFile_New, "ToolButton_New"},     {MenuFile_Open, "ToolButton_Open"},
        {MenuFile_Save, "ToolButton_Save"},   {MenuEdit_Read, "ToolButton_Read"},
        {MenuEdit_Write, "ToolButton_Write"}, {ToolLanguage_Chs, "ToolButton2"},
        {ToolLanguage_Cht, "ToolButton3"},    {ToolLanguage_En, "ToolButton5"}};
    for (const auto &[a, name] : names) {
        QWidget *button = ToolBar1->widgetForAction(a);
        button->setObjectName(QLatin1String(name));
        button->setFocusPolicy(Qt::TabFocus);
    }
    // Only the file and transfer buttons show hints.
    for (QAction *a : {ToolLanguage_Chs, ToolLanguage_Cht, ToolLanguage_En})
        ToolBar1->widgetForAction(a)->installEventFilter(this);
}

void MainMenus::applyLanguage(const Document &state)
{
    // The language items and the switches.
    MenuLanguage_En->setChecked(state.config().language == 0);
    MenuLanguage_Chs->setChecked(state.config().language == 1);
    MenuLanguage_Cht->setChecked(state.config().language == 2);
    MenuEdit_VerifyReads->setChecked(state.config().verifyReads);
    MenuEdit_BackupBeforeWrite->setChecked(state.config().backupBeforeWrite);
    MenuEdit_VerifyAfterWrite->setChecked(state.config().verifyAfterWrite);

    const auto t = [&state](int n) {
        return state.langText(n);
    };
    MenuFile->setTitle(t(text::MainText::FileMenu));
    MenuFile_New->setText(t(text::MainText::FileNew));
    MenuFile_NewPlan->setText(t(text::MainText::NewFromPlanItem));
    MenuFile_Open->setText(t(text::MainText::FileOpen));
    MenuFile_Save->setText(t(text::MainText::FileSave));
    MenuFile_SaveAs->setText(t(text::MainText::SaveAsItem));
    MenuFile_Exit->setText(t(text::MainText::FileExit));
    MenuEdit->setTitle(t(text::MainText::EditMenu));
    MenuEdit_Read->setText(t(text::MainText::EditRead));
    MenuEdit_Write->setText(t(text::MainText::EditWrite));
    MenuEdit_WriteSeveral->setText(t(text::MainText::WriteSeveralItem));
    MenuEdit_Password->setText(t(text::MainText::PasswordMenu));
    MenuEdit_SetRadioNewPD->setText(t(text::MainText::NewPasswordMenu));
    MenuEdit_VerifyReads->setText(t(text::MainText::VerifyReads));
    MenuEdit_BackupBeforeWrite->setText(t(text::MainText::BackupBeforeWrite));
    MenuEdit_VerifyAfterWrite->setText(t(text::MainText::VerifyAfterWrite));
    MenuEdit_CompareRadio->setText(t(text::MainText::CompareRadio));
    MenuFile_CompareFile->setText(t(text::MainText::CompareFile));
    MenuFile_Backups->setText(t(text::MainText::Backups));
    MenuFile_Production->setText(t(text::MainText::ProductionItem));
    MenuFile_SaveTrace->setText(t(text::MainText::SaveTraceItem));
    MenuFile_ImportCsv->setText(t(text::MainText::ImportCsvItem));
    MenuFile_ExportCsv->setText(t(text::MainText::ExportCsvItem));
    MenuFile_ImportYaml->setText(t(text::MainText::ImportYamlItem));
    MenuFile_ExportYaml->setText(t(text::MainText::ExportYamlItem));
    MenuFile_Print->setText(t(text::MainText::PrintItem));
    MenuFile_ExportPdf->setText(t(text::MainText::ExportPdfItem));
    MenuPort->setText(t(text::MainText::PortMenu));
    MenuLanguage->setTitle(t(text::MainText::LanguageMenu));
    MenuLanguage_Chs->setText(t(text::MainText::LanguageChs));
    MenuLanguage_Cht->setText(t(text::MainText::LanguageCht));
    MenuLanguage_En->setText(t(text::MainText::LanguageEn));
    MenuAdjustment->setText(t(text::MainText::AdjustmentMenu));
    MenuHelp->setTitle(t(text::MainText::HelpMenu));
    MenuHelp_Manual->setText(t(text::MainText::ManualItem));
    MenuAbout->setText(t(text::MainText::AboutMenu));

    // Tool-bar hints, for the five file and transfer buttons.
    MenuFile_New->setToolTip(t(text::MainText::HintNew));
    MenuFile_Open->setToolTip(t(text::MainText::HintOpen));
    MenuFile_Save->setToolTip(t(text::MainText::HintSave));
    MenuEdit_Read->setToolTip(t(text::MainText::HintRead));
    MenuEdit_Write->setToolTip(t(text::MainText::HintWrite));
    ToolLanguage_Chs->setText(text::menuCaption(t(text::MainText::LanguageChs)));
    ToolLanguage_Cht->setText(text::menuCaption(t(text::MainText::LanguageCht)));
    ToolLanguage_En->setText(text::menuCaption(t(text::MainText::LanguageEn)));
}

bool MainMenus::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        return true; // the language buttons show no hint
    return QObject::eventFilter(watched, event);
}

} // namespace t880
