// Everything the window works on, in one object that the main window owns
// and hands by reference to its pages and dialogs: the programming state
// (codeplug, image, calibration), the configuration of the run, the language
// and the editing state of the channel grid. No globals; every test makes a
// fresh one.
#pragma once

#include "codeplug/optionedit.h"
#include "link/programstate.h"
#include "link/serialtrace.h"
#include "text/applang.h"
#include "ui/config/appconfig.h"

#include <QPoint>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace t880 {

struct WindowState
{
    ProgramState program;
    /// The codeplug as last opened, read, saved or made new: cells that
    /// differ from it carry a quiet mark.
    CodeplugData baseline;
    /// Port, Language, AutoSeachPort, band table, selected band, grid sizes,
    /// application names and port bindings, as read at start and written at
    /// the end of the run.
    AppConfig config;
    QString configPath;
    text::TAppLang lang;

    /// Key-function lists A (side key) and B (function key), rebuilt by
    /// every language change.
    std::vector<optionedit::KeyFunction> keyFunctionsA;
    std::vector<optionedit::KeyFunction> keyFunctionsB;

    // Editing state of the channel grid.
    int editCol = 0;
    int editRow = 0;
    int hintCol = -1;
    int hintRow = -1;
    QPoint toneEditorPos; ///< top left of the tone editor when last placed, in the page

    /// What went over the line in the last transfer the programming dialog
    /// ran, for File > Save serial trace; none before the first.
    std::optional<link::SerialTrace> lastTrace;

    /// Entry \a n of the main text table in the current language.
    QString langText(int n) const { return lang.text(text::TextTable::Main, n); }
    QString tableText(text::TextTable table, int n) const { return lang.text(table, n); }
};

} // namespace t880
