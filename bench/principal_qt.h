#pragma once
// The main of the benchmarks that need a Qt application. The application object lives in
// main, so it is gone before the program's statics are torn down: destroyed among them, it
// outlived the platform plugin it still needed.

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace korvelin::bench {

inline int PrincipalQt(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argcQt = 1;
    QApplication app(argcQt, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace korvelin::bench
