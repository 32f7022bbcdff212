// What the benchmark tools share. They are commands of one program, cbbench.exe, each started by
// a scripts/bench-*.sh script; they print figures and never pass or fail on a time.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

using Rows = std::vector<std::array<std::string, 3>>;  // key1, key2 and path of each row, top first

double NowMs();                                           // the performance counter
double Percentile(std::vector<double> values, double p);  // -1 for no values
int Usage(const char* arguments);                         // says how to call a tool; returns 2
void FillList(const Rows& rows);                          // the program's list, emptied first

int RunWatcherHost(int argc, char** argv);
int RunKeyPresser(int argc, char** argv);
int RunLargeList(int argc, char** argv);
int RunSavedList(int argc, char** argv);
