#include "codeplug/codeplugyaml.h"

#include "codeplug/codeplugdiff.h"
#include "codeplug/optionedit.h"
#include "codeplug/tonecodec.h"
#include "text/applang.h"
#include "text/codepage.h"
#include "text/textnames.h"

#include <QFileInfo>

#include <yaml-cpp/yaml.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace t880::codeplugyaml {

namespace {

using Bytes = std::array<std::uint8_t, CodeplugData::Size>;

constexpr int RowBytes = 16;
constexpr int ChannelBase = CodeplugData::Offset::channels;
constexpr int AddressBase = CodeplugData::Offset::addressBook;

// --- which bits the keys hold ------------------------------------------------

// Per byte of the block, the bits some key names; the rest travel in
// "unnamed bytes". Channel and address-book slot 0 are never used and stay
// unnamed, as do the spare bits of a channel's two option bytes.
const Bytes &namedBits()
{
    static const Bytes bits = [] {
        Bytes b{};
        const auto span = [&b](int offset, int size, std::uint8_t mask = 0xFF) {
            for (int i = 0; i < size; ++i)
                b[std::size_t(offset + i)] |= mask;
        };
        const auto maskBits = [&b](int offset, int n) {
            b[std::size_t(offset + n / 8)] |= std::uint8_t(1u << (n % 8));
        };
        for (const SettingInfo &s : settingTable())
            span(s.offset, s.width);
        for (const TextFieldInfo &f : textFieldTable())
            span(f.offset, f.size);
        for (const CodeFieldInfo &f : codeFieldTable())
            span(f.offset, DtmfCode::Size);
        using O = ChannelRecord::Offset;
        for (int n = 1; n <= CodeplugData::Channels; ++n) {
            const int base = ChannelBase + ChannelRecord::Size * n;
            span(base + O::rxFreq, 4);
            span(base + O::txFreq, 4);
            span(base + O::rxTone, 3);
            span(base + O::txTone, 3);
            span(base + O::optionA, 1, 0x1F);
            span(base + O::optionB, 1, 0xB8);
            span(base + O::name, ChannelRecord::NameSize);
            maskBits(CodeplugData::Offset::channelUsedMask, n);
        }
        for (int n = 1; n <= CodeplugData::AddressBookEntries; ++n) {
            span(AddressBase + AddressBookEntry::Size * n, 12 + AddressBookEntry::NameSize);
            maskBits(CodeplugData::Offset::addressBookUsedMask, n);
        }
        return b;
    }();
    return bits;
}

// --- the words of the file -----------------------------------------------------

const text::TAppLang &english()
{
    static const text::TAppLang lang = [] {
        text::TAppLang l;
        l.fSetLangType(text::Language::English);
        return l;
    }();
    return lang;
}

QString englishText(int n)
{
    return english().text(text::TextTable::Main, n);
}

// The settings' sections: the options and keys, the DTMF page, the device.
enum class Section { Settings, Dtmf, Device };

Section sectionOf(const SettingInfo &s)
{
    switch (s.group) {
    case SettingGroup::D:
    case SettingGroup::R:
        return Section::Dtmf;
    case SettingGroup::V:
        return Section::Device;
    default:
        return Section::Settings;
    }
}

// A setting's key is its label in the window; the label of a list item
// shows as a comment beside the value.
QString settingKey(const SettingInfo &s)
{
    const int label = settingLabel(s.id);
    return label >= 0 ? englishText(label) : QLatin1String(s.name);
}

QString settingComment(Setting id, std::uint32_t value)
{
    const optionedit::TextLookup text = englishText;
    for (int l = 0; l < int(optionedit::OptionList::Count); ++l) {
        const auto list = optionedit::OptionList(l);
        if (optionedit::listSetting(list) != id)
            continue;
        const int index = optionedit::shownIndex(list, value);
        return index >= 0 ? optionedit::listItems(list, text).value(index) : QString();
    }
    if (id == Setting::key1Short || id == Setting::key1Long || id == Setting::key2Short ||
        id == Setting::key2Long) {
        const auto &functions = optionedit::keyFunctionsA();
        const int index = optionedit::keyIndex(functions, value);
        return index >= 0 ? englishText(functions[std::size_t(index)].textNumber) : QString();
    }
    return {};
}

QString bytesKey(const QString &key)
{
    return key + QStringLiteral(" bytes");
}

// --- writing -------------------------------------------------------------------

// A double-quoted YAML string: every character but the quote, the backslash
// and controls as it is.
QString quoted(const QString &s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

// A key that YAML reads as plain text stays plain; any other is quoted.
QString keyText(const QString &key)
{
    static const QString plainFirst = QStringLiteral("abcdefghijklmnopqrstuvwxyz"
                                                     "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    bool plain = !key.isEmpty() && plainFirst.contains(key[0]);
    for (const QChar c : key)
        plain = plain && (c.isLetterOrNumber() || QStringLiteral(" ()./-").contains(c));
    return plain ? key : quoted(key);
}

// The key of a row of unnamed bytes: "0x5A0".
QString rowKey(int row)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(row, 3, 16, QLatin1Char('0')).toUpper();
}

QString hexText(const std::uint8_t *p, int size)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(p), size).toHex(' ').toUpper());
}

