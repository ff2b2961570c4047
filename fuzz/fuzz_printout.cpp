// libFuzzer target for the printout rendering: no input may crash it, the
// fast escape removal must agree with the plain rule, and what comes out
// must be clean list lines.

#include "PlainEscapeRule.h"

#include "printout/PrintoutRenderer.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(size));

    if (Printout::RemoveEscapeSequences(data) != RemoveEscapeSequencesPlainly(data))
        std::abort();

    const Printout::RenderedLines lines = Printout::RenderLines(data);
    if (lines.size() == 0 || !lines[lines.size() - 1].isEmpty())
        std::abort();
    for (const QByteArrayView line : lines) {
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < Printout::PrintableLimit || c == Printout::Filler)
                std::abort();
        }
        if (Printout::DecodeWindows1252(line).size() != line.size())
            std::abort(); // one character per byte, none lost
    }
    return 0;
}
