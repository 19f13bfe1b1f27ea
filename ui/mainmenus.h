// The main window's menus and tool bar: every action with its object name,
// icon and shortcut, and their captions, hints and check marks in the
// current language. The window connects the actions to its commands.
#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace t880 {

class Document;

class MainMenus : public QObject
{
    Q_OBJECT
public:
    /// Builds the menu bar and the tool bar of \a window; the actions are
    /// the window's children.
    explicit MainMenus(QMainWindow *window);

    /// Captions, hints and check marks from \a state's language and
    /// configuration; the undo items are the window's.
    void applyLanguage(const Document &state);

    QToolBar *ToolBar1 = nullptr;
    QMenu *MenuFile = nullptr;
    QMenu *MenuEdit = nullptr;
    QMenu *MenuLanguage = nullptr;
    QMenu *MenuHelp = nullptr;
    QAction *MenuFile_New = nullptr;
    QAction *MenuFile_NewPlan = nullptr;
    QAction *MenuFile_Production = nullptr;
    QAction *MenuFile_Open = nullptr;
    QAction *MenuFile_Save = nullptr;
    QAction *MenuFile_SaveAs = nullptr;
    QAction *MenuFile_Exit = nullptr;
    QAction *MenuFile_CompareFile = nullptr;
    QAction *MenuFile_ImportCsv = nullptr;
    QAction *MenuFile_ExportCsv = nullptr;
    QAction *MenuFile_ImportYaml = nullptr;
    QAction *MenuFile_ExportYaml = nullptr;
    QAction *MenuFile_Print = nullptr;
    QAction *MenuFile_ExportPdf = nullptr;
    QAction *MenuFile_Backups = nullptr;
    QAction *MenuFile_SaveTrace = nullptr;
    QAction *MenuEdit_CompareRadio = nullptr;
    QAction *MenuEdit_BackupBeforeWrite = nullptr;
    QAction *MenuEdit_VerifyAfterWrite = nullptr;
    QAction *MenuEdit_Undo = nullptr;
    QAction *MenuEdit_Redo = nullptr;
    QAction *MenuEdit_Read = nullptr;
    QAction *MenuEdit_Write = nullptr;
    QAction *MenuEdit_WriteSeveral = nullptr;
    QAction *MenuEdit_Password = nullptr;
    QAction *MenuEdit_SetRadioNewPD = nullptr;
    QAction *MenuEdit_VerifyReads = nullptr;
    QAction *MenuPort = nullptr;
    QAction *MenuLanguage_Chs = nullptr;
    QAction *MenuLanguage_Cht = nullptr;
    QAction *MenuLanguage_En = nullptr;
    QAction *MenuAdjustment = nullptr;
    QAction *MenuHelp_Manual = nullptr;
    QAction *MenuAbout = nullptr;
    QAction *ToolLanguage_Chs = nullptr;
    QAction *ToolLanguage_Cht = nullptr;
    QAction *ToolLanguage_En = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus(QMainWindow *window);
    void buildToolBar(QMainWindow *window);
};

} // namespace t880