class Writer
{
public:
    void line(const QString &text) { m_out += text + u'\n'; }
    void key(int indent, const QString &key, const QString &value = {}, const QString &comment = {})
    {
        QString l = QString(indent * 2, u' ') + keyText(key) + u':';
        if (!value.isEmpty())
            l += u' ' + value;
        if (!comment.isEmpty())
            l += QStringLiteral("  # ") + comment;
        line(l);
    }
    QByteArray bytes() const { return m_out.toUtf8(); }

private:
    QString m_out;
};

QString boolText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

// The grid's text when it reads back to the same hertz, else all six decimals.
QString frequencyText(std::uint32_t hz)
{
    const QString shown = codec::formatFrequency(hz);
    if (codec::parseFrequency(shown) == hz)
        return shown;
    return QStringLiteral("%1.%2").arg(hz / 1000000).arg(hz % 1000000, 6, 10, QLatin1Char('0'));
}

// "Off" stands for the empty tone of a new channel or a radio read (type
// and value 0); any other off tone (the editor's 0xFFFF, a value left
// behind) is written as raw numbers.
void writeTone(Writer &w, const QString &key, Tone tone)
{
    const QString shown = codec::formatTone(tone.value, tone.type);
    if (tone == Tone{0, 0} ||
        (shown != QLatin1String("Off") && !shown.isEmpty() && codec::parseTone(shown) == tone)) {
        w.key(2, key, quoted(shown));
        return;
    }
    w.key(2, key,
          QStringLiteral("{type: %1, value: 0x%2}")
              .arg(tone.type)
              .arg(tone.value, 4, 16, QLatin1Char('0')));
}

// A name (channel or address book) as text when the text stores back to
// the same six bytes, else as hex.
void writeName(Writer &w, int indent, const std::uint8_t *field)
{
    const QByteArray name(reinterpret_cast<const char *>(field), ChannelRecord::NameSize);
    const QByteArray text = name.left(name.indexOf('\0') < 0 ? name.size() : name.indexOf('\0'));
    const QString decoded = text::decodeGbk(text);
    bool exact = text::encodeGbk(decoded) == text && cutText(text, ChannelRecord::NameSize) == text;
    for (int i = text.size(); i < name.size(); ++i)
        exact = exact && name[i] == 0;
    for (const QChar c : decoded)
        exact = exact && c.unicode() >= 0x20 && c.unicode() != 0x7F;
    if (exact)
        w.key(indent, QStringLiteral("name"), quoted(decoded));
    else
        w.key(indent, QStringLiteral("name bytes"),
              quoted(hexText(field, ChannelRecord::NameSize)));
}

void writeChannel(Writer &w, const CodeplugData &codeplug, int n)
{
    const ChannelRecord r = codeplug.channel(n);
    w.key(1, QString::number(n));
    w.key(2, QStringLiteral("in use"), boolText(codeplug.isChannelUsed(n)));
    w.key(2, QStringLiteral("receive"), frequencyText(r.rxFreq()));
    w.key(2, QStringLiteral("transmit"), frequencyText(r.txFreq()));
    writeTone(w, QStringLiteral("decode"), r.rxTone());
    writeTone(w, QStringLiteral("encode"), r.txTone());
    w.key(2, QStringLiteral("power"),
          r.highPower() ? QStringLiteral("high") : QStringLiteral("low"));
    w.key(2, QStringLiteral("bandwidth"),
          r.wide() ? QStringLiteral("wide") : QStringLiteral("narrow"));
    w.key(2, QStringLiteral("scan"), boolText(r.scanAdd()));
    const int busy = r.busyLock();
    w.key(2, QStringLiteral("busy lock"),
          busy == 0   ? QStringLiteral("off")
          : busy == 2 ? QStringLiteral("carrier")
                      : QString::number(busy));
    const int mode = r.squelchMode();
    w.key(2, QStringLiteral("squelch mode"), QString::number(mode),
          mode <= 4 ? englishText(text::MainText::Carrier + mode) : QString());
    w.key(2, QStringLiteral("dtmf"), boolText(r.dtmfFlag()));
    writeName(w, 2, &r.raw[ChannelRecord::Offset::name]);
}

