// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering speed: the fast path against the plain repeated-removal rule.
//   build/bench/bench_render

#include "PlainEscapeRule.h"

#include "printout/PrintoutRenderer.h"
#include "tools/SimulatedMachine.h"

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype MiB = 1024 * 1024;

QByteArray Realistic()
{
    SimulatedMachine machine;
    return machine.FullTransmission();
}

QByteArray RealisticOfSize(qsizetype size)
{
    const QByteArray unit = SimulatedMachine::DefaultPrintout();
    QByteArray data = SimulatedMachine::DefaultHeader();
    while (data.size() < size)
        data += unit;
    data.truncate(size);
    return data + '\x16';
}

// Escape sequences packed tight, with cascades: ESC ESC K x K y leaves nothing.
QByteArray DenseOfSize(qsizetype size)
{
    return "!" + QByteArray("\x1b\x1bKxKyab\x1bkz\r\n").repeated(size / 14).left(size);
}

const QByteArray &Input(int which)
{
    static const QByteArray inputs[] = {Realistic(), RealisticOfSize(MiB), RealisticOfSize(4 * MiB), DenseOfSize(MiB)};
    return inputs[which];
}

const char *const InputNames[] = {"realistic", "realistic 1 MiB", "realistic 4 MiB", "dense escapes 1 MiB"};

template<typename Work>
void Measure(benchmark::State &state, Work work)
{
    const QByteArray &data = Input(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(work(data));
    state.SetLabel(InputNames[state.range(0)]);
    state.SetBytesProcessed(state.iterations() * data.size());
}

void Render(benchmark::State &state)
{
    Measure(state, [](const QByteArray &data) {
        qsizetype kept = 0;
        Printout::RenderLines(data, [&kept](QByteArrayView line) { kept += line.size(); });
        return kept;
    });
}

void EscapesFast(benchmark::State &state)
{
    Measure(state, [](const QByteArray &data) { return Printout::RemoveEscapeSequences(data); });
}

void EscapesPlain(benchmark::State &state)
{
    Measure(state, [](const QByteArray &data) { return RemoveEscapeSequencesPlainly(data); });
}

} // namespace

BENCHMARK(Render)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(EscapesFast)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(EscapesPlain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(EscapesPlain)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
