// Resource ids of the benchmarks' floor windows (floors.rc).
#pragma once

#define IDD_BENCH_EMPTY_DIALOG 900
#define IDD_BENCH_EMPTY_PAGE 901
