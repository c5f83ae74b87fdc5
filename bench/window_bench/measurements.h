// The measurements, each of the program started anew from outside, once
// per renderer. Each prints what it finds as it goes and adds its figures,
// with their targets, to the summary.
#pragma once

#include "bench_steps.h"

namespace tarnwick::bench {

// Process start to the first drawing on its main window (X DAMAGE).
void MeasureFirstFrame(BenchContext& bench);
// Processor time of a started program that has nothing to do.
void MeasureIdle(BenchContext& bench);
// 1 GiB over loopback, in turns with `curl -o FILE` followed by `sync FILE`
// (the program syncs its file before it takes its name), with the GUI
// thread's answers to pings meanwhile.
void MeasureTransfer(BenchContext& bench);
// Processor time against a server paced at 20 MB/s, and `curl -o FILE`'s
// from the same server in the same run.
void MeasurePacedCpu(BenchContext& bench);
// Resident memory with a full kept list.
void MeasureMemory(BenchContext& bench);
// How long "Select all" and "Remove" of a full list keep the window from
// answering, in each of several fresh starts.
void MeasureBulkRemove(BenchContext& bench);

// The server's targets: `round` of full-speed and of paced videos.
std::string FullSpeedTarget(int round);
std::string PacedTarget(int round);
inline constexpr uint64_t kFullSpeedSize = 1ull << 30;
inline constexpr uint64_t kPacedSize = 256ull << 20;
inline constexpr uint64_t kPacedBytesPerSecond = 20000000;
inline constexpr int kServedRounds = 64;

} // namespace tarnwick::bench