void writeSettings(Writer &w, const CodeplugData &codeplug, Section section)
{
    for (const SettingInfo &s : settingTable()) {
        if (sectionOf(s) != section)
            continue;
        const std::uint32_t value = codeplug.setting(s.id);
        w.key(1, settingKey(s), QString::number(value), settingComment(s.id, value));
    }
}

void writeCodes(Writer &w, const CodeplugData &codeplug)
{
    for (const CodeFieldInfo &f : codeFieldTable()) {
        const DtmfCode code = codeplug.code(f.id);
        DtmfCode again;
        const QString key = englishText(codeFieldLabel(f.id));
        if (again.setText(code.text()) && again.raw == code.raw)
            w.key(1, key, quoted(QString::fromLatin1(code.text())));
        else
            w.key(1, bytesKey(key), quoted(hexText(code.raw.data(), DtmfCode::Size)));
    }
}

bool printableAscii(const QByteArray &text)
{
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

void writeTexts(Writer &w, const CodeplugData &codeplug)
{
    for (const TextFieldInfo &f : textFieldTable()) {
        const QByteArray text = codeplug.text(f.id);
        CodeplugData again = codeplug;
        again.setText(f.id, text);
        const QString key = englishText(textFieldLabel(f.id));
        if (printableAscii(text) && again == codeplug)
            w.key(1, key, quoted(QString::fromLatin1(text)));
        else
            w.key(1, bytesKey(key), quoted(hexText(&codeplug.bytes()[f.offset], f.size)));
    }
}

void writeAddressEntry(Writer &w, const CodeplugData &codeplug, int n)
{
    const AddressBookEntry e = codeplug.addressBookEntry(n);
    w.key(1, QString::number(n));
    w.key(2, QStringLiteral("in use"), boolText(codeplug.isAddressBookEntryUsed(n)));
    AddressBookEntry again = e;
    if (again.setNumber(e.number()) &&
        std::equal(again.raw.begin(), again.raw.begin() + 12, e.raw.begin()))
        w.key(2, QStringLiteral("number"), quoted(QString::fromLatin1(e.number())));
    else
        w.key(2, QStringLiteral("number bytes"), quoted(hexText(e.raw.data(), 12)));
    writeName(w, 2, &e.raw[12]);
}

void writeUnnamed(Writer &w, const CodeplugData &codeplug)
{
    const Bytes &named = namedBits();
    for (int row = 0; row < CodeplugData::Size; row += RowBytes) {
        QStringList cells;
        bool any = false;
        for (int i = row; i < std::min(row + RowBytes, CodeplugData::Size); ++i) {
            const std::uint8_t bits = named[std::size_t(i)];
            if (bits == 0xFF) {
                cells << QStringLiteral("--");
                continue;
            }
            any = true;
            cells << QStringLiteral("%1")
                         .arg(codeplug.bytes()[std::size_t(i)] & ~bits, 2, 16, QLatin1Char('0'))
                         .toUpper();
        }
        if (any)
            w.key(1, rowKey(row), quoted(cells.join(u' ')));
    }
}

} // namespace

QByteArray exportYaml(const CodeplugData &codeplug)
{
    Writer w;
    w.line(QStringLiteral("# T-880 codeplug as text (%1, version %2).")
               .arg(QLatin1String(FormatName))
               .arg(FormatVersion));
    w.line(QStringLiteral("# Frequencies in MHz; tones as the channel grid shows them (\"Off\", "
                          "\"88.5\", \"D023N\")."));
    w.line(QStringLiteral("# A key left out keeps its value when the file is imported. "
                          "\"unnamed bytes\" holds, in"));
    w.line(QStringLiteral("# rows of 16 from the offset given, the bytes no key names; \"--\" "
                          "marks a named one."));
    w.key(0, QStringLiteral("format"), QLatin1String(FormatName));
    w.key(0, QStringLiteral("version"), QString::number(FormatVersion));
    w.key(0, QStringLiteral("channels"));
    for (int n = 1; n <= CodeplugData::Channels; ++n)
        writeChannel(w, codeplug, n);
    w.key(0, QStringLiteral("settings"));
    writeSettings(w, codeplug, Section::Settings);
    w.key(0, QStringLiteral("dtmf"));
    writeSettings(w, codeplug, Section::Dtmf);
    writeCodes(w, codeplug);
    w.key(0, QStringLiteral("device"));
    writeTexts(w, codeplug);
    writeSettings(w, codeplug, Section::Device);
    w.key(0, QStringLiteral("address book"));
    for (int n = 1; n <= CodeplugData::AddressBookEntries; ++n)
        writeAddressEntry(w, codeplug, n);
    w.key(0, QStringLiteral("unnamed bytes"));
    writeUnnamed(w, codeplug);
    return w.bytes();
}

