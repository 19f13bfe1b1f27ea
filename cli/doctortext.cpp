#include "cli/doctortext.h"

#include "link/doctor.h"

namespace t880::cli {

std::optional<quint8> languageNamed(const QString &name)
{
    if (name == QLatin1String("en"))
        return text::TAppLang::English;
    if (name == QLatin1String("chs"))
        return text::TAppLang::Simplified;
    if (name == QLatin1String("cht"))
        return text::TAppLang::Traditional;
    return std::nullopt;
}

void printReport(const link::DoctorReport &report, const text::TAppLang &lang, QTextStream &stream)
{
    for (const QString &line : report.lines(lang))
        stream << line << '\n';
    stream.flush();
}

} // namespace t880::cli
