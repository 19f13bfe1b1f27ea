// A codeplug in text form is edited by hand and made by scripts. Whatever a
// file holds, reading it must not crash; a file with errors leaves the start
// as it was and every error reads as a line of text; a file that reads gives
// a codeplug whose own text reads back to the same bytes.
#include "codeplug/codeplugyaml.h"
#include "fuzzsupport.h"
#include "text/applang.h"

using namespace t880;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const text::TAppLang english = [] {
        text::TAppLang lang;
        lang.fSetLangType(text::Language::English);
        return lang;
    }();
    const QByteArray text = fuzz::bytesOf(data, size);
    CodeplugData start;
    start.applyNewDefaults();

    for (const bool lenient : {false, true}) {
        codeplugyaml::ImportOptions options;
        options.lenient = lenient;
        const codeplugyaml::ImportResult result = codeplugyaml::importYaml(text, start, options);
        for (const codeplugyaml::ImportError &e : result.errors)
            fuzz::require(!codeplugyaml::describeError(e, english).isEmpty(),
                          "every error is described");
        if (!result.ok()) {
            fuzz::require(result.codeplug == start, "a refused file changes nothing");
            continue;
        }
        fuzz::require(lenient || result.skippedKeys.isEmpty(), "only lenient skips keys");
        const codeplugyaml::ImportResult again =
            codeplugyaml::importYaml(codeplugyaml::exportYaml(result.codeplug), CodeplugData());
        fuzz::require(again.ok() && again.codeplug == result.codeplug,
                      "what was read goes to text and back unchanged");
    }
    return 0;
}