// --- reading ---------------------------------------------------------------------

namespace {

int lineOf(const YAML::Node &node)
{
    const YAML::Mark mark = node.Mark();
    return mark.is_null() ? 0 : mark.line + 1;
}

QString scalarText(const YAML::Node &node)
{
    return QString::fromStdString(node.Scalar());
}

// A whole number in decimal or, after 0x, in hex: digits only.
std::optional<std::uint32_t> parseNumber(const QString &text, std::uint32_t max)
{
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? text.mid(2) : text;
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [hex](QChar c) {
        return c.isDigit() || (hex && QStringLiteral("abcdefABCDEF").contains(c));
    });
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, hex ? 16 : 10);
    if (digits.isEmpty() || !allDigits || !ok || value > max)
        return std::nullopt;
    return std::uint32_t(value);
}

// Exact MHz: digits with at most one point and six decimals, below 2^32 Hz.
std::optional<std::uint32_t> parseMhz(const QString &text)
{
    const int point = text.indexOf(u'.');
    if (point >= 0 && text.size() - point - 1 > 6)
        return std::nullopt;
    codec::FrequencyParse how = codec::FrequencyParse::NotANumber;
    const auto hz = codec::parseFrequency(text, &how);
    if (text.isEmpty() || !hz || how != codec::FrequencyParse::Ok)
        return std::nullopt;
    return hz;
}

std::optional<QByteArray> parseHex(const QString &text, int size)
{
    const QStringList cells = text.split(u' ', Qt::SkipEmptyParts);
    if (cells.size() != size)
        return std::nullopt;
    QByteArray out;
    for (const QString &cell : cells) {
        bool ok = false;
        const uint v = cell.toUInt(&ok, 16);
        if (cell.size() != 2 || !ok)
            return std::nullopt;
        out += char(v);
    }
    return out;
}

class Reader
{
public:
    Reader(const ImportOptions &options, CodeplugData &codeplug)
        : m_options(options), m_codeplug(codeplug)
    {}

    QList<ImportError> errors;
    QList<ImportError> skipped;

    void error(const YAML::Node &node, const QString &key, Problem problem,
               const QString &detail = {})
    {
        errors.append({lineOf(node), key, problem, detail});
    }

    // The pairs of a map by key, each key once; an unknown key is reported
    // (or skipped when lenient).
    using Handler = std::function<void(const YAML::Node &value, const QString &path)>;
    void walk(const YAML::Node &map, const QString &path,
              const std::vector<std::pair<QString, Handler>> &handlers)
    {
        if (!map.IsMap()) {
            if (!map.IsNull())
                error(map, path, Problem::NotAMap);
            return;
        }
        std::set<QString> seen;
        for (const auto &pair : map) {
            const QString key = scalarText(pair.first);
            const QString keyPath = path.isEmpty() ? key : path + u'.' + key;
            if (!pair.first.IsScalar()) {
                error(pair.first, path, Problem::UnknownKey);
                continue;
            }
            if (!seen.insert(key).second) {
                error(pair.first, keyPath, Problem::DuplicateKey);
                continue;
            }
            const auto handler = std::find_if(handlers.begin(), handlers.end(),
                                              [&key](const auto &h) { return h.first == key; });
            if (handler == handlers.end()) {
                if (m_options.lenient)
                    skipped.append({lineOf(pair.first), keyPath, Problem::UnknownKey, {}});
                else
                    error(pair.first, keyPath, Problem::UnknownKey);
                continue;
            }
            handler->second(pair.second, keyPath);
        }
    }

    std::optional<QString> text(const YAML::Node &node, const QString &path)
    {
        if (node.IsNull())
            return QString();
        if (!node.IsScalar()) {
            error(node, path, Problem::NotText);
            return std::nullopt;
        }
        return scalarText(node);
    }

    std::optional<std::uint32_t> number(const YAML::Node &node, const QString &path,
                                        std::uint32_t max)
    {
        const auto t = text(node, path);
        if (!t)
            return std::nullopt;
        const auto value = parseNumber(*t, max);
        if (!value) {
            bool isNumber = false;
            t->toLongLong(&isNumber);
            if (isNumber || parseNumber(*t, 0xFFFFFFFFu))
                error(node, path, Problem::OutOfRange, QStringLiteral("0..%1").arg(max));
            else
                error(node, path, Problem::NotANumber, *t);
        }
        return value;
    }

