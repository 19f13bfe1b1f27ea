// textgen: turns the UTF-8 text tables (text/tables/*.tsv) into the stored
// form the program uses (C++ source with GBK byte strings), and refuses a
// table that the program could not show correctly.
//
// Table format: one entry a line, "number<TAB>English<TAB>Simplified<TAB>
// Traditional[<TAB>Name]"; numbers run from 0 without gaps; a line holding
// only its number is a reserved entry (empty in all three languages); lines
// starting with '#' and empty lines are ignored. The optional name is what the
// code calls the entry: it becomes a constant in the generated header (Name in
// namespace MainText for main.tsv), so the code never writes a bare number.
//
// Checks: every text encodes in GBK; every Traditional text also encodes in
// Big5, which holds no simplified characters, so each one survives the
// conversion to Big5; an entry is empty in all languages or in none; a name
// is a CamelCase identifier and unique within its table.
//
// Usage: textgen OUTPUT.cpp NAMES.h TABLE.tsv... (tables in the order of TextTable)
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

class Encoder
{
public:
    explicit Encoder(const char *charset) : m_cd(iconv_open(charset, "UTF-8")) {}
    ~Encoder()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Encoder(const Encoder &) = delete;
    Encoder &operator=(const Encoder &) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    bool encode(const std::string &utf8, std::string &out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string input = utf8;
        std::string buffer(input.size() * 2 + 8, '\0');
        char *inPtr = input.data();
        size_t inLeft = input.size();
        char *outPtr = buffer.data();
        size_t outLeft = buffer.size();
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0)
            return false;
        if (iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == size_t(-1))
            return false;
        out.assign(buffer.data(), size_t(outPtr - buffer.data()));
        return true;
    }

private:
    iconv_t m_cd;
};

struct Entry
{
    std::string text[3]; // English, Simplified, Traditional, stored bytes
    std::string name;    // empty for an entry no code names
};

struct Table
{
    std::string name;
    std::vector<Entry> entries;
};

// Upper-case first, then letters and digits: such a name can neither clash
// with a keyword nor with a macro of the usual ALL_CAPS kind.
bool validName(const std::string &name)
{
    if (name.empty() || !std::isupper(static_cast<unsigned char>(name[0])))
        return false;
    for (unsigned char c : name) {
        if (!std::isalnum(c))
            return false;
    }
    return name.size() == 1 || std::any_of(name.begin() + 1, name.end(), [](unsigned char c) {
               return std::islower(c) || std::isdigit(c);
           });
}

std::vector<std::string> splitTabs(const std::string &line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string baseName(const std::string &path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.substr(0, name.find('.'));
}

bool readTable(const std::string &path, Encoder &gbk, Encoder &big5, Table &table)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << path << ": cannot read\n";
        return false;
    }
    table.name = baseName(path);
    std::string line;
    int lineNo = 0;
    auto error = [&](const std::string &message) {
        std::cerr << path << ':' << lineNo << ": " << message << '\n';
        return false;
    };
    std::set<std::string> names;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> fields = splitTabs(line);
        const std::string expected = std::to_string(table.entries.size());
        if (fields[0] != expected)
            return error("entry " + expected + " expected, found '" + fields[0] + "'");
        Entry entry;
        if (fields.size() == 4 || fields.size() == 5) {
            static const char *const kLanguages[] = {"English", "Simplified", "Traditional"};
            for (int i = 0; i < 3; ++i) {
                const std::string &utf8 = fields[size_t(i + 1)];
                if (utf8.empty())
                    return error(std::string(kLanguages[i]) + " text empty; reserve the "
                                                              "entry by its number alone");
                if (!gbk.encode(utf8, entry.text[i]))
                    return error(std::string(kLanguages[i]) + " text '" + utf8 +
                                 "' is not valid UTF-8 or has a character GBK lacks");
            }
            std::string unused;
            if (!big5.encode(fields[3], unused))
                return error("Traditional text '" + fields[3] +
                             "' has a character Big5 lacks (a simplified form?)");
            if (fields.size() == 5) {
                entry.name = fields[4];
                if (!validName(entry.name))
                    return error("name '" + entry.name +
                                 "' is no CamelCase identifier (a capital, then letters "
                                 "and digits)");
                if (!names.insert(entry.name).second)
                    return error("name '" + entry.name + "' already names another entry");
            }
        } else if (fields.size() != 1) {
            return error("four or five tab-separated fields or the number alone expected");
        }
        table.entries.push_back(entry);
    }
    if (table.entries.empty())
        return error("no entries");
    return true;
}

// Octal escapes end after three digits, so a following digit or letter can
// never be taken into the escape (as it would be after a \x escape).
std::string literal(const std::string &bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F && c != '?') {
            out += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        }
    }
    return out + '"';
}

std::string capitalized(std::string name)
{
    name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::string arrayName(const Table &table, int language)
{
    static const char *const kSuffixes[] = {"English", "Simplified", "Traditional"};
    return "k" + capitalized(table.name) + kSuffixes[language];
}

std::string namesHeader(const std::vector<Table> &tables)
{
    std::ostringstream out;
    out << "// Generated by tools/textgen.cpp from text/tables/*.tsv; do not edit.\n"
           "// The numbers of the named text entries, one namespace per table: an entry\n"
           "// is fetched as, e.g., lang.text(TextTable::Main, MainText::Ok).\n"
           "#pragma once\n\n"
           "namespace t880::text {\n";
    for (const Table &table : tables) {
        out << "\n/// Entries of text/tables/" << table.name << ".tsv.\n"
            << "namespace " << capitalized(table.name) << "Text {\n";
        for (size_t n = 0; n < table.entries.size(); ++n) {
            if (!table.entries[n].name.empty())
                out << "constexpr int " << table.entries[n].name << " = " << n << ";\n";
        }
        out << "} // namespace " << capitalized(table.name) << "Text\n";
    }
    out << "\n} // namespace t880::text\n";
    return out.str();
}

bool writeFile(const char *path, const std::string &contents)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << contents;
    return bool(file);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::cerr << "usage: textgen OUTPUT.cpp NAMES.h TABLE.tsv...\n";
        return 2;
    }
    Encoder gbk("GBK");
    Encoder big5("BIG5");
    if (!gbk.ok() || !big5.ok()) {
        std::cerr << "textgen: iconv lacks GBK or BIG5\n";
        return 1;
    }
    std::vector<Table> tables;
    for (int i = 3; i < argc; ++i) {
        Table table;
        if (!readTable(argv[i], gbk, big5, table))
            return 1;
        tables.push_back(std::move(table));
    }

    std::ostringstream out;
    out << "// Generated by tools/textgen.cpp from text/tables/*.tsv; do not edit.\n"
           "#include \"text/textdata.h\"\n\n"
           "namespace t880::text::detail {\n\nnamespace {\n";
    for (const Table &table : tables) {
        for (int language = 0; language < 3; ++language) {
            out << "\nconst char *const " << arrayName(table, language) << "[] = {\n";
            for (const Entry &entry : table.entries)
                out << "    " << literal(entry.text[language]) << ",\n";
            out << "};\n";
        }
    }
    out << "\n} // namespace\n\nconst TableData kTableData[] = {\n";
    for (const Table &table : tables) {
        out << "    {" << table.entries.size();
        for (int language = 0; language < 3; ++language)
            out << ", " << arrayName(table, language);
        out << "},\n";
    }
    out << "};\n\n} // namespace t880::text::detail\n";

    return writeFile(argv[1], out.str()) && writeFile(argv[2], namesHeader(tables)) ? 0 : 1;
}
