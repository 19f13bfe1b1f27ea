// The option and key pages suite's shared part: the test class (with its ways
// to reach the pages' controls, open and save a block) whose functions the
// suite's files define.
#pragma once

#include "guitest.h"
#include "testsupport.h"

#include "ui/document.h"
#include "ui/tform1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

// The class and every file of the suite name the core's types and the test
// helpers unqualified.
using namespace t880;
using namespace t880::testing;

class TestOptionPages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Document *m_state = nullptr;
    TForm1 *m_window = nullptr;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    template <class W> W *child(const char *name) const
    {
        return m_window->findChild<W *>(QLatin1String(name));
    }
    QComboBox *box(const char *name) const { return child<QComboBox>(name); }
    void showPage(const char *page);
    // Opens \a block as a codeplug file through the window.
    bool openBlock(const QByteArray &block);
    // Saves through the window and returns the file's bytes.
    QByteArray saveBlock();

private slots:
    void init();
    void cleanup();

    void newDefaults_data();
    void newDefaults();
    void valuesWithoutItem_data();
    void valuesWithoutItem();
    void languageSwitchKeepsSelections();
    void batterySaveGreysRate();
    void typedCode();
    void eleventhCharacterRemoved();
    void refusedCharacters_data();
    void refusedCharacters();
    void pastedCodeFiltered();
    void keyboardEditsSaved();
    void foreignCountKept();
    void labelsAndTabOrder();
    void fitsSmallScreen_data();
    void fitsSmallScreen();
    void settingTooltips_data() { fitsSmallScreen_data(); }
    void settingTooltips();
    void listsScrollAfterFifteen();
    void changedSettingMarked();
};