    using Words = std::vector<std::pair<QString, bool>>;
    static const Words &trueFalse()
    {
        static const Words words = {{QStringLiteral("true"), true},
                                    {QStringLiteral("false"), false}};
        return words;
    }

    std::optional<bool> flag(const YAML::Node &node, const QString &path)
    {
        return choice<bool>(node, path, trueFalse());
    }

    // Reports a value that \a map gives both as text and as bytes.
    void oneForm(const YAML::Node &map, const QString &path, const QString &key)
    {
        if (map.IsMap() && map[key.toStdString()] && map[bytesKey(key).toStdString()])
            error(map[bytesKey(key).toStdString()], path + u'.' + key, Problem::TwoForms);
    }

    template <typename T>
    std::optional<T> choice(const YAML::Node &node, const QString &path,
                            const std::vector<std::pair<QString, T>> &words)
    {
        const auto t = text(node, path);
        if (!t)
            return std::nullopt;
        QStringList allowed;
        for (const auto &[word, value] : words) {
            if (t->compare(word, Qt::CaseInsensitive) == 0)
                return value;
            allowed << word;
        }
        error(node, path, Problem::NotAChoice, allowed.join(QStringLiteral(", ")));
        return std::nullopt;
    }

    std::optional<QByteArray> hex(const YAML::Node &node, const QString &path, int size)
    {
        const auto t = text(node, path);
        if (!t)
            return std::nullopt;
        const auto bytes = parseHex(*t, size);
        if (!bytes)
            error(node, path, Problem::NotHex, QString::number(size));
        return bytes;
    }

