// The program's own main window and key watcher as the host of scripts/bench-watcher.sh.
// Outside that script (no CB_BENCH_ROWS) the test is skipped.
#include "tests/wine/soundlist/listcheck.h"

#include <gtest/gtest.h>

#include "bench/wine/watcherbench.h"

namespace {

TEST(WatcherBenchmark, Host) {
    watcherbench::Settings settings;
    if (!watcherbench::ReadSettings(&settings)) GTEST_SKIP() << "run by scripts/bench-watcher.sh";
    ResetMainWindow();
    const std::string sound = watcherbench::WriteBenchSound(settings.dir);
    watcherbench::FillRows(List(), settings.rows, sound,
                           [](const char* key1, const char* key2, const char* path) {
                               InsertEntryRow(key1, key2, path);
                           });
    ASSERT_EQ(RowCount(), settings.rows);
    watcherbench::TimePasses(List());
    watcherbench::ServeUntilStopped(settings);
}

}  // namespace
