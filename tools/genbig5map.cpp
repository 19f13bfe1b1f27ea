// genbig5map: derives the GBK-to-Big5 table of the text conversion from the
// character sets that glibc's iconv knows, and writes it as C++ source.
//
// Every GBK double-byte code (lead 0x81..0xFE, trail 0x40..0xFE) is decoded
// with iconv. A character that Big5 holds maps to its own Big5 code. A
// simplified character that Big5 lacks maps to the first of its traditional
// forms (Unihan kTraditionalVariant, when a variants file is given) that Big5
// holds. Everything else, including codes that are no GBK character at all,
// maps to the Big5 full-width question mark so that the text keeps its length
// and the gap stays visible.
//
// Usage: genbig5map [--variants Unihan_Variants.txt] OUTPUT.cpp
// tools/genbig5map.sh runs it with the variants of Debian's unicode-data.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kFullWidthQuestionMark = 0xA148;

class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of in; false when iconv refuses any part of it.
    bool convert(const std::string &in, std::string &out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string input = in;
        char *inPtr = input.data();
        size_t inLeft = input.size();
        char buffer[64];
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0)
            return false;
        if (iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == size_t(-1))
            return false;
        out.assign(buffer, size_t(outPtr - buffer));
        return true;
    }

private:
    iconv_t m_cd;
};

std::string utf32(char32_t cp)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[size_t(i)] = char((cp >> (8 * i)) & 0xFF);
    return s;
}

// "U+4E0B" -> 0x4E0B; 0 when the token is no code point.
char32_t parseCodePoint(const std::string &token)
{
    if (token.size() < 3 || token.compare(0, 2, "U+") != 0)
        return 0;
    return char32_t(std::stoul(token.substr(2), nullptr, 16));
}

std::map<char32_t, std::vector<char32_t>> readTraditionalVariants(const std::string &path)
{
    std::map<char32_t, std::vector<char32_t>> variants;
    std::ifstream in(path);
    if (!in) {
        std::cerr << "genbig5map: cannot read " << path << '\n';
        std::exit(1);
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string cp, field;
        fields >> cp >> field;
        if (field != "kTraditionalVariant")
            continue;
        const char32_t from = parseCodePoint(cp);
        std::string token;
        while (fields >> token) {
            // Entries may carry a source tag after '<'; the code point comes first.
            if (const char32_t to = parseCodePoint(token.substr(0, token.find('<'))))
                variants[from].push_back(to);
        }
    }
    return variants;
}

} // namespace

int main(int argc, char *argv[])
{
    std::string variantsPath;
    std::string outputPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--variants" && i + 1 < argc)
            variantsPath = argv[++i];
        else if (outputPath.empty() && arg[0] != '-')
            outputPath = arg;
        else {
            std::cerr << "usage: genbig5map [--variants Unihan_Variants.txt] OUTPUT.cpp\n";
            return 2;
        }
    }
    if (outputPath.empty()) {
        std::cerr << "usage: genbig5map [--variants Unihan_Variants.txt] OUTPUT.cpp\n";
        return 2;
    }

    Converter fromGbk("UTF-32LE", "GBK");
    Converter toBig5("BIG5", "UTF-32LE");
    if (!fromGbk.ok() || !toBig5.ok()) {
        std::cerr << "genbig5map: iconv lacks GBK or BIG5\n";
        return 1;
    }
    const auto variants = variantsPath.empty() ? std::map<char32_t, std::vector<char32_t>>()
                                               : readTraditionalVariants(variantsPath);

    auto big5Of = [&](char32_t cp) -> std::uint16_t {
        std::string out;
        if (!toBig5.convert(utf32(cp), out) || out.size() != 2)
            return 0;
        return std::uint16_t((std::uint8_t(out[0]) << 8) | std::uint8_t(out[1]));
    };

    std::vector<std::uint16_t> table;
    int direct = 0, viaVariant = 0, substituted = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string gbk{char(lead), char(trail)};
            std::string decoded;
            std::uint16_t big5 = 0;
            if (fromGbk.convert(gbk, decoded) && decoded.size() == 4) {
                char32_t cp = 0;
                for (int i = 3; i >= 0; --i)
                    cp = (cp << 8) | std::uint8_t(decoded[size_t(i)]);
                big5 = big5Of(cp);
                if (big5) {
                    ++direct;
                } else if (auto it = variants.find(cp); it != variants.end()) {
                    for (char32_t traditional : it->second) {
                        if ((big5 = big5Of(traditional)) != 0) {
                            ++viaVariant;
                            break;
                        }
                    }
                }
            }
            if (!big5) {
                big5 = kFullWidthQuestionMark;
                ++substituted;
            }
            table.push_back(big5);
        }
    }

    std::ofstream out(outputPath);
    if (!out) {
        std::cerr << "genbig5map: cannot write " << outputPath << '\n';
        return 1;
    }
    out << "// Generated by tools/genbig5map.sh from glibc iconv's GBK and BIG5 character\n"
           "// sets"
        << (variantsPath.empty() ? "" : " and Unihan's traditional variants")
        << "; do not edit.\n"
           "// "
        << direct << " codes map directly, " << viaVariant << " through a traditional form, "
        << substituted
        << " to the full-width question mark.\n"
           "#include \"text/gbkbig5.h\"\n\n"
           "namespace t880::text::detail {\n\n"
           "// Big5 code (lead << 8 | trail) of GBK code (lead, trail), row by row in\n"
           "// GBK order: index (lead - 0x81) * 191 + (trail - 0x40).\n"
           "const quint16 kGbkToBig5[kGbkCodeCount] = {\n";
    char buf[16];
    for (size_t i = 0; i < table.size(); ++i) {
        const int lead = 0x81 + int(i / 191);
        const int trail = 0x40 + int(i % 191);
        if (trail == 0x40)
            out << "    // GBK lead 0x" << std::hex << std::uppercase << lead << std::dec << '\n';
        if ((trail - 0x40) % 12 == 0)
            out << "   ";
        std::snprintf(buf, sizeof buf, " 0x%04X,", table[i]);
        out << buf;
        if ((trail - 0x40) % 12 == 11 || trail == 0xFE)
            out << '\n';
    }
    out << "};\n\n} // namespace t880::text::detail\n";
    std::cerr << "genbig5map: " << direct << " direct, " << viaVariant << " via variant, "
              << substituted << " substituted\n";
    return out ? 0 : 1;
}