    // A name as the grid's editor takes it: characters of the code page, no
    // controls, at most six bytes.
    std::optional<QByteArray> name(const YAML::Node &node, const QString &path)
    {
        const auto t = text(node, path);
        if (!t)
            return std::nullopt;
        for (const QChar c : *t) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
                error(node, path, Problem::BadCharacter, QStringLiteral("GBK"));
                return std::nullopt;
            }
        }
        const auto bytes = text::encodeGbk(*t);
        if (!bytes) {
            error(node, path, Problem::BadCharacter, QStringLiteral("GBK"));
            return std::nullopt;
        }
        if (bytes->size() > ChannelRecord::NameSize) {
            error(node, path, Problem::TooLong, QString::number(ChannelRecord::NameSize));
            return std::nullopt;
        }
        return bytes;
    }

    // A DTMF number as the code editors take it: 0-9, A-D (a-d as
    // capitals), * and #, at most ten.
    std::optional<QByteArray> digits(const YAML::Node &node, const QString &path)
    {
        const auto t = text(node, path);
        if (!t)
            return std::nullopt;
        const QByteArray upper = t->toUpper().toLatin1();
        DtmfCode probe;
        if (t->size() > DtmfCode::MaxDigits) {
            error(node, path, Problem::TooManyDigits, QString::number(DtmfCode::MaxDigits));
            return std::nullopt;
        }
        if (QString::fromLatin1(upper) != t->toUpper() || !probe.setText(upper)) {
            error(node, path, Problem::BadCharacter, QStringLiteral("0-9 A-D * #"));
            return std::nullopt;
        }
        return upper;
    }

    // A tone as the grid shows it, or raw type and value over \a current
    // (a number left out keeps its value).
    std::optional<Tone> tone(const YAML::Node &node, const QString &path, Tone current)
    {
        if (node.IsMap()) {
            Tone t = current;
            bool ok = true;
            walk(node, path,
                 {{QStringLiteral("type"),
                   [&](const YAML::Node &v, const QString &p) {
                       const auto n = number(v, p, 0xFF);
                       ok = ok && n;
                       t.type = std::uint8_t(n.value_or(t.type));
                   }},
                  {QStringLiteral("value"), [&](const YAML::Node &v, const QString &p) {
                       const auto n = number(v, p, 0xFFFF);
                       ok = ok && n;
                       t.value = std::uint16_t(n.value_or(t.value));
                   }}});
            return ok ? std::optional<Tone>(t) : std::nullopt;
        }
        const auto t = text(node, path);
        if (!t)
            return std::nullopt;
        if (t->compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
            return Tone{0, 0};
        const auto parsed = t->isEmpty() ? std::nullopt : codec::parseTone(*t);
        if (!parsed)
            error(node, path, Problem::NotATone, *t);
        return parsed;
    }

    void channel(const YAML::Node &map, const QString &path, int n)
    {
        ChannelRecord r = m_codeplug.channel(n);
        std::optional<bool> used;
        const auto frequency = [&](auto set) {
            return [this, set, &r](const YAML::Node &v, const QString &p) {
                if (const auto t = text(v, p)) {
                    if (const auto hz = parseMhz(*t))
                        (r.*set)(*hz);
                    else
                        error(v, p, Problem::NotAFrequency, *t);
                }
            };
        };
        const auto bit = [&](void (ChannelRecord::*set)(bool), const Words &words) {
            return [this, set, words, &r](const YAML::Node &v, const QString &p) {
                if (const auto b = choice<bool>(v, p, words))
                    (r.*set)(*b);
            };
        };
        walk(map, path,
             {{QStringLiteral("in use"),
               [&](const YAML::Node &v, const QString &p) {
                   used = flag(v, p);
               }},
              {QStringLiteral("receive"), frequency(&ChannelRecord::setRxFreq)},
              {QStringLiteral("transmit"), frequency(&ChannelRecord::setTxFreq)},
              {QStringLiteral("decode"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto t = tone(v, p, r.rxTone()))
                       r.setRxTone(*t);
               }},
              {QStringLiteral("encode"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto t = tone(v, p, r.txTone()))
                       r.setTxTone(*t);
               }},
              {QStringLiteral("power"),
               bit(&ChannelRecord::setHighPower,
                   {{QStringLiteral("high"), true}, {QStringLiteral("low"), false}})},
              {QStringLiteral("bandwidth"),
               bit(&ChannelRecord::setWide,
                   {{QStringLiteral("wide"), true}, {QStringLiteral("narrow"), false}})},
              {QStringLiteral("scan"), bit(&ChannelRecord::setScanAdd, trueFalse())},
              {QStringLiteral("busy lock"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto b = choice<int>(v, p,
                                                  {{QStringLiteral("off"), 0},
                                                   {QStringLiteral("carrier"), 2},
                                                   {QStringLiteral("1"), 1},
                                                   {QStringLiteral("3"), 3}}))
                       r.setBusyLock(*b);
               }},
              {QStringLiteral("squelch mode"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto m = number(v, p, 7))
                       r.setSquelchMode(int(*m));
               }},
              {QStringLiteral("dtmf"), bit(&ChannelRecord::setDtmfFlag, trueFalse())},
              {QStringLiteral("name"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto bytes = name(v, p))
                       r.setName(*bytes);
               }},
              {QStringLiteral("name bytes"), [&](const YAML::Node &v, const QString &p) {
                   if (const auto bytes = hex(v, p, ChannelRecord::NameSize))
                       std::copy(bytes->begin(), bytes->end(),
                                 r.raw.begin() + ChannelRecord::Offset::name);
               }}});
        oneForm(map, path, QStringLiteral("name"));
        m_codeplug.setChannel(n, r);
        if (used)
            m_codeplug.setChannelUsed(n, *used);
    }

    void addressEntry(const YAML::Node &map, const QString &path, int n)
    {
        AddressBookEntry e = m_codeplug.addressBookEntry(n);
        std::optional<bool> used;
        walk(map, path,
             {{QStringLiteral("in use"),
               [&](const YAML::Node &v, const QString &p) {
                   used = flag(v, p);
               }},
              {QStringLiteral("number"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto d = digits(v, p))
                       e.setNumber(*d);
               }},
              {QStringLiteral("number bytes"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto bytes = hex(v, p, 12))
                       std::copy(bytes->begin(), bytes->end(), e.raw.begin());
               }},
              {QStringLiteral("name"),
               [&](const YAML::Node &v, const QString &p) {
                   if (const auto bytes = name(v, p))
                       e.setName(*bytes);
               }},
              {QStringLiteral("name bytes"), [&](const YAML::Node &v, const QString &p) {
                   if (const auto bytes = hex(v, p, AddressBookEntry::NameSize))
                       std::copy(bytes->begin(), bytes->end(), e.raw.begin() + 12);
               }}});
        oneForm(map, path, QStringLiteral("number"));
        oneForm(map, path, QStringLiteral("name"));
        m_codeplug.setAddressBookEntry(n, e);
        if (used)
            m_codeplug.setAddressBookEntryUsed(n, *used);
    }

    // Numbered entries 1..count, each a map.
    void numbered(const YAML::Node &map, const QString &path, int count,
                  void (Reader::*entry)(const YAML::Node &, const QString &, int))
    {
        std::vector<std::pair<QString, Handler>> handlers;
        for (int n = 1; n <= count; ++n)
            handlers.emplace_back(QString::number(n),
                                  [this, entry, n](const YAML::Node &v, const QString &p) {
                                      (this->*entry)(v, p, n);
                                  });
        walk(map, path, handlers);
    }

    std::vector<std::pair<QString, Handler>> settingHandlers(Section section)
    {
        std::vector<std::pair<QString, Handler>> handlers;
        for (const SettingInfo &s : settingTable()) {
            if (sectionOf(s) != section)
                continue;
            const std::uint32_t max = s.width == 1 ? 0xFFu : s.width == 2 ? 0xFFFFu : 0xFFFFFFFFu;
            handlers.emplace_back(settingKey(s),
                                  [this, id = s.id, max](const YAML::Node &v, const QString &p) {
                                      if (const auto value = number(v, p, max))
                                          m_codeplug.setSetting(id, *value);
                                  });
        }
        return handlers;
    }

    void codeHandlers(std::vector<std::pair<QString, Handler>> &handlers)
    {
        for (const CodeFieldInfo &f : codeFieldTable()) {
            const QString key = englishText(codeFieldLabel(f.id));
            handlers.emplace_back(key, [this, id = f.id](const YAML::Node &v, const QString &p) {
                if (const auto d = digits(v, p)) {
                    DtmfCode code;
                    code.setText(*d);
                    m_codeplug.setCode(id, code);
                }
            });
            handlers.emplace_back(bytesKey(key),
                                  [this, id = f.id](const YAML::Node &v, const QString &p) {
                                      if (const auto bytes = hex(v, p, DtmfCode::Size)) {
                                          DtmfCode code;
                                          std::copy(bytes->begin(), bytes->end(), code.raw.begin());
                                          m_codeplug.setCode(id, code);
                                      }
                                  });
        }
    }

    void textHandlers(std::vector<std::pair<QString, Handler>> &handlers)
    {
        for (const TextFieldInfo &f : textFieldTable()) {
            const QString key = englishText(textFieldLabel(f.id));
            handlers.emplace_back(key, [this, f](const YAML::Node &v, const QString &p) {
                const auto t = text(v, p);
                if (!t)
                    return;
                const QByteArray latin = t->toLatin1();
                if (QString::fromLatin1(latin) != *t || !printableAscii(latin))
                    error(v, p, Problem::BadCharacter, QStringLiteral("ASCII"));
                else if (latin.size() > f.maxText)
                    error(v, p, Problem::TooLong, QString::number(f.maxText));
                else
                    m_codeplug.setText(f.id, latin);
            });
            handlers.emplace_back(bytesKey(key), [this, f](const YAML::Node &v, const QString &p) {
                if (const auto bytes = hex(v, p, f.size)) {
                    QByteArray block = m_codeplug.toByteArray();
                    block.replace(f.offset, f.size, *bytes);
                    m_codeplug.replaceLeading(block);
                }
            });
        }
    }

    // Lays the rows of unnamed bytes over the codeplug: only the bits no key
    // names change.
    void unnamed(const YAML::Node &map, const QString &path)
    {
        std::vector<std::pair<QString, Handler>> handlers;
        const Bytes &named = namedBits();
        for (int row = 0; row < CodeplugData::Size; row += RowBytes) {
            const int size = std::min(RowBytes, CodeplugData::Size - row);
            bool any = false;
            for (int i = row; i < row + size; ++i)
                any = any || named[std::size_t(i)] != 0xFF;
            if (!any)
                continue;
            const QString key = rowKey(row);
            handlers.emplace_back(
                key, [this, row, size, &named](const YAML::Node &v, const QString &p) {
                    const auto t = text(v, p);
                    if (!t)
                        return;
                    const QStringList cells = t->split(u' ', Qt::SkipEmptyParts);
                    if (cells.size() != size) {
                        error(v, p, Problem::NotHex, QString::number(size));
                        return;
                    }
                    QByteArray block = m_codeplug.toByteArray();
                    for (int i = 0; i < size; ++i) {
                        const std::uint8_t bits = named[std::size_t(row + i)];
                        if (cells[i] == QLatin1String("--"))
                            continue;
                        bool ok = false;
                        const uint value = cells[i].toUInt(&ok, 16);
                        if (cells[i].size() != 2 || !ok) {
                            error(v, p, Problem::NotHex, QString::number(size));
                            return;
                        }
                        if (bits == 0xFF) {
                            error(v, p, Problem::NamedByte,
                                  QStringLiteral("0x%1").arg(row + i, 3, 16, QLatin1Char('0')));
                            return;
                        }
                        const auto old = std::uint8_t(block[row + i]);
                        block[row + i] = char((old & bits) | (value & ~bits));
                    }
                    m_codeplug.replaceLeading(block);
                });
        }
        walk(map, path, handlers);
    }

