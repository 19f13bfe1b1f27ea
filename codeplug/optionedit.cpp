#include "codeplug/optionedit.h"

#include "text/textnames.h"

#include <array>

namespace t880::optionedit {

namespace {

// A list whose item k stands for the value first + k * step.
struct ListShape
{
    Setting setting;
    int items;
    std::uint32_t first;
    std::uint32_t step;
};

constexpr std::array<ListShape, int(OptionList::Count)> kLists = {{
    {Setting::sql, 10, 0, 1},
    {Setting::tot, 41, 0, 15}, // OFF, then 15 .. 600 seconds
    {Setting::toa, 11, 0, 1},
    {Setting::voice, 3, 0, 1},
    {Setting::batterySaveRate, 10, 1, 1}, // 1:1 .. 1:10
    {Setting::dizzyState, 3, 0, 1},
}};

const ListShape &shape(OptionList list)
{
    return kLists[std::size_t(list)];
}

constexpr std::array<Setting, int(OptionCheck::Count)> kChecks = {
    Setting::keyPressBeep, Setting::batterySave, Setting::dtmfSideTone, Setting::sendAni};

} // namespace

Setting listSetting(OptionList list)
{
    return shape(list).setting;
}

QStringList listItems(OptionList list, const TextLookup &text)
{
    QStringList items;
    switch (list) {
    case OptionList::Sql:
        for (int k = 0; k <= 9; ++k)
            items << QString::number(k);
        break;
    case OptionList::Tot:
        items << text(text::MainText::Off);
        for (int s = 15; s <= 600; s += 15)
            items << QString::number(s);
        break;
    case OptionList::Toa:
        items << text(text::MainText::Off);
        for (int s = 1; s <= 10; ++s)
            items << QString::number(s);
        break;
    case OptionList::Voice:
        items << text(text::MainText::Off) << text(text::MainText::Chinese)
              << text(text::MainText::English);
        break;
    case OptionList::SavingRate:
        for (int r = 1; r <= 10; ++r)
            items << QStringLiteral("1:") + QString::number(r);
        break;
    case OptionList::DizzyState:
        items << text(text::MainText::Revive) << text(text::MainText::RemoteKill)
              << text(text::MainText::RemoteStun);
        break;
    case OptionList::Count:
        break;
    }
    return items;
}

int shownIndex(OptionList list, std::uint32_t value)
{
    const ListShape &s = shape(list);
    if (value < s.first || (value - s.first) % s.step != 0)
        return -1;
    const std::uint32_t index = (value - s.first) / s.step;
    return index < std::uint32_t(s.items) ? int(index) : -1;
}

std::optional<std::uint32_t> valueOfItem(OptionList list, int index)
{
    const ListShape &s = shape(list);
    if (index < 0 || index >= s.items)
        return std::nullopt;
    return s.first + std::uint32_t(index) * s.step;
}

bool commitItem(CodeplugData &codeplug, OptionList list, int index)
{
    const std::optional<std::uint32_t> value = valueOfItem(list, index);
    if (!value)
        return false;
    codeplug.setSetting(listSetting(list), *value);
    return true;
}

// --- key functions -------------------------------------------------------------

const std::vector<KeyFunction> &keyFunctionsA()
{
    // Only the side key can switch the FM radio (code 24) on.
    static const std::vector<KeyFunction> list = {
        {0, text::MainText::Unassigned}, {24, text::MainText::Radio},
        {2, text::MainText::Monitor},    {3, text::MainText::MonitorMomentary},
        {25, text::MainText::Alarm},     {8, text::MainText::Scan}};
    return list;
}

const std::vector<KeyFunction> &keyFunctionsB()
{
    static const std::vector<KeyFunction> list = {{0, text::MainText::Unassigned},
                                                  {2, text::MainText::Monitor},
                                                  {3, text::MainText::MonitorMomentary},
                                                  {25, text::MainText::Alarm},
                                                  {8, text::MainText::Scan}};
    return list;
}

int keyIndex(const std::vector<KeyFunction> &list, std::uint32_t code)
{
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (std::uint32_t(list[k].code) == code)
            return int(k);
    }
    return -1;
}

std::optional<int> keyCodeForText(const std::vector<KeyFunction> &listA, const QString &shownText,
                                  const TextLookup &text)
{
    for (const KeyFunction &f : listA) {
        if (text(f.textNumber) == shownText)
            return f.code;
    }
    return std::nullopt;
}

// --- check boxes -----------------------------------------------------------------

Setting checkSetting(OptionCheck check)
{
    return kChecks[std::size_t(check)];
}

bool shownChecked(OptionCheck check, std::uint32_t value)
{
    return check == OptionCheck::SendAni ? value != 0 : value == 1;
}

// --- DTMF codes --------------------------------------------------------------------

std::optional<QChar> filterCodeKey(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F)
        return c;
    if ((u >= '0' && u <= '9') || u == '*' || u == '#' || (u >= 'A' && u <= 'D'))
        return c;
    if (u >= 'a' && u <= 'd')
        return QChar(char16_t(u - 'a' + 'A'));
    return std::nullopt;
}

QString filterCodeText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        const std::optional<QChar> kept = filterCodeKey(c);
        if (kept && kept->unicode() >= 0x20 && kept->unicode() != 0x7F)
            out += *kept;
    }
    return out.left(MaxCodeText);
}

QString codeText(const DtmfCode &code)
{
    QString out;
    const int shown = std::min(code.count(), int(DtmfCode::MaxDigits));
    for (int k = 0; k < shown; ++k) {
        const std::uint8_t v = code.raw[std::size_t(k)];
        if (v == 15)
            out += QLatin1Char('#');
        else if (v == 14)
            out += QLatin1Char('*');
        else if (v >= 10 && v <= 13)
            out += QChar(char16_t('A' + v - 10));
        else
            out += QChar(char16_t(48 + v));
    }
    return out;
}

DtmfCode codeFromText(const QString &text)
{
    DtmfCode code;
    const int n = std::min(int(text.size()), int(DtmfCode::MaxDigits));
    code.raw[DtmfCode::MaxDigits] = std::uint8_t(n);
    for (int k = 0; k < n; ++k) {
        const char16_t u = text.at(k).unicode();
        std::uint8_t v;
        if (u == '#')
            v = 15;
        else if (u == '*')
            v = 14;
        else if (u >= 'A' && u <= 'D')
            v = std::uint8_t(u + 201); // 'A' (65) + 201 = 266, kept to 8 bits: 10
        else
            v = std::uint8_t(u + 208); // '0' (48) + 208 = 256: 0
        code.raw[std::size_t(k)] = v;
    }
    return code;
}

} // namespace t880::optionedit
