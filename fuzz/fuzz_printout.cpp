// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the printout rendering: no input may crash it, the
// fast escape removal must agree with the plain rule, and what comes out
// must be clean list lines.

#include "PlainEscapeRule.h"

#include "printout/PrintoutRenderer.h"
#include "printout/Windows1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(size));

    if (Printout::RemoveEscapeSequences(data) != RemoveEscapeSequencesPlainly(data))
        std::abort();

    QByteArray last = "none";
    Printout::RenderLines(data, [&last](QByteArrayView line) {
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < Printout::PrintableLimit || c == Printout::Filler)
                std::abort();
        }
        if (Printout::DecodeWindows1252(line).size() != line.size())
            std::abort(); // one character per byte, none lost
        last = line.toByteArray();
    });
    if (!last.isEmpty())
        std::abort(); // the printout ends with its empty entry
    return 0;
}
