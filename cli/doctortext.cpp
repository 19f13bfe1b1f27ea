#include "cli/doctortext.h"

#include "link/serial/doctor.h"

namespace t880::cli {

void printReport(const link::DoctorReport &report, const text::TAppLang &lang, QTextStream &stream)
{
    for (const QString &line : report.lines(lang))
        stream << line << '\n';
    stream.flush();
}

} // namespace t880::cli
