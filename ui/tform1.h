// The main window: menus, tool bar and the three pages, the commands that
// reach every other part of the program, the close prompt and the
// configuration file. It owns nothing but widgets: what it shows and edits
// is the document it is given.
#pragma once

#include "text/applang.h"
#include "ui/undohistory.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTranslator;

namespace t880 {

namespace plans {
struct Plan;
}

namespace backup {
struct Backup;
}
class ChannelGrid;
class Document;
class GridCommands;
class KeyPage;
class MainMenus;
class OptionsPage;

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    /// Builds the window over \a document, reads (or creates) the
    /// configuration file at its configPath() and shows the model in the
    /// configured language.
    explicit TForm1(Document &document, QWidget *parent = nullptr);
    ~TForm1() override;

    /// Re-fetches every caption, list and shown value from the current text
    /// table and the model.
    void ApplyLanguage();
    /// Points the text conversion at the stored language choice.
    void SelectLanguage();
    /// Fills the two key-function lists of the key assignment page.
    void BuildKeyFunctionLists();

    /// Opens \a path as the codeplug; a file that cannot be loaded is
    /// reported and the model stays as it was. Returns true on success.
    bool openCodeplug(const QString &path);
    /// Saves the model to \a path; a failure is reported and the previous
    /// file stays intact. Returns true on success.
    bool saveCodeplug(const QString &path);

    /// Keeps recovery copies of unsaved changes in \a folder (empty: the
    /// user's data folder) from now on; off unless this is called.
    void enableRecovery(const QString &folder = QString());
    /// Offers, one after another, the recovery copies of runs that did not
    /// end normally; the first one accepted becomes the model.
    void offerRecovery();
    /// Tells, one after another, of the writes into a radio that did not
    /// finish (the program ended in the middle), and offers to restore the
    /// backup taken before each: Restore, Later (asked again at the next
    /// start) or Dismiss.
    void offerUnfinishedWrites();
    /// Whether the model has changes that were neither saved nor written.
    bool isModelModified() const;
    /// Re-checks the model for changes (after an edit of any kind).
    void modelTouched();
    /// Records the change made since the last step as one undo step named
    /// \a name (a command that changed several things at once).
    void recordStep(const StepName &name);

    /// Ends the run without the close prompt (a screenshot run, tests).
    void closeWithoutPrompt();
    /// Writes the configuration file as the end of the run does; done once.
    void endRun();

    // Commands.
    void MenuFile_NewClick();
    /// A new codeplug from a built-in channel plan, after the New prompt.
    void MenuFile_NewPlanClick();
    void MenuFile_OpenClick();
    /// Saves to the window's file without asking (asks for a model that has
    /// none). Returns true when the model was saved (false: cancelled or
    /// failed).
    bool MenuFile_SaveClick();
    /// Asks for a file, saves there and makes it the window's file.
    bool MenuFile_SaveAsClick();
    void MenuEdit_ReadClick();
    void MenuEdit_WriteClick();
    /// Write to several radios: the gang dialog over the codeplug as edited.
    void MenuEdit_WriteSeveralClick();
    /// Saves what went over the line in the last transfer, once there was one.
    void MenuFile_SaveTraceClick();
    void MenuPortClick();
    void MenuFile_ImportCsvClick();
    void MenuFile_ExportCsvClick();
    void MenuFile_ImportYamlClick();
    void MenuFile_ExportYamlClick();
    void MenuFile_PrintClick();
    void MenuFile_ExportPdfClick();
    /// Prints the channel sheet on \a printer as it is set up.
    bool printTo(QPrinter &printer);
    /// Writes the channel sheet as a PDF file; a failure is reported.
    bool exportPdf(const QString &path);
    void MenuFile_CompareFileClick();
    void MenuFile_BackupsClick();
    /// File > Production record: every write into a radio; a line's
    /// backup opens into the window.
    void MenuFile_ProductionClick();
    void MenuEdit_CompareRadioClick();
    /// Opens a codeplug backup into the window, as a read from its radio.
    bool openBackup(const QString &path);
    /// Writes a backup back into the radio as it was taken (a calibration
    /// backup after a confirmation); into the radio on \a device when given
    /// and present, else on the window's port.
    void restoreBackup(const QString &path, const QString &device = QString());
    void MenuEdit_PasswordClick();
    void MenuEdit_SetRadioNewPDClick();
    void MenuAdjustmentClick();
    /// The Adjustment command with \a path opened in the calibration dialog
    /// once the access code has been given (a calibration file handed to
    /// the program at start).
    void openAdjustment(const QString &path);
    void MenuAboutClick();
    /// Help > Manual (F1): the manual at the section of the page shown.
    void MenuHelp_ManualClick();
    /// The Language menu's command: stores \a language as the setting and shows it.
    void setLanguage(text::Language language);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectMenus();
    void buildPages();
    void readConfiguration();
    void selectActiveBand();
    /// After the New prompt: the New defaults, with \a plan's channels
    /// when given, as one undo step.
    void newCodeplug(const plans::Plan *plan);
    bool openBackup(const QString &path, const backup::Backup &kept);
    void commitEdits();
    void runTransfer(bool read);
    void loadQtTranslations();
    bool saveWithDialog(const QString &title);
    void showFileError(int headline, const QString &path, const struct FileResult &result);
    QString lastProgramDateText() const;

    Document &m_doc;
    bool m_promptOnClose = true;
    bool m_runEnded = false;
    void updateTitle();
    void updateUndoTexts();

    GridCommands *m_gridCommands = nullptr;
    MainMenus *m_menus = nullptr;
    std::unique_ptr<QTranslator> m_qtTranslator;

    QPushButton *bHide = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet_ChInfo = nullptr;
    OptionsPage *TabSheet_Option = nullptr;
    KeyPage *TabSheet_Key = nullptr;
    ChannelGrid *StringGrid1 = nullptr;
    QLabel *sLastWrite = nullptr;
    QLabel *sLastWriteTime = nullptr;
};

} // namespace t880
