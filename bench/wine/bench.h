// What the benchmark tools share. They are commands of one program, cbbench.exe, each started by
// a scripts/bench-*.sh script; they print figures and never pass or fail on a time.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

double NowMs();                                           // the performance counter
double Percentile(std::vector<double> values, double p);  // -1 for no values
std::string Ms(double value);                             // "-" for a negative value
std::string Spread(const std::vector<double>& values);    // "p50 / p95 / max"
int Usage(const char* arguments);                         // says how to call a tool; returns 2

int RunWatcherHost(int argc, char** argv);
int RunKeyPresser(int argc, char** argv);
int RunLargeList(int argc, char** argv);
int RunSavedList(int argc, char** argv);