private:
    const ImportOptions &m_options;
    CodeplugData &m_codeplug;
};

} // namespace

ImportResult importYaml(const QByteArray &text, const CodeplugData &start,
                        const ImportOptions &options)
{
    ImportResult result;
    result.codeplug = start;
    YAML::Node root;
    try {
        root = YAML::Load(text.toStdString());
    } catch (const YAML::Exception &e) {
        result.errors.append({e.mark.is_null() ? 0 : e.mark.line + 1, QString(), Problem::NotYaml,
                              QString::fromStdString(e.msg)});
        return result;
    }
    if (!root.IsMap() || !root["format"] || !root["format"].IsScalar() ||
        root["format"].Scalar() != FormatName) {
        result.errors.append({root.IsMap() && root["format"] ? lineOf(root["format"]) : 1,
                              QStringLiteral("format"),
                              Problem::NotCodeplug,
                              {}});
        return result;
    }
    const YAML::Node version = root["version"];
    if (!version || !version.IsScalar() ||
        parseNumber(scalarText(version), 0xFFFF).value_or(0) != FormatVersion) {
        result.errors.append({version ? lineOf(version) : 1, QStringLiteral("version"),
                              Problem::NewerVersion,
                              version && version.IsScalar() ? scalarText(version) : QString()});
        return result;
    }

    // The sections are gathered first and read in a fixed order: the
    // unnamed bytes before the keys, so that the keys decide every bit they
    // name wherever they stand in the file.
    Reader reader(options, result.codeplug);
    std::map<QString, std::pair<YAML::Node, QString>> found;
    std::vector<std::pair<QString, Reader::Handler>> top;
    for (const char *name : {"format", "version", "unnamed bytes", "channels", "settings", "dtmf",
                             "device", "address book"})
        top.emplace_back(QLatin1String(name),
                         [&found, name](const YAML::Node &v, const QString &p) {
                             found[QLatin1String(name)] = {v, p};
                         });
    reader.walk(root, QString(), top);
    const auto section =
        [&found](const char *name,
                 const std::function<void(const YAML::Node &, const QString &)> &read) {
            const auto it = found.find(QLatin1String(name));
            if (it != found.end())
                read(it->second.first, it->second.second);
        };
    section("unnamed bytes",
            [&reader](const YAML::Node &v, const QString &p) { reader.unnamed(v, p); });
    section("channels", [&reader](const YAML::Node &v, const QString &p) {
        reader.numbered(v, p, CodeplugData::Channels, &Reader::channel);
    });
    section("settings", [&reader](const YAML::Node &v, const QString &p) {
        reader.walk(v, p, reader.settingHandlers(Section::Settings));
    });
    section("dtmf", [&reader](const YAML::Node &v, const QString &p) {
        auto handlers = reader.settingHandlers(Section::Dtmf);
        reader.codeHandlers(handlers);
        reader.walk(v, p, handlers);
        for (const CodeFieldInfo &f : codeFieldTable())
            reader.oneForm(v, p, englishText(codeFieldLabel(f.id)));
    });
    section("device", [&reader](const YAML::Node &v, const QString &p) {
        auto handlers = reader.settingHandlers(Section::Device);
        reader.textHandlers(handlers);
        reader.walk(v, p, handlers);
        for (const TextFieldInfo &f : textFieldTable())
            reader.oneForm(v, p, englishText(textFieldLabel(f.id)));
    });
    section("address book", [&reader](const YAML::Node &v, const QString &p) {
        reader.numbered(v, p, CodeplugData::AddressBookEntries, &Reader::addressEntry);
    });
    QList<ImportError> errors = reader.errors;
    std::stable_sort(errors.begin(), errors.end(),
                     [](const ImportError &a, const ImportError &b) { return a.line < b.line; });
    result.errors = errors;
    result.skippedKeys = reader.skipped;
    if (!result.ok())
        result.codeplug = start;
    return result;
}

QString describeError(const ImportError &e, const text::TAppLang &lang)
{
    // The problems' texts follow one another in the order of Problem.
    const int number = text::MainText::YamlNotYaml + int(e.problem);
    QString what = lang.text(text::TextTable::Main, number);
    if (e.problem == Problem::NewerVersion)
        what = what.arg(e.detail.isEmpty() ? QStringLiteral("-") : e.detail).arg(FormatVersion);
    else if (what.contains(QLatin1String("%1")))
        what = what.arg(e.detail);
    return lang.text(text::TextTable::Main, text::MainText::YamlErrorLine)
        .arg(std::max(e.line, 1))
        .arg(e.key.isEmpty() ? QStringLiteral("-") : e.key, what);
}

bool isYamlPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("yaml"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("yml"), Qt::CaseInsensitive) == 0;
}

} // namespace t880::codeplugyaml
