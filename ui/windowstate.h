// Everything the window works on, in one object that the main window owns
// and hands by reference to its pages and dialogs: the programming state
// (codeplug, image, calibration), the configuration of the run and the
// language. No globals; every test makes a fresh one.
#pragma once

#include "link/programstate.h"
#include "link/serialtrace.h"
#include "text/applang.h"
#include "ui/appconfig.h"

#include <QString>

#include <optional>

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

    /// What went over the line in the last transfer the programming dialog
    /// ran, for File > Save serial trace; none before the first.
    std::optional<link::SerialTrace> lastTrace;

    /// Entry \a n of the main text table in the current language.
    QString langText(int n) const { return lang.text(text::TextTable::Main, n); }
    QString tableText(text::TextTable table, int n) const { return lang.text(table, n); }
};

} // namespace t880
